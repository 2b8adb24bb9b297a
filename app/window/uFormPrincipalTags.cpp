// The main window's tag insertion: the commands of the Insert menu and the tool pages, their codes and the code for a dropped file.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/host/ImgSize.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/PanelItems.h"
#include "app/model/TagComposer.h"
#include "app/model/TagTable.h"
#include "app/model/libCSS.h"
#include "app/host/libKestrimaTags.h"
#include "app/model/libKestrima.h"
#include "app/widgets/uFormPregunta.h"
#include "components/VSpeedBtnMenu.h"
#include "editor/CodeMemo.h"
#include "platform/Cursors.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/IniFile.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kDecimalToHexCaption = 4658;
constexpr int kHexToDecimalCaption = 4659;
constexpr int kColorPrompt = 4660;
constexpr int kNotDecimalColor = 4661;
constexpr int kNotHexColor = 4662;
constexpr int kAllFilesFilter = 4663;
constexpr int kPictureFilter = 4664;
constexpr int kInsertSubmenus = 4665;  // then one entry of item captions per submenu

// The Insert menu: per submenu, the command of each item. A command of InsertaTagC is marked, since
// its numbers overlap those of InsertaTag.
struct TInsertItem {
    int Tag;
    bool FileOrList = false;
};
using TInsertItems = std::vector<TInsertItem>;

const std::vector<TInsertItems>& insertMenu()
{
    static const std::vector<TInsertItems> menu = {
        // Text
        {{55}, {54}, {56}, {57}, {58}, {59}, {38}, {10}, {29}, {28}, {12}, {14}, {16}, {17}, {25}, {37}, {39},
         {260}, {18}, {20, true}},
        // Lists
        {{10, true}, {11, true}, {12, true}, {13, true}, {22}, {40}, {19}, {20}, {21}, {23}, {24}},
        // Tables
        {{81}, {83}, {85}, {86}, {82}, {84}},
        // Attributes
        {{1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}, {9}, {11}, {36}, {500}, {501}, {502}, {503}, {504}, {505},
         {506}, {507}, {508}, {509}, {510}},
        // Maps, frames and scripts
        {{60}, {61}, {62}, {65}, {102}, {112}},
        // Files
        {{1, true}, {2, true}, {4, true}},
        // The credit link
        {{70}},
    };
    return menu;
}

int tagOf(QObject* sender)
{
    return sender ? sender->property("Tag").toInt() : 0;
}

QAction* addCommand(QMenu* menu, QObject* owner, const std::string& caption, int tag)
{
    auto* item = new QAction(FromEditorText(caption), owner);
    item->setProperty("Tag", tag);
    menu->addAction(item);
    return item;
}

bool endsWithLineBreak(const std::string& text)
{
    return !text.empty() && (text.back() == '\r' || text.back() == '\n');
}

std::string joinLines(const TStringList& lines, bool closingBreak)
{
    std::string text;
    for (int i = 0; i < lines.Count(); ++i) {
        if (i > 0)
            text += '\r';
        text += lines[i];
    }
    if (closingBreak)
        text += '\r';
    return text;
}

std::string fileNameWithoutExtension(const std::string& fileName)
{
    const std::string name = ExtractFileName(fileName);
    return name.substr(0, name.size() - ExtractFileExt(name).size());
}

bool isOneOf(const std::string& extension, std::initializer_list<const char*> extensions)
{
    for (const char* candidate : extensions)
        if (SameText(extension, candidate))
            return true;
    return false;
}

} // namespace

void TformPrincipal::readToolPages()
{
    if (FToolPageLink)
        FToolPageLink->FillValues(FToolPageValues);
}

void TformPrincipal::takeBackCombos()
{
    if (FToolPageLink)
        FToolPageLink->TakeBackCombos(FToolPageValues);
}

uint8_t TformPrincipal::caseMode() const
{
    const int mode = FConfig->InsCaseMode;
    return mode >= 0 && mode <= 3 ? static_cast<uint8_t>(mode) : 4;
}

void TformPrincipal::GuardaHistorial(THistoryCombo& Combo)
{
    AddToHistory(Combo);
}

std::string TformPrincipal::RutaRelativa(const std::string& FileName)
{
    // The page's text holds the name's characters as typed text would; the file system's bytes would
    // read as other characters in it, and a name's "\" as "/".
    return FilePathPageAddress(MakeRelativePath(ArchivoActual(), FileName, FConfig->InsertDirs));
}

