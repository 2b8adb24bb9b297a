// The main window's help, the Herramientas menu, the colour panels, the address combos' file pickers, the editor options and the assistants' dispatcher.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/host/EditingFile.h"
#include "app/dialogs/UFormBody.h"
#include "app/dialogs/UFormPaleta.h"
#include "app/model/KestrimaConfig.h"
#include "app/dialogs/UFormMarcos.h"
#include "app/panels/SidePanelTools.h"
#include "app/dialogs/uFormCSS.h"
#include "app/window/uFormPrincipalTools.h"
#include "editor/CodeMemo.h"
#include "editor/model/Templates.h"
#include "platform/ColorDialog.h"
#include "platform/FileDialogs.h"
#include "platform/HandlerCall.h"
#include "platform/Help.h"
#include "platform/Menus.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TabCtrls.h"

namespace {

constexpr int kMenuInternet = 5104;
constexpr int kInternetItems = 5105;  // three captions, in the order of kInternetAddresses
constexpr int kCopyCannotBeSaved = 5117;
constexpr const char* kInternetAddresses[] = {
    "https://developer.mozilla.org/es/docs/Web/HTML",
    "https://developer.mozilla.org/es/docs/Web/CSS",
    "https://validator.w3.org/",
};
constexpr const char* kAutoReplaceFile = "krARep.krr";
constexpr const char* kTemplatesFile = "krCTem.krt";
// Where the colour dialog's custom colours are kept between runs.
constexpr const char* kColorDialogKey = "Software\\Dremal\\Kestrima\\ColorDialog";

// The filters of the address combos' file dialogs, by the combo's Tag.
const char* addressFilter(int tag)
{
    switch (tag) {
    case 1: return "Sonido (*.wav;*.au;*.mid;*.mp3)|*.wav;*.au;*.mid;*.mp3|Todos (*.*)|*.*";
    case 2: return "Applets java (*.class)|*.class|Todos (*.*)|*.*";
    case 3:
        return "Im\xE1genes|*.gif;*.jpg;*.bmp;*.png|Im\xE1genes GIF (*.gif)|*.gif|Im\xE1genes JPG (*.jpg)|*.jpg|"
               "Mapas de Bits (*.bmp)|*.bmp|Im\xE1genes PNG (*.png)|*.png|Todos|*.*";
    default: return "Todos|*.*";
    }
}

// Runs a handler on the watched widgets' clicks (panels) or double clicks (combos and their edits).
class TClickHook : public QObject {
public:
    TClickHook(QObject* parent, QEvent::Type type, std::function<void(QObject*)> handler)
        : QObject(parent), FType(type), FHandler(std::move(handler))
    {
    }
    // A combo's double click reaches its edit, which stands for the combo.
    void Watch(QWidget* widget, QObject* sender)
    {
        widget->installEventFilter(this);
        FSenders.emplace_back(widget, sender);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != FType)
            return false;
        for (const auto& [widget, sender] : FSenders)
            if (widget == watched) {
                FHandler(sender);
                return true;
            }
        return false;
    }

private:
    QEvent::Type FType;
    std::function<void(QObject*)> FHandler;
    std::vector<std::pair<QObject*, QObject*>> FSenders;
};

// F1 in an open menu of the window: the help at the hovered item's context, else the menu's, else the
// window's (a menu takes the keyboard while it is open, so the window's own F1 does not reach it).
class TMenuHelp : public QObject {
public:
    explicit TMenuHelp(QWidget* window) : QObject(window), FWindow(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (!menu || event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        int context = HelpContextOf(menu->activeAction());
        if (context == 0)
            context = HelpContextOf(menu->menuAction());
        if (context == 0)
            context = ControlHelpContext(FWindow);
        CallHandler(FWindow, [this, context] { ShowHelpContext(FWindow, context); });
        return true;
    }

private:
    QWidget* FWindow;
};

// The BODY dialog's reach into the window: colours, the address combos' file picker and the history.
class TBodyTools : public TBodyHost {
public:
    explicit TBodyTools(TformPrincipal& form) : FForm(form) {}
    bool ElegirColor(TColor& color) override
    {
        return ChooseColor(FForm.Config(), FForm.FormColor(), FForm.ColorDialog(), &FForm, color);
    }
    void OpenURL(QObject* Sender) override { FForm.OpenURL(Sender); }
    void GuardaHistorial(THistoryCombo& Combo) override { FForm.GuardaHistorial(Combo); }
    THistoryCombo& UrlHistory() override { return FUrlHistory; }

private:
    TformPrincipal& FForm;
    THistoryCombo FUrlHistory;
};

} // namespace

