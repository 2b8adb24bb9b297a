// Every form the program builds, at its first size and on each of its pages: no label, button or check box shows less of its text than it has, and no caption is cut.
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
#include <QAction>
#include <QKeyEvent>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <set>
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
#include "highlight/CodeMemoParser.h"
#include "app/model/ToolPageValues.h"
#include "app/dialogs/uFormCSS.h"
#include "app/dialogs/uFormDescarga.h"
#include "app/dialogs/uFormFusion.h"
#include "app/dialogs/uFormMapas.h"
#include "app/dialogs/uFormOtrosTags.h"
#include "app/widgets/uFormPregunta.h"
#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "app/dialogs/uSplashScreen.h"
#include "app/dialogs/uSplashScreenBis.h"
#include "components/FoldrDlg.h"
#include "editor/dialogs/SYM_KDlg.h"
#include "editor/dialogs/SynElemF.h"
#include "platform/FindDialog.h"
#include "platform/Keys.h"
#include "toolbars/SpeedBar.h"
#include "toolbars/SpeedBarSetup.h"
#include "toolbars/TBarTlwn.h"
#include "toolbars/TBarCtls.h"
#include "components/KrCtrls.h"
#include "platform/Win1252Qt.h"
#include "toolbars/TabCtrls.h"
#include "support/HookWhile.h"
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

// The width one of our own speed buttons needs for its caption: the text, beside it a glyph on its
// left or right (the glyphs are square, their states side by side in one strip), and the frame.
template <class TButton>
int captionWidth(const TButton& button, bool showsGlyph)
{
    const QString caption = shownText(FromWin1252(button.Caption()));
    if (caption.isEmpty())
        return 0;
    const QImage& strip = button.Glyph();
    const bool beside = button.Layout() == blGlyphLeft || button.Layout() == blGlyphRight;
    const int glyph = showsGlyph && beside && !strip.isNull() ? strip.height() + std::max(0, button.Spacing()) : 0;
    return button.fontMetrics().horizontalAdvance(caption) + glyph + 4;
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
    if (const auto* button = dynamic_cast<const TKrSpeedButton*>(control))
        return captionWidth(*button, true);
    if (const auto* button = dynamic_cast<const TToolbarButtonKt*>(control))
        return button->DisplayMode() == dmGlyphOnly ? 0 : captionWidth(*button, button->DisplayMode() == dmBoth);
    if (const auto* button = qobject_cast<const QToolButton*>(control)) {
        if (button->text().isEmpty() || button->toolButtonStyle() == Qt::ToolButtonIconOnly ||
            (button->toolButtonStyle() == Qt::ToolButtonFollowStyle && !button->icon().isNull()))
            return 0;
        return button->sizeHint().width();
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

// The form's object name, or its class for a form without one.
std::string formName(const QWidget& form)
{
    return (form.objectName().isEmpty() ? QString::fromLatin1(form.metaObject()->className()) : form.objectName())
        .toStdString();
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
            const auto* speed = dynamic_cast<TKrSpeedButton*>(control);
            const auto* toolbar = dynamic_cast<TToolbarButtonKt*>(control);
            const QString text = label    ? label->text()
                                 : button  ? button->text()
                                 : speed   ? FromWin1252(speed->Caption())
                                 : toolbar ? FromWin1252(toolbar->Caption())
                                           : QString();
            cut.push_back(formName(form) + "/" + control->objectName().toStdString() + ": \"" +
                          text.toStdString() + "\" needs " + std::to_string(needed) + ", has " +
                          std::to_string(control->width()));
        }
    }
    return cut;
}

// The cut texts of a shown form, its caption included.
std::vector<std::string> cutTextsAndCaption(QWidget& form)
{
    std::vector<std::string> cut = cutTexts(form);
    // A window manager draws the caption in a bold face beside the window's icon and three buttons.
    QFont captionFont = form.font();
    captionFont.setBold(true);
    const int caption = QFontMetrics(captionFont).horizontalAdvance(form.windowTitle()) + 110;
    if (!form.windowTitle().isEmpty() && caption > form.width())
        cut.push_back(formName(form) + " caption: \"" + form.windowTitle().toStdString() + "\" needs " +
                      std::to_string(caption) + ", has " + std::to_string(form.width()));
    return cut;
}

