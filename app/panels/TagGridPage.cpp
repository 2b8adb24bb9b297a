// TTagGridPage: the attribute grid of the side panel, and the tag and element selection commands.
#include "app/panels/TagGridPage.h"

#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/widgets/CodeGrid.h"
#include "app/host/WindowHost.h"
#include "app/model/TagTable.h"
#include "app/host/libKestrimaTags.h"
#include "app/model/TagComposer.h"
#include "app/model/libKestrima.h"
#include "app/model/libVeltran.h"
#include "app/widgets/SharedWidgets.h"
#include "editor/CodeMemo.h"
#include "platform/HandlerCall.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/ScopeGuard.h"
#include "toolbars/TBarCtls.h"

namespace {

constexpr int kHeaders = 6053;
constexpr int kButtons = 6054;
constexpr int kTagNameHint = 6055;

// Rows to type new attributes into, whatever the tag read.
constexpr int kGridRows = 16;
constexpr int kButtonHeight = 22;
// The letter case of the codes is left as the grid holds it.
constexpr uint8_t kKeepCase = 4;

TSelectionRange selectionOf(TCustomCodeMemo& editor)
{
    TSelectionRange range{0, 0};
    editor.PerformSelection(0, range);
    return range;
}

// The offset of `position` from the start of its line.
int columnOf(TCustomCodeMemo& editor, int position)
{
    const auto line = editor.Perform(EM_LINEFROMCHAR, position, 0);
    return position - static_cast<int>(editor.Perform(EM_LINEINDEX, line, 0));
}

void placeCaret(TCustomCodeMemo& editor, int position)
{
    TSelectionRange range{position, position};
    editor.PerformSelection(SMM_SET, range);
}

} // namespace

TTagGridPage::TTagGridPage(TWindowHost& host, QWidget* page)
    : QObject(page), tsTag(page), FHost(host)
{
    auto* layout = new QVBoxLayout(tsTag);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    eTag = new QLineEdit(tsTag);
    eTag->setObjectName("eTag");
    SetControlHint(eTag, LoadResString(kTagNameHint));
    layout->addWidget(eTag);
    buildButtons();
    auto* row = new QHBoxLayout;
    row->setSpacing(1);
    for (TToolbarButtonKt* button : {sbEditaTag, sbInsertaTag, sbTagEscalon})
        row->addWidget(button, 1);
    layout->addLayout(row);

    sgTags = new QTableWidget(kGridRows, 2, tsTag);
    sgTags->setObjectName("sgTags");
    const TStringList headers = LinesOf(LoadResString(kHeaders));
    sgTags->setHorizontalHeaderLabels({FromEditorText(headers[0]), FromEditorText(headers[1])});
    SetUpStringGrid(sgTags);
    layout->addWidget(sgTags, 1);

    // The names' column as the user leaves it is the width it keeps; the widths the layout sets
    // follow from it.
    connect(sgTags->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int width) {
        if (section != 0 || FLayingOut)
            return;
        FNamesWidth = width;
        sgTagsDrawCell();
    });
    // Typing into the last row opens another one below it.
    connect(sgTags, &QTableWidget::cellChanged, this, [this](int changed, int) {
        if (changed == sgTags->rowCount() - 1 && !(Cells(0, changed + 1).empty() && Cells(1, changed + 1).empty()))
            sgTags->setRowCount(sgTags->rowCount() + 1);
    });
    sgTags->installEventFilter(this);
    tsTag->installEventFilter(this);
}

TTagGridPage::~TTagGridPage() = default;

void TTagGridPage::buildButtons()
{
    const std::vector<TCaptionAndHint> texts = captionsAndHints(kButtons);
    TToolbarButtonKt** buttons[] = {&sbEditaTag, &sbInsertaTag, &sbTagEscalon};
    const char* names[] = {"sbEditaTag", "sbInsertaTag", "sbTagEscalon"};
    for (size_t i = 0; i < std::size(buttons); ++i) {
        auto* button = *buttons[i] = new TToolbarButtonKt(tsTag);
        button->setObjectName(names[i]);
        button->SetCaption(texts.at(i).Caption);
        SetControlHint(button, texts.at(i).Hint);
        button->setFixedHeight(kButtonHeight);
        button->Loaded();
    }
    // A toggle: a group of its own in which the button may be up.
    sbTagEscalon->SetGroupIndex(1);
    sbTagEscalon->SetAllowAllUp(true);
    sbEditaTag->OnClick = [this](TToolbarButtonKt*) { CallHandler(tsTag, [this] { sbEditaTagClick(); }); };
    sbInsertaTag->OnClick = [this](TToolbarButtonKt*) { CallHandler(tsTag, [this] { sbInsertaTagClick(); }); };
}

// ---------------------------------------------------------------- the grid

std::string TTagGridPage::Cells(int col, int row) const
{
    return GridCells(sgTags, col, row);
}