std::string UserDocsFolder()
{
    return ExtractFilePath(RegistryStore::FileName()) + "Docs/";
}

void TformPrincipal::buildHelpAndTools()
{
    SetHelpFolder(ProgramFolder() + "Help/");
    if (ApplicationHelpFile().empty())
        SetApplicationHelpFile("Kestrima.hlp");
    const auto item = [this](QMenu* menu, const char* name, std::function<void()> handler) {
        QAction* action = FCommands->Action(name);
        connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] { CallHandler(this, handler); });
        if (menu)
            menu->addAction(action);
        return action;
    };

    QMenu* mAyuda = FMenus.mAyuda;
    item(mAyuda, "mTemas", [this] { mTemasClick(); });
    item(mAyuda, "mTutorial", [this] { mTutorialClick(); });
    QMenu* mInternet = FMenus.mInternet = mAyuda->addMenu(LoadResQString(kMenuInternet));
    mInternet->setObjectName("mInternet");
    FCommands->Bind(mInternet->menuAction(), "mInternet");
    for (int i = 0; i < static_cast<int>(std::size(kInternetAddresses)); ++i) {
        QAction* address = mInternet->addAction(LoadResQString(kInternetItems + i));
        address->setStatusTip(FromEditorText(kInternetAddresses[i]));
        connect(address, &QAction::triggered, this,
                [this, address] { CallHandler(this, [this, address] { EjecutaUtilidad(address); }); });
    }
    item(nullptr, "sbAyuda", [this] { mTemasClick(); });
    // F1: the help at the focused control's context, else the window's; in an open menu, the item's.
    addAction(item(nullptr, "contextHelp", [this] { ShowControlHelp(focusWidget() ? focusWidget() : this); }));
    auto* menuHelp = new TMenuHelp(this);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        menu->installEventFilter(menuHelp);

    QMenu* mHerramientas = FMenus.mHerramientas;
    const char* tools[] = {"mCierresRapidos", "mColorearCodigos", "mFiltrarCaracteres"};
    for (int tag = 1; tag <= 3; ++tag) {
        QAction* tool = FCommands->Action(tools[tag - 1]);
        tool->setProperty("Tag", tag);
        mHerramientas->addAction(tool);
        connect(tool, &QAction::triggered, this, [this, tool] { CallHandler(this, [this, tool] { HerramientasClick(tool); }); });
    }
    connect(mHerramientas, &QMenu::aboutToShow, this, [this] { CallHandler(this, [this] { mHerramientasClick(); }); });

    QMenu* mEdicion = FMenus.mEdicion;
    mEdicion->addSeparator();
    item(mEdicion, "mOpciones", [this] { mOpcionesClick(); });
    item(mEdicion, "mOpcionesEditor", [this] { mOpcionesEditorClick(); });
    // The editor's pop-up: help on the word and the editor's options.
    FCodeMemo->addAction(item(nullptr, "pmTopicHelp", [this] { pmTopicHelpClick(); }));
    FCodeMemo->addAction(item(nullptr, "pmOpcionesEditor", [this] { mOpcionesEditorClick(); }));
    if (FCodeMemo->contextMenuPolicy() == Qt::DefaultContextMenu)
        FCodeMemo->setContextMenuPolicy(Qt::ActionsContextMenu);

    item(FMenus.mDesarrollo, "mEsconde", [this] { mEscondeClick(); });
    item(FMenus.mDesarrollo, "mMuestra", [this] { mMuestraClick(); });

    TToolPageControls& c = toolPagesAsBuilt();
    auto* panels = new TClickHook(this, QEvent::MouseButtonPress,
                                  [this](QObject* sender) { CallHandler(this, [this, sender] { PanelDeColor(sender); }); });
    auto* combos = new TClickHook(this, QEvent::MouseButtonDblClick,
                                  [this](QObject* sender) { CallHandler(this, [this, sender] { OpenURL(sender); }); });
    // The colour panels and address boxes are hooked as their pages are built.
    const auto hook = [&c, panels, combos](int page) {
        for (TColorPanel* panel : {c.pColor, c.PColorFuente}) {
            if (!panel || !c.Sheets[static_cast<size_t>(page)]->isAncestorOf(panel))
                continue;
            // The font colour's strip lies over its button's foot; a click on it is the panel's.
            panel->setAttribute(Qt::WA_TransparentForMouseEvents, false);
            panels->Watch(panel, panel);
        }
        const std::pair<QComboBox*, int> addresses[] = {{c.cbLinks, 0}, {c.cbBGSound, 1}};
        for (auto [combo, tag] : addresses) {
            if (!combo || !c.Sheets[static_cast<size_t>(page)]->isAncestorOf(combo))
                continue;
            combo->setProperty("Tag", tag);
            combos->Watch(combo, combo);
            if (combo->lineEdit())
                combos->Watch(combo->lineEdit(), combo);
        }
    };
    for (size_t page = 0; page < c.Sheets.size(); ++page)
        if (c.Built[page])
            hook(static_cast<int>(page));
    c.PageBuilt.push_back(hook);

    // The assistant that lives in the window itself: the links page.
    SetExpertCall(3, [this](QObject*) {
        TToolPageControls& pages = *FHerramientas;
        if (pages.PHerramientas->isHidden())
            mVerBarraClick();
        pages.pcSuperior->SetActivePage(pages.tsEnlaces);
    });
    // The frameset designer, shown short until the first split.
    SetExpertCall(9, [this](QObject*) {
        TformMarcos dialog(*this, FHerramientas->sbMarcos);
        dialog.SetFormHeight(TformMarcos::kShortHeight);
        dialog.Execute();
    });
    // The style sheet dialog on the side panel's library, which is read again afterwards.
    SetExpertCall(8, [this](QObject*) {
        TformCSS dialog(this);
        const std::string library = SideTools().eLibreria->Path();
        dialog.OpenFileName = library;
        dialog.OpenInitialDir = ExtractFilePath(library);
        dialog.LoadStyleSheet(library);
        dialog.UseCustomPalette = FConfig->UseCustomPalette;
        dialog.MakeBackups = FConfig->MakeBackups;
        dialog.ChooseColor = [this, &dialog](TColor& color, bool palette) {
            TKestrimaConfig choice = *FConfig;
            choice.UseCustomPalette = palette;
            return ChooseColor(choice, *FFormColor, *FColorDialog, &dialog, color);
        };
        dialog.PictureName = [this](const std::string& path) { return RutaRelativa(path); };
        dialog.Execute();
        SideTools().CargaCSS(dialog.eLibreria->Path());
    });
    loadCustomColors();
    FFormColor = std::make_unique<TFormColor>();

    // Assistant 2: the BODY dialog, from its View item and its two buttons.
    SetExpertCall(2, [this, tools = std::make_shared<TBodyTools>(*this)](QObject*) {
        TformBody body(*this, *tools);
        body.Execute();
    });
    for (const char* name : {"mVerFormCuerpo", "sbBody", "sbBody2"}) {
        QAction* action = FCommands->Action(name);
        action->setProperty("Tag", 2);
        connect(action, &QAction::triggered, this, [this, action] { CallHandler(this, [this, action] { LlamadasExpertos(action); }); });
    }
    QAction* styleSheets = FCommands->Action("mVerFormCSS");
    styleSheets->setProperty("Tag", 8);
    connect(styleSheets, &QAction::triggered, this,
            [this, styleSheets] { CallHandler(this, [this, styleSheets] { LlamadasExpertos(styleSheets); }); });
    FMenus.mVer->addAction(FCommands->Action("mVerFormCuerpo"));
    FMenus.mVer->addAction(styleSheets);
}