void TformPrincipal::InsertaCodigo(int16_t Ctrl, int16_t Shift, const std::string& OpenCode, const std::string& CloseCode)
{
    TCodeMemoStrings& lines = FCodeMemo->Lines();
    lines.BeginUpdate();
    TScopeGuard update([&lines] { lines.EndUpdate(); });
    UltimaApertura = OpenCode;
    UltimoCierre = CloseCode;
    InsertTag(*FCodeMemo, caseMode(), Shift == 1, Ctrl == 1, OpenCode, CloseCode);
    FCodeMemo->setFocus();
}

void TformPrincipal::InsertaTagM(QObject* Sender, TMouseButton Button, TShiftState Shift)
{
    ShiftPulsado = (Shift & ssShift) ? 1 : 0;
    CtrlPulsado = (Shift & ssCtrl) ? 1 : 0;
    BotonDerecho = Button == mbRight ? 1 : 0;
    DesdeRaton = 1;
    InsertaTag(Sender);
}

void TformPrincipal::BtnMouseDown(QObject*, TMouseButton Button, TShiftState Shift)
{
    ShiftPulsado = (Shift & ssShift) ? 1 : 0;
    CtrlPulsado = (Shift & ssCtrl) ? 1 : 0;
    BotonDerecho = Button == mbRight ? 1 : 0;
}

