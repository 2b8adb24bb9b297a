// Tests of the platform's own texts in Spanish: file dialogs, the pop-up menu of text fields, page setup.
#include "platform/Translations.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QDialogButtonBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLocale>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <memory>
#include <set>
#include <string>

namespace {

QString acceptButton(QFileDialog::AcceptMode mode)
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    auto* box = dialog.findChild<QDialogButtonBox*>();
    if (!box)
        return {};
    QPushButton* button = box->button(mode == QFileDialog::AcceptOpen ? QDialogButtonBox::Open : QDialogButtonBox::Save);
    return button ? button->text() : QString();
}

QStringList contextMenu()
{
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().section(QLatin1Char('\t'), 0, 0);
    return texts;
}

// Every text a dialog shows: its title, labels, buttons, group titles, list entries, tabs and tips.
QStringList shownTexts(QWidget& dialog)
{
    QStringList texts{dialog.windowTitle()};
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        texts << widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        if (auto* group = qobject_cast<QGroupBox*>(widget))
            texts << group->title();
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
    }
    texts.removeAll(QString());
    return texts;
}

// The texts among `texts` that hold a word of English the print and page setup dialogs are known to
// have shown.
QStringList englishIn(const QStringList& texts)
{
    static const std::set<QString> english = {
        "Advanced", "All",      "Apply",    "are",       "Binding",    "binding",  "Bottom",   "Cancel",
        "Close",    "Collate",  "commas",   "conflicts", "Copies",     "Current",  "Double",   "Duplex",
        "File",     "fix",      "from",     "Grayscale", "Height",     "Landscape", "Layout",  "Left",
        "Location", "Long",     "Margins",  "Name",      "None",       "Off",      "Options",  "Orientation",
        "Output",   "Page",     "Pages",    "Paper",     "Please",     "Portrait", "Preview",  "Print",
        "Printer",  "Printing", "prints",   "Properties", "Range",     "Reverse",  "Right",    "Selection",
        "separated", "Settings", "Setup",   "Short",     "side",       "Sided",    "Size",     "Source",
        "Specify",  "There",    "Top",      "Type",      "Width"};
    QStringList found;
    for (const QString& text : texts) {
        const QString plain = QString(text).remove(QLatin1Char('&'));
        for (const QString& word : plain.split(QRegularExpression(QStringLiteral("[^A-Za-z]+")), Qt::SkipEmptyParts))
            if (english.count(word)) {
                found << text;
                break;
            }
    }
    return found;
}

} // namespace

TEST(Translations, ThePrintAndPageSetupDialogsHoldNoEnglishUnderTheCLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    TSpanishTranslations spanish;
    ASSERT_TRUE(spanish.Loaded());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QStringList setupTexts, printTexts, propertiesTexts;
    {
        QPageSetupDialog setup(&printer);
        setupTexts = shownTexts(setup);
    }
    // The print dialog, and the printer properties its button opens, each as it shows.
    QPrintDialog dialog(&printer);
    QTimer::singleShot(0, [&] {
        printTexts = shownTexts(dialog);
        if (auto* properties = dialog.findChild<QAbstractButton*>(QStringLiteral("properties"))) {
            QTimer::singleShot(0, [&] {
                if (QWidget* shown = QApplication::activeModalWidget()) {
                    propertiesTexts = shownTexts(*shown);
                    shown->close();
                }
            });
            properties->click();
        }
        dialog.reject();
    });
    dialog.exec();
    QLocale::setDefault(saved);
    ASSERT_GT(setupTexts.size(), 20);
    ASSERT_GT(printTexts.size(), 20);
    ASSERT_GT(propertiesTexts.size(), 10);
    EXPECT_TRUE(printTexts.contains(QString::fromUtf8("Impresi\xC3\xB3n a doble cara"))) << printTexts.join('|').toStdString();
    EXPECT_EQ(englishIn(setupTexts).join('|').toStdString(), "");
    EXPECT_EQ(englishIn(printTexts).join('|').toStdString(), "");
    EXPECT_EQ(englishIn(propertiesTexts).join('|').toStdString(), "");
}

TEST(Translations, PlatformDialogsAndMenusSpeakSpanishWhileInstalled)
{
    const QString englishOpen = acceptButton(QFileDialog::AcceptOpen);
    {
        TSpanishTranslations spanish;
        ASSERT_TRUE(spanish.Loaded());
        EXPECT_EQ(acceptButton(QFileDialog::AcceptOpen), QStringLiteral("&Abrir"));
        EXPECT_EQ(acceptButton(QFileDialog::AcceptSave), QStringLiteral("&Guardar"));
        EXPECT_EQ(contextMenu(), (QStringList{"&Deshacer", "&Rehacer", "Cor&tar", "&Copiar", "&Pegar", "Borrar",
                                             "Seleccionar todo"}));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            labels << label->text();
        EXPECT_TRUE(labels.contains(QStringLiteral("Ver en:"))) << labels.join('|').toStdString();
        EXPECT_TRUE(labels.contains(QStringLiteral("Ficheros de tipo:"))) << labels.join('|').toStdString();
        // What the library's translation lacks comes from our string table.
        EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder", "All other platforms"),
                  QStringLiteral("Carpeta"));
        EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "%1 File").arg("htm"),
                  QStringLiteral("Archivo htm"));
        QFileSystemModel model;
        const QModelIndex folder = model.index(QDir::tempPath());
        EXPECT_EQ(model.type(folder), QStringLiteral("Carpeta"));
        // Texts neither knows stay as written.
        EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Nothing"), QStringLiteral("Nothing"));
        QPrinter printer;
        QPageSetupDialog setup(&printer);
        EXPECT_EQ(setup.windowTitle(), QString::fromUtf8("Configuraci\xC3\xB3n de p\xC3\xA1gina"));
    }
    // Gone with the object.
    EXPECT_EQ(acceptButton(QFileDialog::AcceptOpen), englishOpen);
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), QStringLiteral("Folder"));
    EXPECT_NE(englishOpen, QStringLiteral("&Abrir"));
}