void TTagGridPage::SetCells(int col, int row, const std::string& text)
{
    // Row 0 is the header, which SetGridCells leaves alone.
    if (row == 0) {
        sgTags->setHorizontalHeaderItem(col, new QTableWidgetItem(FromEditorText(text)));
        return;
    }
    SetGridCells(sgTags, col, row, text);
}

int TTagGridPage::RowCount() const
{
    return sgTags->rowCount() + 1;
}

int TTagGridPage::ColumnWidth(int col) const
{
    return sgTags->columnWidth(col);
}

void TTagGridPage::SetColumnWidths(int names, int values)
{
    FNamesWidth = names;
    const TScopeGuard layingOut = layOut();
    sgTags->setColumnWidth(0, names);
    sgTags->setColumnWidth(1, values);
}

TScopeGuard TTagGridPage::layOut()
{
    const bool was = std::exchange(FLayingOut, true);
    return TScopeGuard([this, was] { FLayingOut = was; });
}

void TTagGridPage::clearGrid(int rows)
{
    const QSignalBlocker quiet(sgTags);
    sgTags->clearContents();
    sgTags->setRowCount(rows);
}

void TTagGridPage::sgTagsDrawCell()
{
    // A hidden grid has no client width yet: its columns keep the widths they were given.
    if (!sgTags->isVisible())
        return;
    // Drawn from the kept width each time: a grid laid out for a moment in a narrow panel (one
    // being shown or hidden) gives the names back their width when the panel has room again.
    const int client = sgTags->viewport()->width();
    const int names = std::max(30, std::min(FNamesWidth, client - 40));
    const int values = client - names - 2;
    const TScopeGuard layingOut = layOut();
    if (sgTags->columnWidth(0) != names)
        sgTags->setColumnWidth(0, names);
    if (sgTags->columnWidth(1) != values)
        sgTags->setColumnWidth(1, values);
}

void TTagGridPage::PanelResize()
{
    eTag->setFixedWidth(std::max(0, tsTag->width()));
    sgTagsDrawCell();
}

bool TTagGridPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sgTags && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        sgTagsDrawCell();
    if (watched == tsTag && event->type() == QEvent::Resize)
        PanelResize();
    return false;
}

// ---------------------------------------------------------------- reading and writing the tag

void TTagGridPage::sbEditaTagClick()
{
    TCodeMemo* editor = FHost.CodeMemo();
    const int caret = selectionOf(*editor).End;
    // In the first column the caret stands before the "<": one step right puts it inside the tag.
    if (columnOf(*editor, caret) == 0)
        placeCaret(*editor, caret + 1);
    SelectTagBlock(*editor, false);
    const std::string tag = editor->GetSelText();
    if (tag.empty())
        return;
    TStringList names, values;
    eTag->setText(FromEditorText(ParseTagAttributes(tag, names, values)));
    clearGrid(std::max(kGridRows, names.Count() + 1));
    {
        const QSignalBlocker quiet(sgTags);
        const TStringList headers = LinesOf(LoadResString(kHeaders));
        for (int col = 0; col < 2; ++col)
            SetCells(col, 0, headers[col]);
        for (int i = 0; i < names.Count(); ++i) {
            SetCells(0, i + 1, names[i]);
            SetCells(1, i + 1, i < values.Count() ? values[i] : std::string());
        }
    }
    eTag->setFocus();
}

void TTagGridPage::sbInsertaTagClick()
{
    TCodeMemo* editor = FHost.CodeMemo();
    // A cell still being typed in holds its text in the editor until it closes.
    CommitGridEdit(sgTags);
    TStringList names, values;
    for (int row = 1; row < RowCount(); ++row) {
        names.Add(Cells(0, row));
        values.Add(Cells(1, row));
    }
    const TSelectionRange range = selectionOf(*editor);
    // The tag goes where the selection starts; its attributes line up under the first one from there.
    const int indent = sbTagEscalon->Down() ? columnOf(*editor, std::min(range.Start, range.End)) : 0;
    const std::string code =
        ComposeTag(ToEditorText(eTag->text()), names, values, sbTagEscalon->Down(), indent);
    {
        TCodeMemoStrings& lines = editor->Lines();
        lines.BeginUpdate();
        const TScopeGuard update([&lines] { lines.EndUpdate(); });
        InsertTag(*editor, kKeepCase, true, false, code, "");
    }
    editor->setFocus();
}

// ---------------------------------------------------------------- selection commands

void SelectTagCommand(TCustomCodeMemo& editor, int32_t& savedPosition)
{
    const TSelectionRange range = selectionOf(editor);
    if (range.Start != range.End && savedPosition >= 0) {
        placeCaret(editor, savedPosition);
    } else {
        savedPosition = range.End;
    }
    SelectTagBlock(editor, false);
}

void SelectElementCommand(TCustomCodeMemo& editor, int32_t& savedPosition)
{
    const TSelectionRange range = selectionOf(editor);
    if (range.Start == range.End)
        savedPosition = range.End;
    SelectTagBlock(editor, true);
}
