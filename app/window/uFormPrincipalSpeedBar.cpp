// The main window's speed bar pBotones: its four sections of items, each bound to the window's command of its name, and its layout kept by the form storage.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QBoxLayout>
#include <QIcon>
#include <QStyle>

#include "components/FormPlace.h"
#include "platform/HandlerCall.h"
#include "platform/StylePicture.h"
#include "platform/core/SysUtils.h"
#include "toolbars/SpeedBar.h"

namespace {

constexpr int kFirstSection = 5475; // "Archivos", "Proyectos", "Edición", "Ayuda"
constexpr int kSectionCount = 4;
constexpr int kButtonSize = 22;
constexpr int kButtonsOffset = 4;

using THandler = void (*)(TformPrincipal&);

// One item: its section, its "short|long" hint, whether the first arrangement shows it, its picture
// (a theme icon, else the style's) and the handler its command runs. Items without a handler either
// share a command that already runs one (the edit, print-selection, browser and help items) or wait for the
// part of the window that brings theirs; those stay off the first arrangement.
struct TItemSpec {
    const char* Name;
    int Section;
    int Hint;
    bool Shown;
    const char* Theme;
    QStyle::StandardPixmap Picture;
    THandler Handler;
};

const TItemSpec kItems[] = {
    {"sbNuevo", 0, 5451, true, "document-new", QStyle::SP_FileIcon, [](TformPrincipal& w) { w.mNuevoClick(); }},
    {"sbUsarPlantilla", 0, 5452, false, "document-new", QStyle::SP_FileLinkIcon,
     [](TformPrincipal& w) { w.mUsarPlantillaClick(); }},
    {"sbAbrir", 0, 5453, true, "document-open", QStyle::SP_DialogOpenButton, [](TformPrincipal& w) { w.mAbrirClick(); }},
    {"sbGuardar", 0, 5454, true, "document-save", QStyle::SP_DialogSaveButton,
     [](TformPrincipal& w) { w.mGuardarClick(); }},
    {"sbGuardarTodo", 0, 5455, true, "document-save-all", QStyle::SP_DriveFDIcon,
     [](TformPrincipal& w) { w.mGuardarTodoClick(); }},
    {"sbCerrar", 0, 5456, true, "document-close", QStyle::SP_DialogCloseButton,
     [](TformPrincipal& w) { w.mCerrarClick(); }},
    {"sbCerrarTodo", 0, 5457, false, "window-close", QStyle::SP_DialogDiscardButton,
     [](TformPrincipal& w) { w.mCerrarTodoClick(); }},
    {"sbImprimir", 0, 5458, true, "document-print", QStyle::SP_FileDialogDetailedView,
     [](TformPrincipal& w) { w.mImprimirClick(0); }},
    {"sbImprimirSel", 0, 5459, false, "document-print", QStyle::SP_FileDialogListView, nullptr},
    {"sbVistaPreliminar", 0, 5460, false, "document-print-preview", QStyle::SP_FileDialogContentsView,
     [](TformPrincipal& w) { w.mVistaPreliminarClick(); }},
    {"sbNavegador", 0, 5461, true, "internet-web-browser", QStyle::SP_DriveNetIcon, nullptr},
    {"sbNuevoProyecto", 1, 5462, true, "folder-new", QStyle::SP_FileDialogNewFolder,
     [](TformPrincipal& w) { w.mNuevoProyectoClick(); }},
    {"sbAbrirProyecto", 1, 5463, true, "folder-open", QStyle::SP_DirOpenIcon,
     [](TformPrincipal& w) { w.mAbrirProyectoClick(); }},
    {"sbGuardarProyecto", 1, 5464, false, "document-save-all", QStyle::SP_DriveHDIcon,
     [](TformPrincipal& w) { w.mGuardarTodoClick(); }},
    {"sbCortar", 2, 5465, true, "edit-cut", QStyle::SP_TrashIcon, nullptr},
    {"sbCopiar", 2, 5466, true, "edit-copy", QStyle::SP_FileDialogStart, nullptr},
    {"sbPegar", 2, 5467, true, "edit-paste", QStyle::SP_FileDialogEnd, nullptr},
    {"sbBuscar", 2, 5468, true, "edit-find", QStyle::SP_FileDialogContentsView,
     [](TformPrincipal& w) { w.mBuscarClick(); }},
    {"sbReemplazar", 2, 5469, true, "edit-find-replace", QStyle::SP_BrowserReload,
     [](TformPrincipal& w) { w.mReemplazarClick(); }},
    {"sbSangrar", 2, 5470, false, "format-indent-more", QStyle::SP_ArrowRight, nullptr},
    {"sbNoSangrar", 2, 5471, false, "format-indent-less", QStyle::SP_ArrowLeft, nullptr},
    {"sbAyuda", 3, 5472, true, "help-contents", QStyle::SP_DialogHelpButton, nullptr},
    {"sbAyudaAuxiliar", 3, 5473, false, "help-contextual", QStyle::SP_MessageBoxQuestion, nullptr},
    {"sbTips", 3, 5474, false, "help-hint", QStyle::SP_MessageBoxInformation,
     [](TformPrincipal& w) { w.mSugerenciasClick(); }},
};

QImage itemPicture(const QStyle* look, const TItemSpec& spec)
{
    const QIcon themed = QIcon::fromTheme(QLatin1String(spec.Theme)); // Not editor text: an icon's name
    if (!themed.isNull() && !themed.availableSizes().isEmpty())
        return themed.pixmap(16, 16).toImage();
    return SmallStylePicture(look, spec.Picture);
}

} // namespace