// The cut texts of a shown form on each of its pages: `turn` makes page i current.
std::vector<std::string> cutTextsOfPages(QWidget& form, int pages, const std::function<void(int page)>& turn)
{
    std::vector<std::string> cut;
    for (int page = 0; page < pages; ++page) {
        turn(page);
        QApplication::processEvents();
        for (std::string& text : cutTextsAndCaption(form))
            cut.push_back("page " + std::to_string(page) + " of " + text);
    }
    return cut;
}

std::vector<std::string> shownCutTexts(QWidget& form, int pages = 1, const std::function<void(int page)>& turn = {})
{
    form.show();
    QApplication::processEvents();
    std::vector<std::string> cut = cutTextsOfPages(form, pages, turn ? turn : [](int) {});
    form.hide();
    return cut;
}

// Runs `open`, which shows a modal form, and hands the form to `inspect` inside its modal loop;
// the form is closed afterwards. False when no modal form came up.
bool whileModal(const std::function<void()>& open, const std::function<void(QWidget& form)>& inspect)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QWidget* form = QApplication::activeModalWidget();
        if (!form)
            return;
        shown = true;
        QApplication::processEvents();
        inspect(*form);
        form->close();
    });
    open();
    return shown;
}

// A form made by `make` and, when it has several pages, how many and how one is made current.
struct TFormCase {
    TFormCase(std::function<std::unique_ptr<QWidget>()> make_,
              std::function<int(QWidget& form)> pages_ = [](QWidget&) { return 1; },
              std::function<void(QWidget& form, int page)> turn_ = [](QWidget&, int) {})
        : make(std::move(make_)), pages(std::move(pages_)), turn(std::move(turn_))
    {
    }
    std::function<std::unique_ptr<QWidget>()> make;
    std::function<int(QWidget& form)> pages;
    std::function<void(QWidget& form, int page)> turn;
};