void TformPrincipal::InsertaTag(QObject* Sender)
{
    // Only a command started by a button's mouse-down keeps its keys; a menu command uses neither.
    if (DesdeRaton != 1) {
        CtrlPulsado = 0;
        ShiftPulsado = 0;
        BotonDerecho = 0;
    }
    DesdeRaton = 0;
    const int tag = tagOf(Sender);
    const int16_t ctrl = CtrlPulsado;
    const int16_t shift = ShiftPulsado;
    const bool right = BotonDerecho == 1;

    // Fixed codes need nothing of the tool pages.
    if (const TTagCodes* codes = FixedTagCodes(tag)) {
        InsertaCodigo(codes->Ctrl ? ctrl : 0, shift, codes->Open, codes->Close);
        return;
    }
    readToolPages();
    const TToolPageValues& v = FToolPageValues;
    auto* menuButton = dynamic_cast<TVSpeedBtnMenu*>(Sender);
    switch (tag) {
    case 13:
    case 15:
        if (right) {
            // The button's menu offers the variants; nothing goes in now.
            if (menuButton) {
                menuButton->SetItems(tag == 13 ? LineBreakItems() : RuleItems());
                menuButton->Hints().Clear();
            }
            break;
        }
        InsertaCodigo(0, shift, tag == 13 ? "<BR>" : "<HR>", "");
        break;
    case 18:
        InsertaCodigo(ctrl, shift, UltimaApertura, UltimoCierre);
        break;
    case 26:
        InsertaCodigo(0, shift, Format(" BGCOLOR=\"#%s\"", ColorToHTML(v.Color).c_str()), "");
        break;
    case 27:
        InsertaCodigo(0, shift, std::string("#").append(ColorToHTML(v.Color)), "");
        break;
    case 37:
        InsertTag(*FCodeMemo, 4, shift == 1, false, "&nbsp;", "");
        break;
    case 39:
        InsertTag(*FCodeMemo, 4, false, false, "&lt;", "&gt;");
        break;
    case 50:
    case 51: {
        const char* format = tag == 50 ? "<BASEFONT COLOR=\"#%s\" FACE=%s SIZE=\"%d\">"
                                       : "<FONT COLOR=\"#%s\" FACE=%s SIZE=\"%d\">";
        InsertaCodigo(0, shift,
                      Format(format, ColorToHTML(v.FontColor).c_str(), QuoteAttributeValue(v.FontFace).c_str(),
                             v.FontSizeIndex + 1),
                      tag == 51 ? "</FONT>" : "");
        break;
    }
    case 52:
        if (right)
            InsertaCodigo(0, shift, " FACE=" + QuoteAttributeValue(v.FontFace), "");
        else
            InsertaCodigo(ctrl, shift, "<FONT FACE=" + QuoteAttributeValue(v.FontFace) + ">", "</FONT>");
        break;
    case 53:
        if (right)
            InsertaCodigo(0, shift, " COLOR=\"#" + ColorToHTML(v.FontColor) + "\"", "");
        else
            InsertaCodigo(ctrl, shift, "<FONT COLOR=\"#" + ColorToHTML(v.FontColor) + "\">", "</FONT>");
        break;
    case 70:
        InsertaCodigo(0, shift,
                      "<A HREF=\"" + FConfig->Web + "\">\r<IMG SRC=\"kestrima.gif\" ALT=\"Kestrima\" BORDER=\"0\">\r</A>", "");
        break;
    case 111:
        InsertaCodigo(ctrl, shift,
                      Format("<PARAM NAME=%s VALUE=%s>", QuoteAttributeValue(v.JavaParam.Text).c_str(),
                             QuoteAttributeValue(v.JavaValue.Text).c_str()),
                      "");
        GuardaHistorial(FToolPageValues.JavaParam);
        GuardaHistorial(FToolPageValues.JavaValue);
        takeBackCombos();
        break;
    case 200: {
        TToolPageValues& values = FToolPageValues;
        values.Links.Text = Trim(values.Links.Text);
        values.NameLinks.Text = Trim(values.NameLinks.Text);
        values.TargetLink.Text = Trim(values.TargetLink.Text);
        const std::string link = values.NameLinks.Text.empty() ? values.Links.Text
                                                                : values.Links.Text + '#' + values.NameLinks.Text;
        std::string open = "<A HREF=" + QuoteAttributeValue(link);
        open += values.TargetLink.Text.empty() ? ">" : " TARGET=" + QuoteAttributeValue(values.TargetLink.Text) + ">";
        InsertaCodigo(ctrl, shift, open, "</A>");
        GuardaHistorial(values.Links);
        GuardaHistorial(values.NameLinks);
        GuardaHistorial(values.TargetLink);
        takeBackCombos();
        break;
    }
    case 201:
        InsertaCodigo(0, 0, "<A NAME=" + QuoteAttributeValue(v.NameLinks.Text) + ">", "</A>");
        GuardaHistorial(FToolPageValues.NameLinks);
        takeBackCombos();
        break;
    case 230:
    case 231:
    case 232: {
        // Without a chosen style there is nothing to insert, and the focus stays where it is.
        if (v.StyleEntry.empty())
            return;
        const std::string& entry = v.StyleEntry;
        if (tag == 230) {
            InsertaCodigo(ctrl, shift, Format("%s{%s}", entry.c_str(), CSSGetRuleBody(v.StyleText, entry).c_str()), "");
        } else if (tag == 231) {
            InsertaCodigo(ctrl, shift, " STYLE=" + QuoteAttributeValue(CSSGetRuleBody(v.StyleText, entry)), "");
        } else {
            std::string openCode, closeCode;
            StyleClassCodes(entry, right, openCode, closeCode);
            InsertaCodigo(ctrl, shift, openCode, closeCode);
        }
        break;
    }
    case 233:
        InsertaCodigo(ctrl, shift,
                      Format("<LINK REL=\"stylesheet\" TYPE=\"text/css\" HREF=%s TITLE=%s>",
                             QuoteAttributeValue(RutaRelativa(v.StyleLibraryPath)).c_str(),
                             QuoteAttributeValue(FilePathPageText(v.StyleLibraryName)).c_str()),
                      "");
        break;
    case 250:
    case 251: {
        const bool list = tag == 250;
        std::string open = "<OPTION";
        if (list ? v.ListValueOn : v.ComboValueOn)
            open += " VALUE=" + QuoteAttributeValue(list ? v.ListValue : v.ComboValue);
        if (list ? v.ListSelected : v.ComboSelected)
            open += " SELECTED";
        InsertaCodigo(ctrl, shift, open + ">", "");
        break;
    }
    default:
        break;
    }
    FCodeMemo->setFocus();
}

void TformPrincipal::insertConvertedColor(int item)
{
    const bool toHex = item == 7;
    const std::string answer = InputQuestion(LoadResString(kColorPrompt),
                                             LoadResString(toHex ? kDecimalToHexCaption : kHexToDecimalCaption), "");
    if (answer.empty())
        return;
    std::string converted;
    if (!(toHex ? DecimalColorToHex(answer, converted) : HexColorToDecimal(answer, converted))) {
        MessageBox(this, FmtLoadStr(toHex ? kNotDecimalColor : kNotHexColor, answer.c_str()), {}, MB_OK | MB_ICONSTOP);
        return;
    }
    InsertaCodigo(0, ShiftPulsado, converted, "");
}