std::vector<std::pair<std::string, int>> SpeedBarStylePictures()
{
    std::vector<std::pair<std::string, int>> pictures;
    for (const TItemSpec& spec : kItems)
        pictures.emplace_back(spec.Name, static_cast<int>(spec.Picture));
    return pictures;
}

void TformPrincipal::buildSpeedBar()
{
    auto* bar = new TSpeedBar(FPlaces.pBotones->parentWidget());
    bar->setObjectName("pBotones");
    // The bar takes its place in the row, left of the side panel.
    auto* row = static_cast<QBoxLayout*>(FPlaces.pBotones->parentWidget()->layout());
    delete row->replaceWidget(FPlaces.pBotones, bar);
    delete FPlaces.pBotones;
    FPlaces.pBotones = bar;
    FSpeedBar = bar;

    bar->BeginLoading();
    // Turned vertical by its edge, then kept so whatever edge it may be given.
    bar->SetAlign(alLeft);
    bar->SetPosition(bpCustom);
    bar->SetOptions(sbFlatBtns);
    bar->SetBevelOuter(bvNone);
    bar->SetBtnWidth(kButtonSize);
    bar->SetBtnHeight(kButtonSize);
    bar->SetBtnOffsetHorz(kButtonsOffset);
    bar->SetBtnOffsetVert(kButtonsOffset);
    bar->SetBarSize(2 * kButtonsOffset + kButtonSize, bar->height());
    for (int s = 0; s < kSectionCount; ++s) {
        auto* section = new TSpeedbarSection;
        section->SetCaption(LoadResString(kFirstSection + s));
        bar->AddSection(section);
    }

    // The first arrangement: the shown items of each section one under the other, half a button
    // between sections.
    int top = kButtonsOffset;
    int lastSection = 0;
    for (const TItemSpec& spec : kItems) {
        auto* item = new TSpeedItem;
        item->SetName(spec.Name);
        const std::string hint = LoadResString(spec.Hint);
        item->SetHint(hint);
        // The caption names the item in the setup window's list: the hint's short part.
        item->SetCaption(hint.substr(0, hint.find('|')));
        // An item off the bar reads its picture once it is shown or listed.
        item->SetGlyphSource([this, &spec] { return itemPicture(style(), spec); });
        bar->AddItem(spec.Section, item);
        if (spec.Shown) {
            if (spec.Section != lastSection)
                top += kButtonSize / 2;
            lastSection = spec.Section;
            item->Button()->SetBounds(kButtonsOffset, top, kButtonSize, kButtonSize);
            item->SetVisible(true);
            top += kButtonSize;
        }
        FCommands->Bind(item, spec.Name);
        if (spec.Handler)
            connect(FCommands->Action(spec.Name), &QAction::triggered, this,
                    [this, run = spec.Handler] { CallHandler(this, [this, run] { run(*this); }); });
    }
    bar->Loaded();

    // The pop-up's "Personalizar" opens the setup window.
    QAction* customize = FCommands->Action("mPersonalizarBotones");
    connect(customize, &QAction::triggered, this, [this] { CallHandler(this, [this] { mPersonalizarBotonesClick(); }); });
    bar->addAction(customize);
    bar->setContextMenuPolicy(Qt::ActionsContextMenu);

    bar->SetIniStorage(FFormStorage);
    // The storage's "pBotones.Width" named the place the bar took: it is looked up again by name.
    FFormStorage->LookUpComponents();
    bar->show();
}

void TformPrincipal::mPersonalizarBotonesClick()
{
    FSpeedBar->Customize(0);
}
