// The window's command table as data.
#include "app/model/CommandRows.h"

namespace {

using O = TOpenRule;
using R = TRule;

// Rows in the order of the menus; the rows of the templates wait for the controls that bind to them.
// Every item of the speed bar has a row.
constexpr TCommandRow kRows[] = {
    // The menu bar: the menus that only make sense with a document are shown with one.
    {.Name = "mArchivo", .Caption = 4470},
    {.Name = "mEdicion", .Caption = 4471},
    {.Name = "mVer", .Caption = 4472, .Open = O::Show},
    {.Name = "mSeleccion", .Caption = 4473, .Open = O::Show},
    {.Name = "mInsertar", .Caption = 4474},
    {.Name = "mHerramientas", .Caption = 4475, .Open = O::Show},
    {.Name = "mUtilidades", .Caption = 4476},
    {.Name = "mNavegadores", .Caption = 4477, .Open = O::Show},
    {.Name = "mAyuda", .Caption = 4478},
    {.Name = "mOtrosTags", .Caption = 4479},
    {.Name = "mEditaOtrosTags", .Caption = 6059},

    // File: every item needs a document, except those that make or open one and leaving.
    {.Name = "mNuevo", .Caption = 4520, .Keys = "Ctrl+N", .Open = O::AlwaysEnabled},
    {.Name = "mAbrir", .Caption = 4521, .Keys = "Ctrl+A", .Open = O::AlwaysEnabled},
    // Enabled while it lists a file, whatever the documents.
    {.Name = "mReabrirMRU", .Caption = 4550},
    {.Name = "mGuardar", .Caption = 4522, .Open = O::Enable},
    {.Name = "mGuardarComo", .Caption = 4523, .Open = O::Enable},
    {.Name = "mGuardarTodo", .Caption = 4524, .Open = O::Enable},
    {.Name = "mActualizar", .Caption = 4525, .Keys = "F5", .Open = O::Enable, .Menu = "mArchivo",
     .MenuEnable = R::NamedDocument, .MenuWhen = R::DocumentShown},
    {.Name = "mCerrar", .Caption = 4526, .Keys = "Ctrl+F4", .Open = O::Enable},
    {.Name = "mCerrarTodo", .Caption = 4527, .Open = O::Enable},
    {.Name = "mProyecto", .Caption = 5062, .Open = O::AlwaysEnabled},
    {.Name = "mNuevoProyecto", .Caption = 5055, .Open = O::AlwaysEnabled},
    {.Name = "mAbrirProyecto", .Caption = 4521, .Open = O::AlwaysEnabled},
    {.Name = "mUsarPlantilla", .Caption = 6250, .Keys = "Ctrl+U", .Open = O::AlwaysEnabled},
    {.Name = "mEditarProyecto", .Caption = 5063, .Open = O::Enable, .Menu = "mArchivo", .MenuEnable = R::ProjectOpen},
    {.Name = "mCerrarProyecto", .Caption = 4526, .Open = O::Enable, .Menu = "mArchivo", .MenuEnable = R::ProjectOpen},
    {.Name = "mPrepararPagina", .Caption = 4764, .Open = O::Enable},
    {.Name = "mConfImpresion", .Caption = 4765, .Open = O::Enable},
    {.Name = "mImprimir", .Caption = 4766, .Open = O::Enable},
    {.Name = "mImprimirSel", .Caption = 4767, .Open = O::Enable, .Enable = R::Selection},
    {.Name = "mVistaPreliminar", .Caption = 4795, .Open = O::Enable},
    {.Name = "mSalir", .Caption = 4768, .Open = O::AlwaysEnabled},
    {.Name = "MRU1"}, {.Name = "MRU2"}, {.Name = "MRU3"}, {.Name = "MRU4"}, {.Name = "MRU5"},
    {.Name = "MRU6"}, {.Name = "MRU7"}, {.Name = "MRU8"}, {.Name = "MRU9"},

    // Edit: shown with a document. After each change the items that need a selection follow it; as
    // the menu opens with the editor active, they follow the speed bar's stricter rules.
    {.Name = "mDeshacer", .Caption = 4750, .Keys = "Ctrl+Z", .Open = O::Show, .Enable = R::Always,
     .Menu = "mEdicion", .MenuEnable = R::CanUndo, .MenuWhen = R::EditorFocused},
    {.Name = "mRehacer", .Caption = 4751, .Keys = "Ctrl+Shift+Z", .Open = O::Show, .Enable = R::Always,
     .Menu = "mEdicion", .MenuEnable = R::CanRedo, .MenuWhen = R::EditorFocused},
    {.Name = "mCortar", .Caption = 4752, .Keys = "Ctrl+X", .Open = O::Show, .Enable = R::Selection,
     .Menu = "mEdicion", .MenuEnable = R::SelectionWritable, .MenuWhen = R::EditorFocused},
    {.Name = "mCopiar", .Caption = 4753, .Keys = "Ctrl+C", .Open = O::Show, .Enable = R::Selection,
     .Menu = "mEdicion", .MenuEnable = R::Selection, .MenuWhen = R::EditorFocused},
    {.Name = "mPegar", .Caption = 4754, .Keys = "Ctrl+V", .Open = O::Show, .Enable = R::Always,
     .Menu = "mEdicion", .MenuEnable = R::Pasteable, .MenuWhen = R::EditorFocused},
    {.Name = "mBorrar", .Caption = 4755, .Open = O::Show, .Enable = R::Selection, .Menu = "mEdicion",
     .MenuEnable = R::SelectionWritable, .MenuWhen = R::EditorFocused},
    {.Name = "mSeleccionaTodo", .Caption = 4756, .Keys = "Ctrl+E", .Open = O::Show},
    {.Name = "mBuscar", .Caption = 4757, .Keys = "Ctrl+B", .Open = O::Show},
    {.Name = "mBuscaOtro", .Caption = 4758, .Keys = "F3", .Open = O::Show},
    {.Name = "mReemplazar", .Caption = 4759, .Keys = "Ctrl+R", .Open = O::Show},
    {.Name = "mSoloLectura", .Caption = 4761, .Checkable = true, .Open = O::Show, .Check = R::ReadOnly},
    {.Name = "mSangrar", .Caption = 6157, .Keys = "Alt+Right", .Open = O::Show, .Enable = R::Always, .Menu = "mEdicion",
     .MenuEnable = R::SelectionWritable, .MenuWhen = R::EditorFocused},
    {.Name = "mNoSangrar", .Caption = 6158, .Keys = "Alt+Left", .Open = O::Show, .Enable = R::Always, .Menu = "mEdicion",
     .MenuEnable = R::SelectionWritable, .MenuWhen = R::EditorFocused},
    {.Name = "mMuestraTodas", .Caption = 6156, .Open = O::Show, .Enable = R::SelectionOrSearch},
    {.Name = "mReemplazarArchivos", .Caption = 5950, .Hint = 5951, .Open = O::AlwaysShown},
    {.Name = "mOpciones", .Caption = 5794, .Hint = 5795, .Open = O::AlwaysShown},
    {.Name = "mOpcionesEditor", .Caption = 5110, .Hint = 5116, .Open = O::AlwaysShown},

    // View: the panels' items are checked by the panels as the menu opens.
    {.Name = "mVerBarra", .Caption = 4762, .Keys = "F9", .Checkable = true, .Menu = "mVer",
     .MenuCheck = R::ToolBarShown},
    {.Name = "mVerLateral", .Caption = 4763, .Keys = "F10", .Checkable = true, .Menu = "mVer",
     .MenuCheck = R::SidePanelShown},
    // The auxiliary editor opens on the page shown; its caption says whether it opens or closes.
    {.Name = "mAbrirEnAuxiliar", .Caption = 6150, .Keys = "F11", .Open = O::Enable},
    {.Name = "mAjustaTexto", .Caption = 4760, .Checkable = true, .Check = R::WordWrap},
    // The BODY dialog's item and buttons are checked while it is open.
    {.Name = "mVerFormCuerpo", .Caption = 5620, .Hint = 5621, .Checkable = true, .Open = O::Enable},
    {.Name = "sbBody", .Hint = 5621, .Checkable = true, .Open = O::Enable},
    {.Name = "sbBody2", .Hint = 5621, .Checkable = true, .Open = O::Enable},
    // The style sheet dialog on the side panel's library.
    {.Name = "mVerFormCSS", .Caption = 6371, .Hint = 6372},

    // Selection: the text tools that need a selection follow it as the menu opens.
    {.Name = "mOrdenaUp", .Caption = 4601, .Menu = "mSeleccion", .MenuEnable = R::Selection},
    {.Name = "mOrdenaDown", .Caption = 4602, .Menu = "mSeleccion", .MenuEnable = R::Selection},
    {.Name = "mMayusculas", .Caption = 4603, .Menu = "mSeleccion", .MenuEnable = R::Selection},
    {.Name = "mMinusculas", .Caption = 4604, .Menu = "mSeleccion", .MenuEnable = R::Selection},
    {.Name = "mCapitaliza", .Caption = 4610},
    {.Name = "mOmite", .Caption = 4608, .Checkable = true},
    {.Name = "mCodifica", .Caption = 4605, .Menu = "mSeleccion", .MenuEnable = R::Selection},
    {.Name = "mTraduce", .Caption = 4606, .Menu = "mSeleccion", .MenuEnable = R::Selection},
    {.Name = "mCodificaTag", .Caption = 4609, .Menu = "mSeleccion", .MenuEnable = R::Selection},
    {.Name = "mQuitaTags", .Caption = 4607},
    {.Name = "mEspacios", .Caption = 4611},
    // The tag around the caret: selected, or read into the side panel's attribute grid.
    {.Name = "mSeleccionaTag", .Caption = 6056},
    {.Name = "mSelectAllTag", .Caption = 6057},
    {.Name = "mEditaTag", .Caption = 6058},

    // Herramientas: the page commands read the document the editor shows.
    {.Name = "mActualizaRecursos", .Caption = 4950, .Hint = 4951, .Open = O::Enable, .Enable = R::DocumentShown},
    {.Name = "Tiemposdedescarga1", .Caption = 4952, .Hint = 4953, .Open = O::Enable, .Enable = R::DocumentShown},
    // The image map editor's button, also an item of the menu while no panel holds the button.
    {.Name = "sbMapas", .Caption = 5861, .Hint = 5861, .Open = O::Enable},
    // The template merge makes a new document: it needs none open.
    {.Name = "sbProcesaPlantilla", .Caption = 6251, .Open = O::AlwaysEnabled},

    // The hidden menu's keys and the pop-ups of the editor and the tab strip.
    {.Name = "BorrarAnterior", .Caption = 4769, .Keys = "Ctrl+Backspace"},
    {.Name = "pmTags", .Caption = 4673},
    {.Name = "pmTopicHelp", .Caption = 5109, .Hint = 5115},
    {.Name = "mInforma", .Caption = 6159, .Keys = "F2", .Open = O::AlwaysEnabled},
    {.Name = "pmOpcionesEditor", .Caption = 5110, .Hint = 5116},
    {.Name = "mEsconde"},
    {.Name = "mMuestra"},

    // The Help menu and the Herramientas menu's switches.
    {.Name = "mTemas", .Caption = 5100, .Hint = 5101},
    {.Name = "mTutorial", .Caption = 5102, .Hint = 5103},
    {.Name = "mInternet", .Caption = 5104},
    {.Name = "mSugerencias", .Caption = 5952, .Hint = 5953},
    {.Name = "mAcerca", .Caption = 5954, .Hint = 5955},
    {.Name = "mCierresRapidos", .Caption = 5111, .Checkable = true},
    {.Name = "mColorearCodigos", .Caption = 5112, .Checkable = true},
    {.Name = "mFiltrarCaracteres", .Caption = 5113, .Checkable = true},
    // The editor's pop-up: its edit items follow the speed bar's rules as it opens.
    {.Name = "pmEditor"},
    {.Name = "Deshacer1", .Caption = 4750, .Open = O::Enable, .Menu = "pmEditor", .MenuEnable = R::CanUndo},
    {.Name = "Cortar1", .Caption = 4752, .Open = O::Enable, .Menu = "pmEditor", .MenuEnable = R::SelectionWritable},
    {.Name = "Copiar1", .Caption = 4753, .Open = O::Enable, .Menu = "pmEditor", .MenuEnable = R::Selection},
    {.Name = "Pegar1", .Caption = 4754, .Open = O::Enable, .Menu = "pmEditor", .MenuEnable = R::Pasteable},
    {.Name = "mTabInfo", .Caption = 4553},
    {.Name = "mTabNavegar", .Caption = 4554},
    {.Name = "mTabGuardar", .Caption = 4555},
    {.Name = "mTabGuardarComo", .Caption = 4556},
    {.Name = "mTabCerrar", .Caption = 4557},

    // The status bar's buttons, shown with a document.
    {.Name = "sbBarra", .Hint = 4460, .Open = O::Show},
    {.Name = "sbLateral", .Hint = 4461, .Open = O::Show},
    {.Name = "sbAuxiliar", .Hint = 4462, .Open = O::Show},

    // The speed bar's edit and print buttons: enabled with a document, then by the editor's state.
    {.Name = "sbCortar", .Open = O::Enable, .Enable = R::SelectionWritable},
    {.Name = "sbCopiar", .Open = O::Enable, .Enable = R::Selection},
    {.Name = "sbPegar", .Open = O::Enable, .Enable = R::Pasteable},
    {.Name = "sbImprimirSel", .Open = O::Enable, .Enable = R::Selection},
    {.Name = "sbNavegador", .Hint = 5114, .Open = O::Enable},
    {.Name = "sbGuardar", .Open = O::Enable},
    {.Name = "sbGuardarTodo", .Open = O::Enable},
    {.Name = "sbCerrar", .Open = O::Enable},
    {.Name = "sbCerrarTodo", .Open = O::Enable},
    {.Name = "sbImprimir", .Open = O::Enable},
    {.Name = "sbVistaPreliminar", .Open = O::Enable},
    {.Name = "sbGuardarProyecto", .Open = O::Enable},
    {.Name = "sbBuscar", .Open = O::Enable},
    {.Name = "sbReemplazar", .Open = O::Enable},
    {.Name = "sbSangrar", .Open = O::Enable},
    {.Name = "sbNoSangrar", .Open = O::Enable},
    {.Name = "sbDeshacer", .Open = O::Enable, .Enable = R::CanUndo},
    {.Name = "sbRehacer", .Open = O::Enable, .Enable = R::CanRedo},
    // The speed bar's items that make or open a document, and its help, work with none open.
    {.Name = "sbNuevo", .Open = O::AlwaysEnabled},
    {.Name = "sbUsarPlantilla", .Open = O::AlwaysEnabled},
    {.Name = "sbAbrir", .Open = O::AlwaysEnabled},
    {.Name = "sbNuevoProyecto", .Open = O::AlwaysEnabled},
    {.Name = "sbAbrirProyecto", .Open = O::AlwaysEnabled},
    {.Name = "sbAyuda", .Open = O::AlwaysEnabled},
    // F1: the help at the focused control's context.
    {.Name = "contextHelp", .Keys = "F1", .Open = O::AlwaysEnabled},
    {.Name = "sbAyudaAuxiliar", .Open = O::AlwaysEnabled},
    {.Name = "sbTips", .Open = O::AlwaysEnabled},
    // The speed bar's pop-up.
    {.Name = "mPersonalizarBotones", .Caption = 5479},
    // The side panel's explorer: the folder tree's and the file list's pop-ups.
    {.Name = "mDirActualiza", .Caption = 6012, .Keys = "Shift+F5"},
    {.Name = "mAbreArchivo", .Caption = 6013},
    {.Name = "mEditaArchivo", .Caption = 6016},
    {.Name = "mInsTxt", .Caption = 6017},
    {.Name = "mIcoLarge", .Caption = 6019, .Checkable = true},
    {.Name = "mIcoSmall", .Caption = 6020, .Checkable = true},
    {.Name = "mIcoList", .Caption = 6021, .Checkable = true},
    {.Name = "mIcoDetall", .Caption = 6022, .Checkable = true},
};

} // namespace

std::span<const TCommandRow> CommandRows()
{
    return kRows;
}

const TCommandRow* FindCommandRow(std::string_view name)
{
    for (const TCommandRow& row : kRows)
        if (name == row.Name)
            return &row;
    return nullptr;
}
