// The tool pages above the editor: eight pages of insert buttons, drop-down buttons, address and value boxes, built from one table per page, and their layout for the pages' width.
#include "app/window/uFormPrincipalTools.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <utility>

#include "app/model/TagTable.h"
#include "app/window/uFormPrincipal.h"
#include "components/FormPlace.h"
#include "components/VSpeedBtnMenu.h"
#include "components/VeltranEdit.h"
#include "toolbars/TBarCtls.h"
#include "editor/CodeMemo.h"
#include "editor/dialogs/SpinButton.h"
#include "platform/FormSpec.h"
#include "platform/Buttons.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Keys.h"
#include "platform/FontsQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TabCtrls.h"
#include "toolbars/listComboKt.h"

namespace {

// Each page's texts are one string: a line per control in the order of its table, caption and hint
// apart by "|". The pages' own captions and tab hints are one more string of the same kind.
constexpr int kPageTexts = 4700;
constexpr int kFirstPageControls = 4701; // then one string per page, in page order
constexpr int kUndoHint = 5400;
constexpr int kRedoHint = 5401;
constexpr int kPageCount = 8;
// The font list's hint, before the fonts chosen.
constexpr int kFontHint = 5551;

// Heights of the controls on a page: buttons and boxes alike, so that a row lines up.
constexpr int kRowTop = 1;
constexpr int kControlHeight = 22;
constexpr int kButtonMinWidth = 22;
constexpr int kFlowGap = 1;
// The height of the page control: the button-style tabs, the 2 pixels above the pages and a row.
constexpr int kTabHeight = 16;
// Group indexes of the latching buttons that belong to no group of the table: one each, above theirs.
constexpr int kLoneToggleGroups = 100;

// What a control of a page is, and what a press on it does.
namespace K {
enum TKind : int {
    Insert,     // inserts the code of its Tag, reading Ctrl, Shift and the button of the press
    InsertList, // inserts the list or table code of its Tag (lists, link and date commands)
    Heading,    // the heading button: inserts its caption's heading, or, right-clicked, offers H1 to H6
    Table,      // builds a table of the chosen rows and columns
    Repeat,     // puts the two repeat codes around each selected line
    MenuTag,    // drop-down button whose choice inserts by the button's Tag
    MenuSelect, // drop-down button whose choice is itself the code
    Toggle,     // a button that stays down; a non-zero group makes the group's buttons exclusive
    Combo,      // an address or value box that keeps a history
    FontCombo,  // the font names of the screen
    Edit,
    FlatEdit,   // a numeric field next to a spin button, framed as the flat buttons are
    CheckEdit,
    Check,
    Label,
    Spin,       // steps the number of the edit before it
    ColorPanel,
    Separator,
    Plain,      // a button with a behaviour of its own
    Assistant,  // a flat button that stays down while the assistant of its Tag is open
};
} // namespace K

// The pages' rows sit on one row of the page.
constexpr TFormRow kPageRow{kRowTop, kControlHeight, kFlowGap};

// The pages in order, with the controls of each; the fixed places are those the width layout moves.
const TControlSpec kDocumento[] = {
    {"sbDocType", K::MenuTag, 4, kFlow, kFit},
    {"sbHTML", K::MenuSelect, 0, kFlow, kFit},
    {"VSpeedBtnMenu1", K::MenuSelect, 0, kFlow, kFit},
    {"sepDocumento1", K::Separator, 0, kFlow, 4},
    {"sbFrameset", K::MenuSelect, 0, kFlow, kFit},
    {"sbFrame", K::MenuSelect, 0, kFlow, kFit},
    {"sbIFrame", K::MenuSelect, 0, kFlow, kFit},
    {"sbNoFrames", K::Insert, 102, kFlow, kFit},
    {"sbMarcos", K::Assistant, 9, kFlow, kFit},
    {"sepDocumento2", K::Separator, 0, kFlow, 4},
    {"sbMapa", K::Insert, 60, kFlow, kFit},
    {"sbArea", K::Insert, 61, kFlow, kFit},
    {"sbShape", K::MenuSelect, 0, kFlow, kFit},
    {"sbNoHref", K::Insert, 62, kFlow, kFit},
    {"sbUseMap", K::Insert, 65, kFlow, kFit},
    {"sepDocumento3", K::Separator, 0, kFlow, 4},
    {"sbComentario", K::Insert, 25, kFlow, kFit},
    {"sbUltimo", K::Insert, 18, kFlow, kFit},
    // The repeat tool, built with the page and placed on the side panel's assistant "Repetir códigos".
    {"eRepInicio", K::Edit, 0, kFlow, 60},
    {"eRepFinal", K::Edit, 0, kFlow, 60},
    {"sbRepiteTag", K::Repeat, 0, kFlow, kFit},
};

const TControlSpec kTexto[] = {
    {"SbTamanoFuente", K::MenuTag, 2, 2, 50},
    {"CbFuente", K::FontCombo, 0, 55, 100},
    {"SbFuente", K::Insert, 52, 159, 22},
    {"SbColorFuente", K::Insert, 53, 181, 22},
    {"PColorFuente", K::ColorPanel, 0, 184, 16},
    {"bevelAtributos1", K::Separator, 0, 228, 4},
    {"sbFont", K::Insert, 51, 233, 22},
    {"sbTamanoBase", K::Insert, 50, 255, 22},
    {"bevelAtributos2", K::Separator, 0, 280, 4},
    {"sbI", K::Insert, 54, 285, 22},
    {"sbB", K::Insert, 55, 307, 22},
    {"sbU", K::Insert, 56, 329, 22},
    {"sbS", K::Insert, 57, 351, 18},
    {"sbSUP", K::Insert, 58, 369, 26},
    {"sbSUB", K::Insert, 59, 395, 25},
    {"bevelAtributos3", K::Separator, 0, 420, 4},
    {"sbTags", K::MenuTag, 3, 425, 26},
};

const TControlSpec kParrafos[] = {
    {"SbCabecera", K::Heading, 1, kFlow, 26},
    {"sbP", K::Insert, 10, kFlow, kFit},
    {"sbPCierre", K::Insert, 38, kFlow, kFit},
    {"sbBr", K::Insert, 13, kFlow, kFit},
    {"sbNoBr", K::Insert, 12, kFlow, kFit},
    {"sbHr", K::Insert, 15, kFlow, kFit},
    {"sepParrafos1", K::Separator, 0, kFlow, 4},
    {"sbDiv", K::Insert, 14, kFlow, kFit},
    {"sbCentro", K::Insert, 17, kFlow, kFit},
    {"sbCita", K::Insert, 16, kFlow, kFit},
    {"sbBlockTags", K::MenuTag, 3, kFlow, kFit},
    {"sepParrafos2", K::Separator, 0, kFlow, 4},
    {"sbIzquierda", K::Insert, 3, kFlow, kFit},
    {"sbCentrado", K::Insert, 2, kFlow, kFit},
    {"sbDerecha", K::Insert, 1, kFlow, kFit},
    {"sepParrafos3", K::Separator, 0, kFlow, 4},
    {"sbEspacio", K::Insert, 37, kFlow, kFit},
    {"sbMenorMayor", K::Insert, 39, kFlow, kFit},
    {"sepParrafos4", K::Separator, 0, kFlow, 4},
    {"sbSpacer", K::MenuSelect, 0, kFlow, kFit},
    {"sbMulticol", K::MenuSelect, 0, kFlow, kFit},
    {"sbMarquee", K::MenuSelect, 0, kFlow, kFit},
};

const TControlSpec kListas[] = {
    {"UL1", K::Toggle, 0, kFlow, kFit, 1},
    {"UL2", K::Toggle, 0, kFlow, kFit, 1},
    {"UL3", K::Toggle, 0, kFlow, kFit, 1},
    {"sbUL", K::InsertList, 10, kFlow, kFit},
    {"sepListas1", K::Separator, 0, kFlow, 4},
    {"OL1", K::Toggle, 0, kFlow, kFit, 2},
    {"OL2", K::Toggle, 0, kFlow, kFit, 2},
    {"OL3", K::Toggle, 0, kFlow, kFit, 2},
    {"OL4", K::Toggle, 0, kFlow, kFit, 2},
    {"OL5", K::Toggle, 0, kFlow, kFit, 2},
    {"sbOLStart", K::Toggle, 0, kFlow, kFit},
    {"EStartOL", K::FlatEdit, 0, kFlow, 30},
    {"sbOL", K::InsertList, 11, kFlow, kFit},
    {"sepListas2", K::Separator, 0, kFlow, 4},
    {"sbLI", K::Insert, 22, kFlow, kFit},
    {"sbDL", K::Insert, 19, kFlow, kFit},
    {"sbDT", K::Insert, 20, kFlow, kFit},
    {"sbDD", K::Insert, 21, kFlow, kFit},
    {"sepListas3", K::Separator, 0, kFlow, 4},
    {"eListValue", K::CheckEdit, 0, kFlow, 70},
    {"chListOn", K::Check, 0, kFlow, kFit},
    {"sbOpcionLista", K::Insert, 250, kFlow, kFit},
    {"eComboValue", K::CheckEdit, 0, kFlow, 70},
    {"chComboOn", K::Check, 0, kFlow, kFit},
    {"sbOpcionCombo", K::Insert, 251, kFlow, kFit},
};

const TControlSpec kTablas[] = {
    {"sbTableOptions", K::MenuSelect, 0, kFlow, kFit},
    {"lblFilas", K::Label, 0, kFlow, kFit},
    {"eRows", K::FlatEdit, 0, kFlow, 26},
    {"udRows", K::Spin, 0, kFlow, 15},
    {"lblColumnas", K::Label, 0, kFlow, kFit},
    {"eCols", K::FlatEdit, 0, kFlow, 26},
    {"udCols", K::Spin, 0, kFlow, 15},
    {"sbTabla", K::Table, 0, kFlow, kFit},
    {"sepTablas1", K::Separator, 0, kFlow, 4},
    {"sbTR", K::Insert, 81, kFlow, kFit},
    {"sbTD", K::Insert, 83, kFlow, kFit},
    {"sbTH", K::Insert, 85, kFlow, kFit},
    {"sbCaption", K::Insert, 86, kFlow, kFit},
    {"sbRowSpan", K::Insert, 82, kFlow, kFit},
    {"sbColSpan", K::Insert, 84, kFlow, kFit},
    {"sepTablas2", K::Separator, 0, kFlow, 4},
    {"sbTableHeads", K::MenuSelect, 0, kFlow, kFit},
    {"sbColGroup", K::MenuSelect, 0, kFlow, kFit},
    {"sbTableFrame", K::MenuSelect, 0, kFlow, kFit},
    {"sbTableRules", K::MenuSelect, 0, kFlow, kFit},
    {"sepTablas3", K::Separator, 0, kFlow, 4},
    {"sbArriba", K::Insert, 4, kFlow, kFit},
    {"sbMedio", K::Insert, 5, kFlow, kFit},
    {"sbAbajo", K::Insert, 6, kFlow, kFit},
    {"sbLineaBase", K::Insert, 7, kFlow, kFit},
    {"sepTablas4", K::Separator, 0, kFlow, 4},
    {"pColor", K::ColorPanel, 0, kFlow, 22},
    {"sbColor", K::MenuTag, 30, kFlow, kFit},
};

const TControlSpec kEnlaces[] = {
    {"sbEnlace", K::Insert, 200, 2, 20},
    {"cbLinks", K::Combo, 0, 24, 100},
    {"cbTargetLink", K::Combo, 0, 128, 100},
    {"sepEnlaces1", K::Separator, 0, 232, 4},
    {"SBOkNameLink", K::Insert, 201, 238, 22},
    {"cbNameLinks", K::Combo, 0, 263, 100},
    {"sepEnlaces2", K::Separator, 0, 367, 4},
    {"sbLinkOptions", K::MenuSelect, 0, 373, 26},
};

const TControlSpec kScripts[] = {
    {"sbScripts", K::MenuSelect, 0, 2, kFit},
    {"sbNoScript", K::Insert, 112, kFlow, kFit},
    {"sepScripts1", K::Separator, 0, kFlow, 4},
    {"sbParam", K::Insert, 111, kFlow, kFit},
    {"cbJavaParam", K::Combo, 0, 190, 100},
    {"lblValor", K::Label, 0, 296, 30},
    {"cbJavaValue", K::Combo, 0, 329, 100},
};

const TControlSpec kSonido[] = {
    {"sbSound", K::MenuTag, 5, 2, 22},
    {"cbBGSound", K::Combo, 0, 25, 100},
    {"sbSoundLoop", K::Plain, 0, 129, 24},
    {"ELoop", K::FlatEdit, 0, 155, 37},
    {"udLoop", K::Spin, 0, 192, 15},
};

struct TPageSpec {
    const char* Name;
    const TControlSpec* Controls;
    size_t Count;
};

template <size_t N>
constexpr TPageSpec page(const char* name, const TControlSpec (&controls)[N])
{
    return {name, controls, N};
}

const TPageSpec kPages[kPageCount] = {
    page("tsDocumento", kDocumento), page("tsTexto", kTexto),     page("tsParrafos", kParrafos),
    page("tsListas", kListas),       page("tsTablas", kTablas),   page("tsEnlaces", kEnlaces),
    page("tsScripts", kScripts),     page("tsSonido", kSonido),
};

void setHint(QWidget* control, const std::string& hint)
{
    if (hint.empty())
        return;
    const QString text = FromEditorText(hint);
    control->setToolTip(text);
    // The status bar shows the hint of the control under the mouse.
    control->setStatusTip(text);
}

// The font list: a flat edit whose drop-down list takes several fonts, the hint naming the choice.
TlistComboKt* makeFontList(QWidget* parent)
{
    auto* fonts = new TlistComboKt(parent);
    QFont face("Arial");
    face.setPointSize(8);
    fonts->setFont(face);
    fonts->SetBoxWidth(17);
    // A down arrow on the button's face; the bottom-left colour is the glyph's transparent one.
    QImage arrow(9, 6, QImage::Format_RGB32);
    arrow.fill(ToQColor(clOlive));
    for (int row = 0; row < 4; ++row)
        for (int x = 1 + row; x < 8 - row; ++x)
            arrow.setPixel(x, 1 + row, qRgb(0, 0, 0));
    fonts->SetBoxGlyph(QPixmap::fromImage(arrow));
    fonts->SetListHeight(120);
    fonts->SetMultiselect(true);
    return fonts;
}

QFrame* makeSeparator(QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::VLine);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

template <class Button>
Button* makeButton(QWidget* parent, const std::string& caption)
{
    auto* button = new Button(parent);
    button->SetFlat(true);
    button->setText(FromEditorText(caption));
    // A press acts at once; the keyboard reaches the button by Tab.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

TToolbarButtonKt* makeToolbarButton(QWidget* parent, const std::string& caption)
{
    auto* button = new TToolbarButtonKt(parent);
    button->SetCaption(caption);
    // As the drop-down buttons: the keyboard reaches the button by Tab, and a click leaves the focus where it was.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// The undo and redo buttons' picture: a hooked arrow pointing back (undo) or forward (redo), on
// fuchsia, the background the button leaves transparent as the picture's bottom-left pixel.
QImage historyGlyph(bool redo)
{
    constexpr int kSize = 16;
    QImage glyph(kSize, kSize, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 255));
    QPainter painter(&glyph);
    const QColor arrow(0, 0, 128);
    // The shaft: up from the bottom right, along the top, down to the head on the left.
    painter.fillRect(11, 6, 2, 7, arrow);
    painter.fillRect(5, 4, 7, 2, arrow);
    painter.fillRect(4, 5, 2, 3, arrow);
    for (int row = 0; row < 4; ++row)
        painter.fillRect(1 + row, 8 + row, 8 - row * 2, 1, arrow);
    painter.end();
    return redo ? glyph.mirrored(true, false) : glyph;
}

int fittedWidth(const QFontMetrics& metrics, const std::string& caption)
{
    const int text = metrics.horizontalAdvance(FromEditorText(caption));
    return std::max(kButtonMinWidth, text + 8);
}

// A check box's width: its text, its box and the spacing, as the style draws them.
int checkWidth(const QCheckBox& check, const std::string& caption)
{
    return std::max(fittedWidth(check.fontMetrics(), caption) + 14, check.sizeHint().width());
}

} // namespace

// ---------------------------------------------------------------- values

namespace {

// The index of the button that is down among `buttons`; the first when none is.
template <size_t N>
int downIndex(TToolbarButtonKt* const (&buttons)[N])
{
    for (size_t i = 0; i < N; ++i)
        if (buttons[i]->Down())
            return static_cast<int>(i);
    return 0;
}

std::string textOf(const QLineEdit* edit)
{
    return ToEditorText(edit->text());
}

} // namespace

void TToolPagesLink::FillValues(TToolPageValues& v)
{
    if (FBuildAll)
        FBuildAll();
    FillBuiltValues(v);
}

void TToolPagesLink::FillBuiltValues(TToolPageValues& v)
{
    const TToolPageControls& c = FControls;
    const auto built = [&c](const TTabSetSheet* sheet) {
        return c.Built[static_cast<size_t>(std::find(c.Sheets.begin(), c.Sheets.end(), sheet) - c.Sheets.begin())];
    };
    if (built(c.tsTexto)) {
        v.FontColor = c.PColorFuente->Color();
        v.FontFace = ToEditorText(c.CbFuente->text());
        v.FontSizeIndex = c.SbTamanoFuente->ItemIndex();
    }
    if (built(c.tsSonido)) {
        fillCombo(v.BGSound, c.cbBGSound);
        v.Loop = textOf(c.ELoop);
    }
    if (built(c.tsScripts)) {
        fillCombo(v.JavaParam, c.cbJavaParam);
        fillCombo(v.JavaValue, c.cbJavaValue);
    }
    if (built(c.tsEnlaces)) {
        fillCombo(v.Links, c.cbLinks);
        fillCombo(v.NameLinks, c.cbNameLinks);
        fillCombo(v.TargetLink, c.cbTargetLink);
    }
    if (built(c.tsListas)) {
        v.ULKind = downIndex(c.UL);
        v.OLKind = downIndex(c.OL);
        v.OLStartOn = c.sbOLStart->Down();
        v.OLStart = textOf(c.EStartOL);
        v.ListValue = textOf(c.eListValue);
        v.ListValueOn = c.eListValue->Checked();
        v.ListSelected = c.chListOn->isChecked();
        v.ComboValue = textOf(c.eComboValue);
        v.ComboValueOn = c.eComboValue->Checked();
        v.ComboSelected = c.chComboOn->isChecked();
    }
    if (built(c.tsDocumento)) {
        v.RepeatPrefix = textOf(c.eRepInicio);
        v.RepeatSuffix = textOf(c.eRepFinal);
    }
    if (built(c.tsTablas)) {
        v.Color = c.pColor->Color();
        v.TableRows = c.Rows->Position();
        v.TableCols = c.Cols->Position();
    }
}

void TToolPagesLink::TakeBackCombos(const TToolPageValues& v)
{
    if (FBuildAll)
        FBuildAll();
    TToolPageControls& c = FControls;
    takeBackCombo(c.cbBGSound, v.BGSound);
    takeBackCombo(c.cbJavaParam, v.JavaParam);
    takeBackCombo(c.cbJavaValue, v.JavaValue);
    takeBackCombo(c.cbLinks, v.Links);
    takeBackCombo(c.cbNameLinks, v.NameLinks);
    takeBackCombo(c.cbTargetLink, v.TargetLink);
}

// ---------------------------------------------------------------- layout

void LayOutToolPages(TToolPageControls& c)
{
    const int W = c.pcSuperior->width();
    // The pages' share of the panel: the undo and redo buttons take its left end.
    const int tabs = c.PTabs->width() - c.pDeshacer->width();
    auto moveLeft = [](QWidget* control, int left) { control->move(left, control->y()); };
    auto setWidth = [](QWidget* control, int width) { control->resize(width, control->height()); };

    // The groups of pages not built yet are laid out when their pages are built.
    int d = tabs > 501 ? W - 455 : 0;
    if (c.CbFuente) {
        setWidth(c.CbFuente, d + 100);
        moveLeft(c.SbFuente, d + 159);
        moveLeft(c.SbColorFuente, d + 181);
        moveLeft(c.PColorFuente, d + 184);
        moveLeft(c.bevelAtributos1, d + 228);
        moveLeft(c.sbFont, d + 233);
        moveLeft(c.sbTamanoBase, d + 255);
        moveLeft(c.bevelAtributos2, d + 280);
        moveLeft(c.sbI, d + 285);
        moveLeft(c.sbB, d + 307);
        moveLeft(c.sbU, d + 329);
        moveLeft(c.sbS, d + 351);
        moveLeft(c.sbSUP, d + 369);
        moveLeft(c.sbSUB, d + 395);
        moveLeft(c.bevelAtributos3, d + 420);
        moveLeft(c.sbTags, d + 425);
    }

    d = tabs > 449 ? (W - 403) / 3 : 0;
    if (c.cbLinks) {
        for (QWidget* combo : {c.cbLinks, c.cbTargetLink, c.cbNameLinks})
            setWidth(combo, d + 100);
        moveLeft(c.cbTargetLink, d + 128);
        moveLeft(c.sepEnlaces1, 2 * d + 232);
        moveLeft(c.SBOkNameLink, 2 * d + 238);
        moveLeft(c.cbNameLinks, 2 * d + 263);
        moveLeft(c.sepEnlaces2, 3 * d + 367);
        moveLeft(c.sbLinkOptions, 3 * d + 373);
    }

    // Integer division rounds toward zero, as the layout wants.
    d = tabs > 508 ? (W - 462) / 2 : 0;
    if (c.cbJavaParam) {
        setWidth(c.cbJavaParam, d + 100);
        setWidth(c.cbJavaValue, d + 100);
        moveLeft(c.lblValor, d + 296);
        moveLeft(c.cbJavaValue, d + 329);
    }

    d = tabs > 261 ? W - 215 : 0;
    if (!c.cbBGSound)
        return;
    setWidth(c.cbBGSound, d + 100);
    moveLeft(c.sbSoundLoop, d + 129);
    moveLeft(c.ELoop, d + 155);
    moveLeft(c.udLoop, d + 192);
}

// ---------------------------------------------------------------- building the pages

namespace {

// Runs an action after each resize of the watched widget.
class TResizeWatcher : public QObject {
public:
    TResizeWatcher(QWidget* watched, std::function<void()> action) : QObject(watched), FAction(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            FAction();
        return false;
    }

private:
    std::function<void()> FAction;
};

// The named controls of the pages built so far.
void nameToolPageControls(TToolPageControls& c)
{
    const TPageSetControl* pages = c.pcSuperior;
    const auto pick = [pages]<class T>(T*& slot, const char* name) {
        if (!slot)
            slot = FindFormControl<T>(pages, name);
    };
    pick(c.sbMarcos, "sbMarcos");
    pick(c.SbTamanoFuente, "SbTamanoFuente");
    pick(c.CbFuente, "CbFuente");
    pick(c.SbFuente, "SbFuente");
    pick(c.SbColorFuente, "SbColorFuente");
    pick(c.PColorFuente, "PColorFuente");
    pick(c.bevelAtributos1, "bevelAtributos1");
    pick(c.sbFont, "sbFont");
    pick(c.sbTamanoBase, "sbTamanoBase");
    pick(c.bevelAtributos2, "bevelAtributos2");
    pick(c.sbI, "sbI");
    pick(c.sbB, "sbB");
    pick(c.sbU, "sbU");
    pick(c.sbS, "sbS");
    pick(c.sbSUP, "sbSUP");
    pick(c.sbSUB, "sbSUB");
    pick(c.bevelAtributos3, "bevelAtributos3");
    pick(c.sbTags, "sbTags");
    pick(c.sbEnlace, "sbEnlace");
    pick(c.cbLinks, "cbLinks");
    pick(c.cbTargetLink, "cbTargetLink");
    pick(c.sepEnlaces1, "sepEnlaces1");
    pick(c.SBOkNameLink, "SBOkNameLink");
    pick(c.cbNameLinks, "cbNameLinks");
    pick(c.sepEnlaces2, "sepEnlaces2");
    pick(c.sbLinkOptions, "sbLinkOptions");
    pick(c.cbJavaParam, "cbJavaParam");
    pick(c.lblValor, "lblValor");
    pick(c.cbJavaValue, "cbJavaValue");
    pick(c.sbSound, "sbSound");
    pick(c.cbBGSound, "cbBGSound");
    pick(c.sbSoundLoop, "sbSoundLoop");
    pick(c.ELoop, "ELoop");
    pick(c.udLoop, "udLoop");
    for (int i = 0; i < 3; ++i)
        pick(c.UL[i], ("UL" + std::to_string(i + 1)).c_str());
    for (int i = 0; i < 5; ++i)
        pick(c.OL[i], ("OL" + std::to_string(i + 1)).c_str());
    pick(c.sbOLStart, "sbOLStart");
    pick(c.EStartOL, "EStartOL");
    pick(c.eListValue, "eListValue");
    pick(c.chListOn, "chListOn");
    pick(c.eComboValue, "eComboValue");
    pick(c.chComboOn, "chComboOn");
    pick(c.eRows, "eRows");
    pick(c.udRows, "udRows");
    pick(c.eCols, "eCols");
    pick(c.udCols, "udCols");
    pick(c.sbTabla, "sbTabla");
    pick(c.pColor, "pColor");
    pick(c.sbColor, "sbColor");
    pick(c.eRepInicio, "eRepInicio");
    pick(c.eRepFinal, "eRepFinal");
    pick(c.sbRepiteTag, "sbRepiteTag");
    pick(c.SbCabecera, "SbCabecera");
    pick(c.sbBr, "sbBr");
    pick(c.sbHr, "sbHr");
}

// Runs an action once, when the watched widget is first shown within its parent.
class TShowWatcher : public QObject {
public:
    TShowWatcher(QWidget* watched, std::function<void()> action) : QObject(watched), FAction(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShowToParent) {
            watched->removeEventFilter(this);
            deleteLater();
            // The action may end this watcher's watched widget's filters; it is run from a copy.
            std::exchange(FAction, nullptr)();
        }
        return false;
    }

private:
    std::function<void()> FAction;
};

TMouseButton mouseButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

} // namespace