void TformPrincipal::BtnMenuTag(QObject* Sender)
{
    readToolPages();
    auto* button = dynamic_cast<TVSpeedBtnMenu*>(Sender);
    const int index = button ? button->ItemIndex() : -1;
    const auto hint = [&]() -> std::string {
        return button && index >= 0 && index < button->Hints().Count() ? button->Hints()[index] : std::string();
    };
    const int16_t ctrl = CtrlPulsado;
    const int16_t shift = ShiftPulsado;
    const TToolPageValues& v = FToolPageValues;
    switch (tagOf(Sender)) {
    case 1:
        if (index < 0)
            return;
        button->setText(QStringLiteral("H%1").arg(index + 1));
        InsertaCodigo(ctrl, shift, Format("<H%d>", index + 1), Format("</H%d>", index + 1));
        return;
    case 2:
        if (index < 0)
            return;
        if (BotonDerecho == 1)
            InsertaCodigo(0, shift, Format(" SIZE=\"%d\"", index + 1), "");
        else
            InsertaCodigo(ctrl, shift, Format("<FONT SIZE=\"%d\">", index + 1), "</FONT>");
        return;
    case 3: {
        const std::string name = hint();
        if (name.empty())
            return;
        InsertaCodigo(ctrl, shift, Format("<%s>", name.c_str()), Format("</%s>", name.c_str()));
        return;
    }
    case 4:
        if (index == 0)
            InsertaCodigo(ctrl, shift, "<!DOCTYPE HTML PUBLIC \"", "\">");
        else if (!hint().empty())
            InsertaCodigo(ctrl, shift, hint(), "");
        return;
    case 5: {
        const std::string sourceValue = QuoteAttributeValue(v.BGSound.Text), loopValue = QuoteAttributeValue(v.Loop);
        const char* source = sourceValue.c_str();
        const char* loop = loopValue.c_str();
        if (index == 0)
            InsertaCodigo(0, shift, Format("<SOUND SRC=%s LOOP=%s>", source, loop), "");
        else if (index == 1)
            InsertaCodigo(0, shift, Format("<BGSOUND SRC=%s LOOP=%s>", source, loop), "");
        else if (index == 2)
            InsertaCodigo(0, shift, Format("<EMBED SRC=%s LOOP=%s HIDDEN>", source, loop), "");
        else if (index == 4)
            InsertaCodigo(0, shift, " DELAY=\"", "\"");
        else
            return;
        GuardaHistorial(FToolPageValues.BGSound);
        takeBackCombos();
        return;
    }
    case 13:
        if (index >= 0 && index <= 2) {
            const char* side[] = {"Left", "Right", "All"};
            InsertaCodigo(0, shift, Format("<BR CLEAR=\"%s\">", side[index]), "");
        }
        return;
    case 15:
        InsertaCodigo(0, shift, "<HR NOSHADE>", "");
        return;
    case 25:
        InsertaCodigo(0, 0, "< ", " >");
        return;
    case 30:
        if (index == 0)
            InsertaCodigo(0, shift, ColorToHTML(v.Color), "");
        else if (index >= 1 && index <= 5 && !hint().empty())
            InsertaCodigo(0, shift, Format(" %s=\"#%s\"", hint().c_str(), ColorToHTML(v.Color).c_str()), "");
        else if (index == 7 || index == 8)
            insertConvertedColor(index);
        return;
    default:
        return;
    }
}

void TformPrincipal::BtnMenuSelect(TVSpeedBtnMenu* Sender)
{
    const int index = Sender->ItemIndex();
    if (index < 0 || index >= Sender->Items().Count())
        return;
    std::string open;
    std::string close;
    SplitMenuItemCodes(Sender->Items()[index], open, close);
    if (open.empty() && close.empty())
        return;
    InsertaCodigo(CtrlPulsado, ShiftPulsado, open, close);
}