// ---------------------------------------------------------------- help

void TformPrincipal::mTemasClick()
{
    HelpCommand(this, HELP_FINDER);
}

void TformPrincipal::mTutorialClick()
{
    const TScopeGuard tutorial = UseHelpFile("krtutorial.hlp");
    HelpCommand(this, HELP_FINDER);
}

TScopeGuard TformPrincipal::useWordHelp() const
{
    // Without an auxiliary help file of the user's the program's own help knows the words.
    const std::string file = FConfig->TopicHelp.empty() ? ApplicationHelpFile() : FConfig->TopicHelp;
    return UseHelpFile(file);
}

void TformPrincipal::pmTopicHelpClick()
{
    const TScopeGuard topic = useWordHelp();
    std::string word = Trim(FCodeMemo->GetSelText());
    if (word.empty()) {
        FCodeMemo->TokenAtCaret(word);
        // A tag's token carries its brackets ("<tr", "</table>"): the help knows the name.
        const auto first = std::find_if(word.begin(), word.end(), CharIsInWord);
        const auto last = std::find_if(word.rbegin(), word.rend(), CharIsInWord).base();
        word = first < last ? std::string(first, last) : std::string();
    }
    HelpCommand(this, HELP_PARTIALKEY, word);
}

// ---------------------------------------------------------------- the Herramientas menu