TToolPress TformPrincipal::pressOf(int kind)
{
    switch (static_cast<K::TKind>(kind)) {
    case K::Insert:
        return [this](QWidget* sender, Qt::MouseButton button, TShiftState shift) {
            // The line-break and rule buttons show their variants only after a right press filled
            // them: a left press inserts the plain code and no menu follows.
            if (auto* menu = dynamic_cast<TVSpeedBtnMenu*>(sender); menu && button != Qt::RightButton)
                menu->Items().Clear();
            InsertaTagM(sender, mouseButtonOf(button), shift);
        };
    case K::InsertList:
        return [this](QWidget* sender, Qt::MouseButton button, TShiftState shift) {
            if (button != Qt::LeftButton)
                return;
            BtnMouseDown(sender, mbLeft, shift);
            InsertaTagC(sender);
        };
    case K::Heading:
        return [this](QWidget* sender, Qt::MouseButton button, TShiftState shift) {
            SbCabeceraMouseDown(static_cast<TVSpeedBtnMenu*>(sender), mouseButtonOf(button), shift);
        };
    case K::Table:
        return [this](QWidget* sender, Qt::MouseButton button, TShiftState shift) {
            sbTablaMouseDown(sender, mouseButtonOf(button), shift);
        };
    case K::Repeat:
        return [this](QWidget* sender, Qt::MouseButton button, TShiftState) {
            if (button == Qt::LeftButton)
                sbRepiteTagClick(sender);
        };
    case K::MenuTag:
    case K::MenuSelect:
        return [this](QWidget* sender, Qt::MouseButton button, TShiftState shift) {
            BtnMouseDown(sender, mouseButtonOf(button), shift);
        };
    default:
        return nullptr;
    }
}