void TformPrincipal::insertList(int16_t Ctrl, int16_t Shift, const std::string& OpenCode, const std::string& CloseCode)
{
    if (FCodeMemo->ReadOnly())
        return;
    const std::string selection = FCodeMemo->GetSelText();
    if (selection.empty() || Ctrl == 1) {
        InsertaCodigo(Ctrl, Shift, OpenCode, CloseCode);
        return;
    }
    const uint8_t mode = caseMode();
    const std::string open = ApplyCaseMode(mode, OpenCode);
    const std::string close = ApplyCaseMode(mode, CloseCode);
    const std::string prefix = ApplyCaseMode(mode, " <LI>");
    TBusyCursor busy;
    TStringList lines = LinesOf(selection);
    for (int i = 0; i < lines.Count(); ++i)
        lines[i] = prefix + lines[i];
    lines.Insert(0, open);
    lines.Add(close);
    FCodeMemo->PerformText(EM_REPLACESEL, 1, joinLines(lines, endsWithLineBreak(selection)).c_str());
    FCodeMemo->setFocus();
}

void TformPrincipal::replaceSelectionLines(const std::function<std::string(const std::string&)>& eachLine)
{
    if (FCodeMemo->ReadOnly())
        return;
    const std::string selection = FCodeMemo->GetSelText();
    TBusyCursor busy;
    TStringList lines = LinesOf(selection);
    for (int i = 0; i < lines.Count(); ++i)
        lines[i] = eachLine(lines[i]);
    FCodeMemo->PerformText(EM_REPLACESEL, 1, joinLines(lines, endsWithLineBreak(selection)).c_str());
}

void TformPrincipal::InsertaTagC(QObject* Sender)
{
    // A menu item carries no keys of its own.
    if (qobject_cast<QAction*>(Sender)) {
        CtrlPulsado = 0;
        ShiftPulsado = 0;
        BotonDerecho = 0;
    }
    readToolPages();
    const TToolPageValues& v = FToolPageValues;
    const int tag = tagOf(Sender);
    switch (tag) {
    case 1:
    case 2:
    case 3:
    case 4: {
        TFileDialogRequest request;
        request.Filter = LoadResString(tag == 4 ? kPictureFilter : kAllFilesFilter);
        // The file goes into the page by its address from the page: the dialog starts beside it.
        const std::string page = ArchivoActual();
        request.InitialDir = page.empty() ? OpenDialogInitialDir : ExtractFilePath(page);
        request.Options = ofHideReadOnly | ofFileMustExist;
        if (!ExecuteFileDialog(this, request))
            return;
        const char* format = tag == 1 ? " HREF=%s" : tag == 4 ? " BACKGROUND=%s" : " SRC=%s";
        InsertaCodigo(0, ShiftPulsado, Format(format, QuoteAttributeValue(RutaRelativa(request.FileName)).c_str()), "");
        return;
    }
    case 5: {
        auto* item = qobject_cast<QAction*>(Sender);
        QWidget* focused = QApplication::focusWidget();
        if (!item || !focused)
            return;
        const std::string caption = ToEditorText(item->text());
        if (auto* editor = dynamic_cast<TCustomCodeMemo*>(focused)) {
            if (!editor->ReadOnly())
                editor->PerformText(EM_REPLACESEL, 1, caption.c_str());
        } else if (auto* edit = qobject_cast<QLineEdit*>(focused)) {
            edit->insert(item->text());
        } else if (auto* combo = qobject_cast<QComboBox*>(focused); combo && combo->lineEdit()) {
            combo->lineEdit()->insert(item->text());
        }
        return;
    }
    case 10: {
        const char* kinds[] = {"<UL>", "<UL TYPE=\"disc\">", "<UL TYPE=\"square\">"};
        insertList(CtrlPulsado, ShiftPulsado, kinds[v.ULKind >= 0 && v.ULKind <= 2 ? v.ULKind : 0], "</UL>");
        return;
    }
    case 11: {
        const char* kinds[] = {"", " TYPE=\"A\"", " TYPE=\"a\"", " TYPE=\"I\"", " TYPE=\"i\""};
        std::string open = "<OL";
        open += kinds[v.OLKind >= 0 && v.OLKind <= 4 ? v.OLKind : 0];
        if (v.OLStartOn)
            open += " START=" + QuoteAttributeValue(v.OLStart);
        insertList(CtrlPulsado, ShiftPulsado, open + ">", "</OL>");
        return;
    }
    case 12:
        insertList(CtrlPulsado, ShiftPulsado, "<MENU>", "</MENU>");
        return;
    case 13:
        insertList(CtrlPulsado, ShiftPulsado, "<DIR>", "</DIR>");
        return;
    case 20: {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        InsertaCodigo(0, 0, DateTimeText(FConfig->DateFormat, local), "");
        return;
    }
    default:
        return;
    }
}