void TformPrincipal::mHerramientasClick()
{
    FCommands->Action("mCierresRapidos")->setChecked(FConfig->QuickTag);
    FCommands->Action("mFiltrarCaracteres")->setChecked(FConfig->InsSpecChar);
    FCommands->Action("mColorearCodigos")->setChecked(FCodeMemo->ActiveParser() != ekNoColouring);
}

void TformPrincipal::HerramientasClick(QObject* Sender)
{
    switch (Sender->property("Tag").toInt()) {
    case 1:
        FConfig->QuickTag = !FConfig->QuickTag;
        break;
    case 2:
        FCodeMemo->SetActiveParser(FCodeMemo->ActiveParser() == ekNoColouring ? ekHTML : ekNoColouring);
        break;
    case 3:
        FConfig->InsSpecChar = !FConfig->InsSpecChar;
        break;
    default:
        break;
    }
    mHerramientasClick();
}

// ---------------------------------------------------------------- the assistants

void TformPrincipal::SetExpertCall(int Tag, std::function<void(QObject*)> call)
{
    FExpertCalls[Tag] = std::move(call);
}

void TformPrincipal::LlamadasExpertos(QObject* Sender)
{
    const auto call = FExpertCalls.find(Sender->property("Tag").toInt());
    if (call != FExpertCalls.end() && call->second)
        call->second(Sender);
}

// ---------------------------------------------------------------- colour panels and address combos

TColorDialog& TformPrincipal::ColorDialog()
{
    return *FColorDialog;
}

void TformPrincipal::PanelDeColor(QObject* Sender)
{
    auto* panel = dynamic_cast<TColorPanel*>(Sender);
    if (!panel)
        return;
    TColor colour = panel->Color();
    if (ChooseColor(*FConfig, *FFormColor, *FColorDialog, this, colour))
        panel->SetColor(colour);
}

void TformPrincipal::loadCustomColors()
{
    FColorDialog = std::make_unique<TColorDialog>();
    TRegistry registry;
    if (!registry.OpenKeyReadOnly(kColorDialogKey))
        return;
    for (int i = 0; i < TColorDialog::kCustomColors; ++i) {
        const std::string name = std::string("Color") + static_cast<char>('A' + i);
        const std::string value = registry.ReadString(name);
        char* end = nullptr;
        const unsigned long rgb = std::strtoul(value.c_str(), &end, 16);
        if (!value.empty() && end && *end == '\0' && rgb <= 0xFFFFFF)
            FColorDialog->CustomColors[i] = static_cast<TColor>(rgb);
    }
}

void TformPrincipal::saveCustomColors()
{
    TRegistry registry;
    if (!registry.OpenKey(kColorDialogKey, true))
        return;
    for (int i = 0; i < TColorDialog::kCustomColors; ++i)
        registry.WriteString(std::string("Color") + static_cast<char>('A' + i),
                             Format("%06X", static_cast<unsigned>(FColorDialog->CustomColors[i])));
    registry.CloseKey();
}

void TformPrincipal::OpenURL(QObject* Sender)
{
    const int tag = Sender->property("Tag").toInt();
    TFileDialogRequest request;
    request.Filter = addressFilter(tag);
    request.Picture = tag == 3;
    std::string& initialDir = tag == 3 ? PictureDialogInitialDir : OpenDialogInitialDir;
    request.InitialDir = initialDir;
    request.Options = ofHideReadOnly | ofFileMustExist;
    if (!ExecuteFileDialog(this, request) || request.FileName.empty())
        return;
    initialDir = ExtractFilePath(request.FileName);
    // What the field holds is the page's reference to the file, in the page's text.
    const std::string reference = RutaRelativa(request.FileName);
    const QString text = FromEditorText(reference);
    if (auto* combo = qobject_cast<QComboBox*>(Sender); combo && combo->lineEdit())
        combo->lineEdit()->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(Sender))
        edit->setText(text);
    else
        Sender->setProperty("text", text);
}

// ---------------------------------------------------------------- editor options

void TformPrincipal::mOpcionesEditorClick()
{
    FCodeMemo->UpdateFromParser();
    const std::string folder = UserDocsFolder();
    std::string target = folder;
    try {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            throw EFCreateError(SysErrorMessage(error.value()));
        target = folder + kAutoReplaceFile;
        FCodeMemo->AutoReplaceList().SaveToFile(target);
        target = folder + kTemplatesFile;
        FCodeMemo->CodeTemplateList().SaveToFile(target);
    } catch (const Exception& e) {
        MessageBox(this, FmtLoadStr(kCopyCannotBeSaved, target.c_str(), e.Message().c_str()), {}, MB_OK | MB_ICONSTOP);
    }
    FCodeMemo->setFocus();
}