void TformPrincipal::CreaHerramientas()
{
    FHerramientas = std::make_unique<TToolPageControls>();
    TToolPageControls& c = *FHerramientas;

    c.PHerramientas = new QWidget(FPlaces.pCentral);
    c.PHerramientas->setObjectName("PHerramientas");
    auto* panelLayout = new QVBoxLayout(c.PHerramientas);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    c.PTabs = new QWidget(c.PHerramientas);
    c.PTabs->setObjectName("PTabs");
    panelLayout->addWidget(c.PTabs);

    TPageSetControl* pages = c.pcSuperior = new TPageSetControl(c.PTabs);
    pages->setObjectName("pcSuperior");
    pages->SetButtonStyle(true);
    pages->SetHotTrack(true);
    pages->SetTabInactiveColor(static_cast<TColor>(clBtnFace));
    pages->TabInactiveFont().SetName("Arial");
    pages->SetTabHeight(kTabHeight);
    c.Presses = new TToolPressFilter(pages);

    const std::vector<TCaptionAndHint> pageTexts = captionsAndHints(kPageTexts);
    for (int p = 0; p < kPageCount; ++p) {
        auto* sheet = new TTabSetSheet(pages);
        sheet->setObjectName(kPages[p].Name);
        sheet->SetCaption(pageTexts.at(p).Caption);
        sheet->SetTabHint(pageTexts.at(p).Hint);
        sheet->SetPageControl(pages);
        c.Sheets.push_back(sheet);
    }
    c.tsDocumento = c.Sheets[0];
    c.tsTexto = c.Sheets[1];
    c.tsParrafos = c.Sheets[2];
    c.tsListas = c.Sheets[3];
    c.tsTablas = c.Sheets[4];
    c.tsEnlaces = c.Sheets[5];
    c.tsScripts = c.Sheets[6];
    c.tsSonido = c.Sheets[7];
    c.Built.assign(kPageCount, false);
    c.Link = std::make_unique<TToolPagesLink>(c, [this] { Herramientas(); });
    SetToolPageLink(c.Link.get());

    // The page shown at start is built now; the others wait until they show or are reached.
    constexpr int kStartPage = 0;
    buildToolPage(kStartPage);

    pages->SetActivePage(c.Sheets[kStartPage]);
    pages->Loaded();
    // The panel is as high as the tabs, the space above the pages and one row of controls.
    pages->resize(600, 200);
    const TRect display = pages->DisplayRect();
    const int height = display.Top + (200 - display.Bottom) + kRowTop * 2 + kControlHeight + 1;
    c.PTabs->setFixedHeight(height);
    for (int p = 0; p < kPageCount; ++p)
        if (!c.Built[p])
            new TShowWatcher(c.Sheets[p], [this, p] { buildToolPage(p); });

    // The undo and redo buttons stand left of the pages, on the row of their controls; their menus
    // and commands are tied to them with the window's commands.
    c.pDeshacer = new QWidget(c.PTabs);
    c.pDeshacer->setObjectName("pDeshacer");
    int left = kRowTop;
    for (const bool redo : {false, true}) {
        auto* button = new TToolbarButtonKt(c.pDeshacer);
        button->setObjectName(redo ? "sbRehacer" : "sbDeshacer");
        button->SetGlyph(historyGlyph(redo));
        button->SetDropdownCombo(true);
        setHint(button, LoadResString(redo ? kRedoHint : kUndoHint));
        button->move(left, display.Top + kRowTop);
        button->Loaded();
        left += button->width();
        (redo ? c.sbRehacer : c.sbDeshacer) = button;
    }
    c.pDeshacer->resize(left + kRowTop, height);
    new TResizeWatcher(c.PTabs, [this] { PTabsResize(); });

    // The panel's place is on top of the window's middle.
    FPlaces.Top->insertWidget(0, c.PHerramientas);
}