void TformPrincipal::sbTablaMouseDown(QObject*, TMouseButton, TShiftState Shift)
{
    ShiftPulsado = (Shift & ssShift) ? 1 : 0;
    readToolPages();
    const int rows = std::max(0, FToolPageValues.TableRows);
    const int cols = std::max(0, FToolPageValues.TableCols);
    if (rows == 0 && cols == 0) {
        InsertaCodigo(0, ShiftPulsado, "<TABLE>", "</TABLE>");
        return;
    }
    TStringList lines;
    lines.Add("<TABLE>");
    std::string cells;
    for (int c = 0; c < cols; ++c)
        cells += "<TD></TD>";
    for (int r = 0; r < rows; ++r) {
        lines.Add("<TR>");
        lines.Add(cells);
        lines.Add("</TR>");
    }
    lines.Add("</TABLE>");
    InsertaCodigo(0, ShiftPulsado, "", joinLines(lines, true));
}

void TformPrincipal::SbCabeceraMouseDown(TVSpeedBtnMenu* Sender, TMouseButton Button, TShiftState Shift)
{
    ShiftPulsado = (Shift & ssShift) ? 1 : 0;
    CtrlPulsado = (Shift & ssCtrl) ? 1 : 0;
    Sender->Items().Clear();
    if (Button == mbRight) {
        Sender->SetItems(HeadingItems());
        return;
    }
    const std::string caption = ToEditorText(Sender->text());
    InsertaCodigo(CtrlPulsado, ShiftPulsado, Format("<%s>", caption.c_str()), Format("</%s>", caption.c_str()));
}

void TformPrincipal::sbRepiteTagClick(QObject*)
{
    readToolPages();
    const std::string& prefix = FToolPageValues.RepeatPrefix;
    const std::string& suffix = FToolPageValues.RepeatSuffix;
    if (FCodeMemo->GetSelLength() == 0 || (prefix.empty() && suffix.empty()))
        return;
    replaceSelectionLines([&](const std::string& line) { return prefix + line + suffix; });
    // The codes were typed in the page's edits; the typing goes on in the document.
    FCodeMemo->setFocus();
}

void TformPrincipal::InsCarEspecialClick(QObject* Sender)
{
    auto* item = qobject_cast<QAction*>(Sender);
    if (!item || FCodeMemo->ReadOnly())
        return;
    FCodeMemo->PerformText(EM_REPLACESEL, 1, SpecialCharacterCode(ToEditorText(item->text())).c_str());
    FCodeMemo->setFocus();
}

void TformPrincipal::InsertaMiTag(QObject* Sender)
{
    auto* item = qobject_cast<QAction*>(Sender);
    if (!item || item->isSeparator())
        return;
    // The settings' menu keeps the code apart from its caption; an item made without one opens with
    // its caption.
    const QString code = item->data().isValid() ? item->data().toString() : item->text();
    InsertaCodigo(0, 0, ToEditorText(code), ToEditorText(item->statusTip()));
}

std::string TformPrincipal::CodigoDeArchivo(const std::string& FileName)
{
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(FileName, error);
    const std::string file = error ? FileName : full.lexically_normal().string();
    // A file's name is the user's to choose, markup included: as an address it spells the name with
    // whatever would end the attribute escaped, and as the link's text or an ALT it shows the name's
    // characters, none of which may open a tag, start a reference or end the attribute.
    const std::string path = QuoteAttributeValue(RutaRelativa(file));
    const std::string name = FilePathPageText(EscapePageText(fileNameWithoutExtension(file)));
    const std::string alt = QuoteAttributeValue(name);
    const std::string extension = ExtractFileExt(file);
    const uint8_t mode = caseMode();
    const auto link = [&](const std::string& address) {
        return ApplyCaseMode(mode, Format("<A HREF=%s>", address.c_str())) + name + ApplyCaseMode(mode, "</A>");
    };
    std::string code;
    if (isOneOf(extension, {".gif", ".png", ".jpg", ".jpeg", ".bmp"})) {
        uint16_t width = 0, height = 0;
        // The picture read is the one the system opens by the name given, whatever its spelling.
        if (GetImageSize(FileName, width, height))
            code = Format("<IMG SRC=%s ALT=%s WIDTH=\"%d\" HEIGHT=\"%d\">", path.c_str(), alt.c_str(), width, height);
        else
            code = Format("<IMG SRC=%s ALT=%s>", path.c_str(), alt.c_str());
    } else if (isOneOf(extension, {".wav", ".au", ".mid"})) {
        code = Format("<BGSOUND SRC=%s LOOP=\"-1\">", path.c_str());
    } else if (isOneOf(extension, {".css"})) {
        code = Format("<LINK REL=StyleSheet HREF=%s TYPE=\"text/css\">", path.c_str());
    } else if (isOneOf(extension, {".pfr"})) {
        code = Format("<LINK REL=FONTDEF SRC=%s>", path.c_str());
    } else if (isOneOf(extension, {".url"})) {
        return link(QuoteAttributeValue(TIniFile(FileName).ReadString("InternetShortcut", "URL", "")));
    } else {
        return link(path);
    }
    return ApplyCaseMode(mode, code);
}