template <class TForm>
TFormCase pagedForm(std::function<std::unique_ptr<TForm>()> make, std::function<int(TForm& form)> pages,
                    std::function<void(TForm& form, int page)> turn)
{
    return {[make] { return std::unique_ptr<QWidget>(make()); },
            [pages](QWidget& form) { return pages(static_cast<TForm&>(form)); },
            [turn](QWidget& form, int page) { turn(static_cast<TForm&>(form), page); }};
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
    // The forms made on their own, each page of a form of several pages made current in turn.
    TBodyTools tools;
    const QString longest = QString::fromUtf8("mi\xC3\xA9rcoles, 30 de septiembre de 2026, 23:59");
    const std::vector<TFormCase> forms = {
        TFormCase([&] { return std::make_unique<TformMarcos>(form, form.Herramientas().sbMarcos); }),
        TFormCase([&] {
             auto dialog = std::make_unique<TformProyecto>(form);
             // The longest date of the year in the dates' form.
             dialog->lblCrea->setText(longest);
             dialog->lblModifica->setText(longest);
             return dialog;
         }),
        pagedForm<TformOpciones>([&] { return std::make_unique<TformOpciones>(form); }, [](TformOpciones& dialog) { return dialog.bookOpciones->count(); },
                                 [](TformOpciones& dialog, int page) {
                                     dialog.TreeView1->setCurrentItem(dialog.TreeView1->topLevelItem(page));
                                     dialog.TreeView1Change();
                                 }),
        TFormCase([&] { return std::make_unique<TformBody>(form, tools); }),
        TFormCase([&] { return std::make_unique<TformReemplazar>(form); }),
        TFormCase([&] { return std::make_unique<TformOtrosTags>(form); }),
        // Each page of the style sheet dialog with each of the two sub-pages of its box page.
        pagedForm<TformCSS>([&] { return std::make_unique<TformCSS>(&form); },
                            [](TformCSS& dialog) { return 2 * dialog.nbPages->count(); },
                            [](TformCSS& dialog, int page) {
                                dialog.NavigationClick(1);
                                for (int next = 0; next < page / 2; ++next)
                                    dialog.NavigationClick(3);
                                dialog.sbBoxMargenClick(page % 2);
                            }),
        TFormCase([&] { return std::make_unique<TformFusion>(&form); }),
        TFormCase([&] { return std::make_unique<TformPregunta>(&form); }),
        TFormCase([&] { return std::make_unique<TFormColor>(&form); }),
        TFormCase([&] { return std::make_unique<TTipForm>(&form); }),
        TFormCase([&] {
             return std::make_unique<TformDescarga>((w.folder.path / "a.htm").string(), "<img src=\"b.gif\">",
                                                    form.Config(), nullptr, &form);
         }),
        TFormCase([&] { return std::make_unique<TSplashScreen>(); }),
        // The about box's picture and its about page.
        pagedForm<TSplashScreenBis>([&] { return std::make_unique<TSplashScreenBis>(form.Config(), &form); },
                                    [](TSplashScreenBis& box) { return box.Notebook->count(); },
                                    [](TSplashScreenBis& box, int page) { box.Notebook->setCurrentIndex(page); }),
        TFormCase([&] { return std::make_unique<TFindDialog>(&form); }),
        TFormCase([&] { return std::make_unique<TReplaceDialog>(&form); }),
    };
    for (const TFormCase& made : forms) {
        std::unique_ptr<QWidget> shown = made.make();
        for (std::string& text : shownCutTexts(*shown, made.pages(*shown), [&](int page) { made.turn(*shown, page); }))
            cut.push_back(std::move(text));
    }
    // The forms shown modally, looked at inside their modal loops.
    const auto checkModal = [&](const char* name, const std::function<void()>& open,
                                const std::function<void(QWidget& form)>& inspect) {
        if (!whileModal(open, inspect))
            cut.push_back(std::string(name) + " was not shown");
    };
    const auto checkPages = [&](QWidget& shown, int pages, const std::function<void(int)>& turn) {
        for (std::string& text : cutTextsOfPages(shown, pages, turn))
            cut.push_back(std::move(text));
    };
    checkModal("the print preview", [&] { form.findChild<QAction*>("mVistaPreliminar")->trigger(); },
               [&](QWidget& preview) { checkPages(preview, 1, [](int) {}); });
    {
        // The folder browser as the options dialog opens it for the templates' folder.
        bool browsed = false;
        THookWhile<TFolderDialogHook, SetFolderDialogHook> hook([&](TFolderDialog& shown) {
            QApplication::processEvents();
            checkPages(*shown.Window(), 1, [](int) {});
            browsed = true;
            return false;
        });
        TformOpciones options(form);
        options.show();
        options.sbLibraryDirClick();
        if (!browsed)
            cut.push_back("the folder browser was not shown");
    }
    // The editor's options dialog on the document's parser, each of its pages; on the keys page, the
    // key pair dialog on both its steps.
    TOptionsDialog editorOptions(&form);
    editorOptions.SetParser(&form.HTMLParser());
    checkModal("the editor's options", [&] { editorOptions.Execute(kAllPropEdPages); }, [&](QWidget&) {
        checkPages(editorOptions, editorOptions.PageControl->count(),
                   [&](int page) { editorOptions.PageControl->setCurrentIndex(page); });
        editorOptions.PageControl->setCurrentIndex(TOptionsDialog::kKeysPage);
        editorOptions.CommandsBox->setCurrentRow(0);
        editorOptions.CommandClick();
        checkModal("the key pair", [&] { editorOptions.AddKeyClick(); }, [&](QWidget& keys) {
            auto& dialog = static_cast<TKeyAssignDialog&>(keys);
            checkPages(dialog, 2, [&](int step) {
                if (step == 1) {
                    const std::unique_ptr<QKeyEvent> key = MakeKeyEvent('K', ssCtrl);
                    QApplication::sendEvent(dialog.HotKey1(), key.get());
                    dialog.NextButton()->click();
                    if (dialog.Step() != 2)
                        cut.push_back("the key pair dialog did not reach its second step");
                }
            });
        });
    });
    // The speed bar's setup window, on each of its sections.
    TSpeedBar& bar = *form.SpeedBar();
    bar.actions().at(0)->trigger();
    if (TSpeedbarSetupWindow* setup = FindSpeedbarSetupWindow(&bar)) {
        checkPages(*setup, setup->SectionList->RowCount(), [&](int section) {
            setup->SectionList->SetRow(section);
            setup->ButtonsList->SetRow(0);
        });
        setup->close();
    } else {
        cut.push_back("the speed bar's setup window was not shown");
    }
    // A text cut on several pages that show the same controls is told once.
    for (const std::string& text : std::set<std::string>(cut.begin(), cut.end()))
        ADD_FAILURE() << text;
}