TToolPageControls& TformPrincipal::Herramientas() const
{
    // Building a page changes the window's controls, not what the caller sees of the window.
    auto* self = const_cast<TformPrincipal*>(this);
    for (int p = 0; p < kPageCount; ++p)
        self->buildToolPage(p);
    return *FHerramientas;
}

void TformPrincipal::buildToolPage(int p)
{
    TToolPageControls& c = *FHerramientas;
    if (c.Built[p])
        return;
    c.Built[p] = true;
    const TPageSpec& spec = kPages[p];
    TTabSetSheet* sheet = c.Sheets[p];
    QLineEdit* lastEdit = nullptr;
    const std::vector<TCaptionAndHint> texts = captionsAndHints(kFirstPageControls + p);
    const std::span<const TControlSpec> rows(spec.Controls, spec.Count);
    // The texts of a page are in the order of its rows.
    const auto textOf = [&](const TControlSpec& row) -> const TCaptionAndHint& {
        return texts.at(static_cast<size_t>(&row - spec.Controls));
    };
    const auto make = [&](const TControlSpec& control, QWidget* parent, int& width) -> QWidget* {
        const std::string& caption = textOf(control).Caption;
        QWidget* made = nullptr;
        switch (control.Kind) {
        case K::Insert:
        case K::InsertList:
        case K::Table:
        case K::Repeat:
        case K::Plain: {
            // BR and HR offer their variants in a menu, which a right click fills.
            const bool withMenu = control.Tag == 13 || control.Tag == 15;
            made = withMenu ? static_cast<QWidget*>(makeButton<TVSpeedBtnMenu>(parent, caption))
                            : makeToolbarButton(parent, caption);
            break;
        }
        case K::Heading:
        case K::MenuTag:
        case K::MenuSelect:
            made = makeButton<TVSpeedBtnMenu>(parent, caption);
            break;
        case K::Toggle: {
            auto* button = makeToolbarButton(parent, caption);
            // A button of no group is a group of its own that may be released.
            if (control.Group != 0) {
                button->SetGroupIndex(control.Group);
            } else {
                button->SetGroupIndex(kLoneToggleGroups + static_cast<int>(&control - spec.Controls));
                button->SetAllowAllUp(true);
            }
            made = button;
            break;
        }
        case K::Combo: {
            auto* combo = new TStoredComboBox(parent);
            combo->SetFlat(true);
            // The history keeps its own order, newest first.
            combo->setInsertPolicy(QComboBox::NoInsert);
            made = combo;
            break;
        }
        case K::FontCombo:
            made = makeFontList(parent);
            break;
        case K::Edit:
            made = new QLineEdit(parent);
            break;
        case K::FlatEdit: {
            auto* edit = new TEditKt(parent);
            edit->Loaded();
            made = edit;
            break;
        }
        case K::CheckEdit: {
            auto* edit = new TChkEdit(parent);
            edit->SetCheckVisible(true);
            made = edit;
            break;
        }
        case K::Check: {
            auto* check = new QCheckBox(FromEditorText(caption), parent);
            made = check;
            // The box, its spacing and the text, as the style draws them.
            if (width < 0)
                width = checkWidth(*check, caption);
            break;
        }
        case K::Label: {
            auto* label = new QLabel(FromEditorText(caption), parent);
            label->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
            made = label;
            break;
        }
        case K::Spin:
            made = new TSpinButton(parent);
            break;
        case K::ColorPanel:
            made = new TColorPanel(parent);
            break;
        case K::Separator:
            made = makeSeparator(parent);
            break;
        case K::Assistant: {
            // Down while its assistant is open: a group of its own, released when the assistant closes.
            auto* button = makeToolbarButton(parent, caption);
            button->SetGroupIndex(kLoneToggleGroups + static_cast<int>(&control - spec.Controls));
            button->SetAllowAllUp(true);
            button->OnClick = [this](TToolbarButtonKt* sender) { LlamadasExpertos(sender); };
            made = button;
            break;
        }
        default:
            throw std::logic_error(std::string("tool page control of no kind: ") + control.Name);
        }
        setHint(made, textOf(control).Hint);
        if (width < 0)
            width = fittedWidth(made->fontMetrics(), caption);
        return made;
    };
    const std::vector<QWidget*> made = BuildControls(sheet, rows, kPageRow, make);
    // A page made while it shows shows its controls.
    if (sheet->isVisible())
        for (size_t i = 0; i < made.size(); ++i)
            if (rows[i].Parent < 0)
                made[i]->show();
    for (size_t i = 0; i < made.size(); ++i) {
        const TControlSpec& control = rows[i];
        if (control.Kind == K::Edit || control.Kind == K::FlatEdit)
            lastEdit = static_cast<QLineEdit*>(made[i]);
        // A spin button's hint is its edit's too.
        if (control.Kind == K::Spin && lastEdit)
            setHint(lastEdit, texts.at(i).Hint);
        if (TToolPress handler = pressOf(control.Kind))
            c.Presses->Watch(made[i], std::move(handler));
    }

    nameToolPageControls(c);
    c.MenuButtons.clear();
    for (TTabSetSheet* page : c.Sheets)
        for (QWidget* control : page->findChildren<QWidget*>())
            if (auto* button = dynamic_cast<TVSpeedBtnMenu*>(control))
                c.MenuButtons.push_back(button);
    for (const std::string& name : DropDownButtonNames())
        if (auto* button = dynamic_cast<TVSpeedBtnMenu*>(sheet->findChild<QWidget*>(QLatin1String(name)))) // Not editor text: a control's name
            PreparaBotonMenu(button, name);
    // The heading, line-break and rule buttons fill their lists themselves; a choice goes by their Tag.
    for (TVSpeedBtnMenu* button : {c.SbCabecera, c.sbBr, c.sbHr})
        if (button && sheet->isAncestorOf(button))
            button->OnSelect = [this](TVSpeedBtnMenu* sender) { BtnMenuTag(sender); };

    // Starting values: the plain bullet and numbering, size 3 (the browsers' normal size), a table of
    // two by two and a sound played once.
    if (sheet == c.tsListas) {
        c.UL[0]->SetDown(true);
        c.OL[0]->SetDown(true);
        c.EStartOL->setText("1");
    }
    if (sheet == c.tsTablas) {
        c.eRows->setText("2");
        c.eCols->setText("2");
        c.Rows = std::make_unique<TUpDownEdit>(c.eRows, c.udRows, 0, 99);
        c.Cols = std::make_unique<TUpDownEdit>(c.eCols, c.udCols, 0, 99);
    }
    if (sheet == c.tsSonido) {
        c.ELoop->setText("1");
        c.Loop = std::make_unique<TUpDownEdit>(c.ELoop, c.udLoop, -1, 999);
        c.sbSoundLoop->OnClick = [&c](TToolbarButtonKt*) { c.Loop->SetPosition(-1); };
    }
    if (sheet == c.tsTexto) {
        c.SbTamanoFuente->SetItemIndex(2);
        // The colour strip lies over the lower part of the font colour button.
        c.PColorFuente->setGeometry(c.PColorFuente->x(), kRowTop + 16, 16, 4);
        c.PColorFuente->raise();
        c.PColorFuente->setAttribute(Qt::WA_TransparentForMouseEvents);
        // Family names, each once: what the font code names.
        QStringList families;
        for (const std::string& family : ScreenFontFamilies())
            families.append(FromEditorText(family));
        connect(c.CbFuente, &QLineEdit::textChanged, this, [this] { CbFuenteChange(); });
        c.CbFuente->SetItems(families);
        c.CbFuente->SetItemIndex(0);
    }
    for (const auto& built : c.PageBuilt)
        built(p);
    if (c.LaidOut)
        LayOutToolPages(c);
    if (FFormStorage) {
        FFormStorage->ComponentsMade();
        // Once the placement is restored the record holds what the pages hold: this page's too.
        if (FFormStorage->Restored())
            c.Link->FillBuiltValues(FToolPageValues);
    }
}

