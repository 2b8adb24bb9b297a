// Every form the program builds, at its first size: no label, button or check box shows less of its text than it has.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <string>
#include <vector>

#include "app/dialogs/FormTips.h"
#include "app/panels/SidePanel.h"
#include "app/dialogs/UFormBody.h"
#include "app/dialogs/UFormMarcos.h"
#include "app/dialogs/UFormOpciones.h"
#include "app/dialogs/UFormPaleta.h"
#include "app/dialogs/UFormProyecto.h"
#include "app/dialogs/UFormReemplazar.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/ToolPageValues.h"
#include "app/dialogs/uFormCSS.h"
#include "app/dialogs/uFormDescarga.h"
#include "app/dialogs/uFormFusion.h"
#include "app/dialogs/uFormMapas.h"
#include "app/dialogs/uFormOtrosTags.h"
#include "app/dialogs/uFormPregunta.h"
#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "toolbars/TBarTlwn.h"
#include "toolbars/TabCtrls.h"
#include "support/MainWindowDocuments.h"

namespace {

// A label's or button's text as it is drawn: without the "&" of its mnemonic.
QString shownText(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

// The width a control needs for its text, 0 for a control of no kind checked here or without text.
int neededWidth(const QWidget* control)
{
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->wordWrap() || label->text().isEmpty() || Qt::mightBeRichText(label->text()))
            return 0;
        const int frame = label->width() - label->contentsRect().width();
        int widest = 0;
        for (const QString& line : shownText(label->text()).split(QLatin1Char('\n')))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        return widest + frame + 2 * label->margin() + std::max(0, label->indent());
    }
    if (qobject_cast<const QCheckBox*>(control) || qobject_cast<const QRadioButton*>(control)) {
        const auto* button = static_cast<const QAbstractButton*>(control);
        return button->text().isEmpty() ? 0 : button->sizeHint().width();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        if (button->text().isEmpty())
            return 0;
        // The text, its icon, the margin and the frame, without the least width some styles give a
        // button whatever its text.
        const int text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        const QStyle* style = button->style();
        return text + icon + style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    }
    return 0;
}

// "form/control: text" for every shown control of the form whose text is wider than the control.
std::vector<std::string> cutTexts(QWidget& form)
{
    std::vector<std::string> cut;
    QList<QWidget*> controls = form.findChildren<QWidget*>();
    controls.prepend(&form);
    for (QWidget* control : controls) {
        if (!control->isVisible())
            continue;
        const int needed = neededWidth(control);
        if (needed > control->width()) {
            const auto* label = qobject_cast<QLabel*>(control);
            const auto* button = qobject_cast<QAbstractButton*>(control);
            const QString text = label ? label->text() : button ? button->text() : QString();
            cut.push_back(form.objectName().toStdString() + "/" + control->objectName().toStdString() + ": \"" +
                          text.toStdString() + "\" needs " + std::to_string(needed) + ", has " +
                          std::to_string(control->width()));
        }
    }
    return cut;
}

std::vector<std::string> shownCutTexts(QWidget& form)
{
    form.show();
    QApplication::processEvents();
    std::vector<std::string> cut = cutTexts(form);
    // A window manager draws the caption in a bold face beside the window's icon and three buttons.
    QFont captionFont = form.font();
    captionFont.setBold(true);
    const int caption = QFontMetrics(captionFont).horizontalAdvance(form.windowTitle()) + 110;
    if (!form.windowTitle().isEmpty() && caption > form.width())
        cut.push_back(form.objectName().toStdString() + " caption: \"" + form.windowTitle().toStdString() + "\" needs " +
                      std::to_string(caption) + ", has " + std::to_string(form.width()));
    form.hide();
    return cut;
}

struct TBodyTools : TBodyHost {
    bool ElegirColor(TColor&) override { return false; }
    void OpenURL(QObject*) override {}
    void GuardaHistorial(THistoryCombo&) override {}
    THistoryCombo& UrlHistory() override { return FHistory; }
    THistoryCombo FHistory;
};

} // namespace

TEST(FormTextsFit, NoFormCutsTheTextOfALabelButtonOrCheckBox)
{
    TWindow w;
    TformPrincipal& form = w.form;
    form.AbreArchivo("", false, ekHTML);
    form.mVerLateralClick();
    QApplication::processEvents();
    std::vector<std::string> cut;
    const auto check = [&cut](QWidget& shown) {
        for (std::string& text : shownCutTexts(shown))
            cut.push_back(std::move(text));
    };
    // The window with each of its tool pages and side panel pages in turn.
    form.show();
    for (TTabSetSheet* sheet : form.Herramientas().Sheets) {
        form.Herramientas().pcSuperior->SetActivePage(sheet);
        QApplication::processEvents();
        for (std::string& text : cutTexts(form))
            cut.push_back(std::move(text));
    }
    // The caret's position past column 9999, and a long hint, in the status bar.
    form.Panel(1)->setText(QStringLiteral("%1 : %2").arg(12346, 4).arg(987654, 4));
    form.Panel(4)->setText(QString::fromUtf8("El documento no tiene selecci\xC3\xB3n: el c\xC3\xB3" "digo se pone en el cursor"));
    for (std::string& text : cutTexts(form))
        cut.push_back(std::move(text));
    // The side panel's pages and its assistants.
    TSidePanel& panel = form.SidePanel();
    for (int page = 0; page < panel.pcLateral->PageCount(); ++page) {
        panel.pcLateral->SetActivePage(panel.pcLateral->Pages(page));
        QApplication::processEvents();
        for (std::string& text : cutTexts(form))
            cut.push_back(std::move(text));
    }
    panel.pcLateral->SetActivePage(panel.tsAsistentes);
    for (int assistant = 0; assistant < TSidePanel::kAssistantCount; ++assistant) {
        panel.cbAsistentes->setCurrentIndex(assistant);
        panel.cbAsistentesChange();
        QApplication::processEvents();
        for (std::string& text : cutTexts(form))
            cut.push_back(std::move(text));
    }
    {
        TformMapas dialog(form);
        check(dialog);
        dialog.show();
        QApplication::processEvents();
        for (std::string& text : cutTexts(*static_cast<QWidget*>(dialog.ToolWindowKt1)))
            cut.push_back(std::move(text));
    }
    {
        TformMarcos dialog(form, form.Herramientas().sbMarcos);
        check(dialog);
    }
    {
        TformProyecto dialog(form);
        // The longest date of the year in the dates' form.
        const QString longest = QString::fromUtf8("mi\xC3\xA9rcoles, 30 de septiembre de 2026, 23:59");
        dialog.lblCrea->setText(longest);
        dialog.lblModifica->setText(longest);
        check(dialog);
    }
    {
        TformOpciones dialog(form);
        check(dialog);
    }
    {
        TBodyTools tools;
        TformBody dialog(form, tools);
        check(dialog);
    }
    {
        TformReemplazar dialog(form);
        check(dialog);
    }
    {
        TformOtrosTags dialog(form);
        check(dialog);
    }
    {
        TformCSS dialog(&form);
        check(dialog);
    }
    {
        TformFusion dialog(&form);
        check(dialog);
    }
    {
        TformPregunta dialog(&form);
        check(dialog);
    }
    {
        TFormColor dialog(&form);
        check(dialog);
    }
    {
        TTipForm dialog(&form);
        check(dialog);
    }
    {
        TformDescarga dialog((w.folder.path / "a.htm").string(), "<img src=\"b.gif\">", form.Config(), &form);
        check(dialog);
    }
    for (const std::string& text : cut)
        ADD_FAILURE() << text;
}