void TformPrincipal::PreparaBotonMenu(TVSpeedBtnMenu* Button, const std::string& Name)
{
    TDropDownList list = DropDownList(Name);
    Button->SetItems(list.Items);
    Button->SetHints(list.Hints);
    if (list.Handler == TDropDownHandler::Tag) {
        Button->setProperty("Tag", list.Tag);
        Button->OnSelect = [this](TVSpeedBtnMenu* sender) { BtnMenuTag(sender); };
    } else {
        Button->OnSelect = [this](TVSpeedBtnMenu* sender) { BtnMenuSelect(sender); };
    }
}

void TformPrincipal::buildTagMenus(QMenu* insertar)
{
    // The custom codes are rebuilt from the settings at times; the menu itself routes their clicks.
    connect(FMenus.mOtrosTags, &QMenu::triggered, this, [this](QAction* item) { InsertaMiTag(item); });

    // One title per submenu: the table's groups, then the special characters and the URL schemes.
    const TStringList titles = LinesOf(LoadResString(kInsertSubmenus));
    QAction* before = FMenus.mOtrosTags->menuAction();
    const auto submenu = [&](int index) {
        auto* menu = new QMenu(FromEditorText(index < titles.Count() ? titles[index] : std::string()), insertar);
        insertar->insertMenu(before, menu);
        return menu;
    };
    const auto& groups = insertMenu();
    for (size_t i = 0; i < groups.size(); ++i) {
        const int index = static_cast<int>(i);
        QMenu* menu = submenu(index);
        const TStringList captions = LinesOf(LoadResString(kInsertSubmenus + 1 + index));
        for (size_t k = 0; k < groups[i].size() && static_cast<int>(k) < captions.Count(); ++k) {
            const TInsertItem command = groups[i][k];
            QAction* item = addCommand(menu, this, captions[static_cast<int>(k)], command.Tag);
            if (command.FileOrList)
                connect(item, &QAction::triggered, this, [this, item] { InsertaTagC(item); });
            else
                connect(item, &QAction::triggered, this, [this, item] { InsertaTag(item); });
        }
    }
    QMenu* special = submenu(static_cast<int>(groups.size()));
    const TStringList characters = SpecialCharacterCaptions();
    for (int i = 0; i < characters.Count(); ++i) {
        QAction* item = addCommand(special, this, characters[i], 0);
        connect(item, &QAction::triggered, this, [this, item] { InsCarEspecialClick(item); });
    }
    QMenu* schemes = submenu(static_cast<int>(groups.size()) + 1);
    const TStringList urls = URLSchemes();
    for (int i = 0; i < urls.Count(); ++i) {
        QAction* item = addCommand(schemes, this, urls[i], 5);
        connect(item, &QAction::triggered, this, [this, item] { InsertaTagC(item); });
    }

    // The editor's pop-up item that wraps the selection in "< " and " >".
    FpmTags = FCommands->Action("pmTags");
    FpmTags->setProperty("Tag", 25);
    connect(FpmTags, &QAction::triggered, this, [this] { BtnMenuTag(FpmTags); });
    FCodeMemo->addAction(FpmTags);
    if (FCodeMemo->contextMenuPolicy() == Qt::DefaultContextMenu)
        FCodeMemo->setContextMenuPolicy(Qt::ActionsContextMenu);
}