void TformPrincipal::CbFuenteChange()
{
    TlistComboKt* fonts = FHerramientas->CbFuente;
    setHint(fonts, LoadResString(kFontHint) + ToEditorText(fonts->text()));
}

int ToolPageRowsWidth(const TToolPageControls& c, int page)
{
    const TPageSpec& spec = kPages[page];
    const std::vector<TCaptionAndHint> texts = captionsAndHints(kFirstPageControls + page);
    TTabSetSheet* sheet = c.Sheets[static_cast<size_t>(page)];
    const QFontMetrics metrics = sheet->fontMetrics();
    int right = 0;
    int flowLeft = 2;
    for (size_t i = 0; i < spec.Count; ++i) {
        const TControlSpec& row = spec.Controls[i];
        const std::string& caption = texts.at(i).Caption;
        int width = row.Width;
        if (width < 0 && row.Kind == K::Check) {
            // A check box's box and spacing are its style's: one is asked, on the page, as the page makes it.
            const QCheckBox probe(FromEditorText(caption), sheet);
            width = checkWidth(probe, caption);
        } else if (width < 0) {
            width = fittedWidth(metrics, caption);
        }
        right = std::max(right, FlowLeft(row, width, kPageRow, flowLeft) + width);
    }
    return right + kRowTop;
}

int ToolPagesWidth(const TToolPageControls& c)
{
    int widest = 0;
    for (size_t p = 0; p < c.Sheets.size(); ++p) {
        const TTabSetSheet* sheet = c.Sheets[p];
        const int page = c.Built[p] ? sheet->childrenRect().right() + 1 + kRowTop
                                    : ToolPageRowsWidth(c, static_cast<int>(p));
        widest = std::max(widest, page);
    }
    // The page control's frame around its pages.
    const TRect display = c.pcSuperior->DisplayRect();
    return c.pDeshacer->width() + widest + c.pcSuperior->width() - (display.Right - display.Left);
}

void TformPrincipal::PTabsResize()
{
    TToolPageControls& c = *FHerramientas;
    const int left = c.pDeshacer->width();
    c.pDeshacer->setGeometry(0, 0, left, c.PTabs->height());
    c.pcSuperior->setGeometry(left, 0, c.PTabs->width() - left, c.PTabs->height());
    c.LaidOut = true;
    LayOutToolPages(c);
}
