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
#include <QPageSetupDialog>
#include <QPrinter>
#include <memory>

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

} // namespace

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
