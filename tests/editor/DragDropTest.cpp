// The editor control as a drop target and drag source, driven by synthetic drag and drop events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "CodeMemoTestSupport.h"
#include "support/DragMemo.h"
#include "platform/ClipboardFormats.h"

namespace {

std::unique_ptr<QMimeData> htmlAndText()
{
    auto data = std::make_unique<QMimeData>();
    data->setHtml("junk<p><!--StartFragment-->frag<!--EndFragment--></p>");
    data->setText("plain");
    return data;
}

} // namespace

TEST(DragDrop, OwnSelectionMovesCopiesAndIgnoresADropOnItself)
{
    TDragMemo memo;
    SetText(memo, "abcdef");
    Select(memo, 0, 2);
    memo.DropAt = 4;
    memo.DragFrom(1);
    EXPECT_TRUE(memo.Answer.EnterAccepted);
    EXPECT_EQ(memo.Answer.Action, Qt::MoveAction);
    EXPECT_EQ(memo.StoredText(), "cdabef");
    EXPECT_EQ(OrderedSelection(memo).Start, 2);
    EXPECT_EQ(OrderedSelection(memo).End, 4);
    EXPECT_EQ(memo.Lines().UpdateCount(), 0);
    memo.Undo(); // removal and insertion are one step
    EXPECT_EQ(memo.StoredText(), "abcdef");

    // Ctrl copies; the copy is selected, the original stays.
    Select(memo, 0, 2);
    memo.Keys = Qt::ControlModifier;
    memo.DragFrom(1);
    EXPECT_EQ(memo.Answer.Action, Qt::CopyAction);
    EXPECT_EQ(memo.StoredText(), "abcdabef");
    EXPECT_EQ(OrderedSelection(memo).Start, 4);
    EXPECT_EQ(OrderedSelection(memo).End, 6);
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "abcdef");

    // Onto the dragged text itself: nothing changes and the source hears of no drop.
    memo.Keys = Qt::NoModifier;
    Select(memo, 0, 2);
    memo.DropAt = 1;
    memo.DragFrom(1);
    EXPECT_FALSE(memo.Answer.DropAccepted);
    EXPECT_EQ(memo.StoredText(), "abcdef");
    EXPECT_EQ(memo.Lines().UpdateCount(), 0);

    // Moving backwards needs no correction of the drop start.
    Select(memo, 3, 5);
    memo.DropAt = 0;
    memo.DragFrom(4);
    EXPECT_EQ(memo.StoredText(), "deabcf");
    EXPECT_EQ(OrderedSelection(memo).Start, 0);
    EXPECT_EQ(OrderedSelection(memo).End, 2);
}

TEST(DragDrop, AMoveThroughDragSelectionIsOneUndoStepAsWithTheMouse)
{
    TDragMemo memo;
    for (int dropAt : {8, 1}) {
        SetText(memo, "abcDEFghij");
        memo.Perform(EM_EMPTYUNDOBUFFER, 0, 0);
        Select(memo, 3, 6);
        memo.DropAt = dropAt;
        EXPECT_EQ(memo.DragSelection(Qt::CopyAction | Qt::MoveAction), Qt::MoveAction);
        EXPECT_EQ(memo.StoredText(), dropAt == 8 ? "abcghDEFij" : "aDEFbcghij");
        EXPECT_EQ(OrderedSelection(memo).Start, dropAt == 8 ? 5 : 1);
        EXPECT_EQ(OrderedSelection(memo).End, dropAt == 8 ? 8 : 4);
        EXPECT_EQ(memo.Lines().UpdateCount(), 0);
        memo.Undo();
        EXPECT_EQ(memo.StoredText(), "abcDEFghij") << dropAt;
        EXPECT_FALSE(memo.CanUndo()) << dropAt;
        memo.Redo();
        EXPECT_EQ(memo.StoredText(), dropAt == 8 ? "abcghDEFij" : "aDEFbcghij");
    }
}

TEST(DragDrop, ForeignDropReadsTheFormatOnDataDropLeaves)
{
    TDragMemo memo;
    auto data = htmlAndText();
    std::vector<TSourceTypes> seen;
    TSourceTypes set = 0, clear = 0;
    memo.OnDataDrop = [&](TCustomCodeMemo*, TSourceTypes& types) {
        seen.push_back(types);
        types = static_cast<TSourceTypes>((types | set) & ~clear);
    };

    // HTML first, whole: the filter is skipped since stNoFilter comes preset.
    SetText(memo, "xy");
    TDragAnswer answer = dragOnto(memo, data.get(), 1, Qt::CopyAction | Qt::MoveAction);
    EXPECT_TRUE(answer.EnterAccepted);
    EXPECT_EQ(answer.Action, Qt::MoveAction);
    EXPECT_EQ(memo.StoredText(), "xjunk<p><!--StartFragment-->frag<!--EndFragment--></p>y");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], stUnicodeText | stCFText | stHTML | stNoFilter | stProcessFiles);
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "xy");

    // Without the HTML bit the text is read; Ctrl copies.
    clear = stHTML;
    answer = dragOnto(memo, data.get(), 1, Qt::CopyAction | Qt::MoveAction, Qt::ControlModifier);
    EXPECT_EQ(answer.Action, Qt::CopyAction);
    EXPECT_EQ(memo.StoredText(), "xplainy");

    // The handler took it: nothing is read, the source hears what the keys asked for.
    SetText(memo, "xy");
    clear = 0;
    set = stHandled;
    answer = dragOnto(memo, data.get(), 1, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(memo.StoredText(), "xy");
    EXPECT_EQ(answer.Action, Qt::MoveAction);

    // Filtered: only the marked fragment.
    set = stFragment;
    clear = stNoFilter;
    dragOnto(memo, data.get(), 1, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(memo.StoredText(), "xfragy");

    // Every offered bit taken out: nothing read, and a move is not answered.
    SetText(memo, "xy");
    set = 0;
    clear = stHTML | stCFText | stUnicodeText;
    answer = dragOnto(memo, data.get(), 1, Qt::MoveAction);
    EXPECT_EQ(memo.StoredText(), "xy");
    EXPECT_FALSE(answer.DropAccepted);

    // A source that allows only a copy gets a copy, whatever the keys.
    clear = 0;
    answer = dragOnto(memo, data.get(), 0, Qt::CopyAction);
    EXPECT_EQ(answer.Action, Qt::CopyAction);
}

TEST(DragDrop, FilesGoToOnFilesDroppedAndTheirNamesAreInserted)
{
    TDragMemo memo;
    SetText(memo, "ab");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a.html"), QUrl::fromLocalFile("/tmp/b.css")});

    SetOption(memo, smoProcessDroppedFiles, false);
    TDragAnswer answer = dragOnto(memo, &files, 1, Qt::CopyAction | Qt::MoveAction);
    EXPECT_FALSE(answer.EnterAccepted);
    EXPECT_FALSE(answer.DropAccepted);
    EXPECT_EQ(memo.StoredText(), "ab");

    SetOption(memo, smoProcessDroppedFiles, true);
    std::vector<std::string> got;
    TPoint at{-9, -9};
    memo.OnFilesDropped = [&](TCustomCodeMemo*, TStringList& list, TPoint point) {
        for (int i = 0; i < list.Count(); ++i)
            got.push_back(list[i]);
        at = point;
        list.Delete(1);
        list.Add("/tmp/c.js");
    };
    answer = dragOnto(memo, &files, 1, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(got, (std::vector<std::string>{"/tmp/a.html", "/tmp/b.css"}));
    EXPECT_EQ(at, (TPoint{pointOf(memo, 1).x(), pointOf(memo, 1).y()}));
    // The names as the handler left them, a line each; files are never answered as moved.
    EXPECT_EQ(memo.StoredText(), "a/tmp/a.html\r/tmp/c.js\rb");
    EXPECT_EQ(answer.Action, Qt::CopyAction);

    // Without stNoFilter the handler alone gets them.
    SetText(memo, "ab");
    memo.OnDataDrop = [](TCustomCodeMemo*, TSourceTypes& types) { types &= ~stNoFilter; };
    got.clear();
    dragOnto(memo, &files, 1, Qt::CopyAction);
    EXPECT_EQ(got.size(), 2u);
    EXPECT_EQ(memo.StoredText(), "ab");
}

TEST(DragDrop, DroppedNamesGoInAsTheEditorsTextWhileTheHandlerGetsTheirBytes)
{
    TDragMemo memo;
    SetText(memo, "ab");
    SetOption(memo, smoProcessDroppedFiles, true);
    // A Latin-1 name, one with a character Windows-1252 lacks ("\u0142") and one with a line break.
    QMimeData files;
    files.setData("text/uri-list",
                  "file:///tmp/caf%E9.gif\r\nfile:///tmp/%C5%82%C3%B1.css\r\nfile:///tmp/a%0Ab.htm\r\n");
    dragOnto(memo, &files, 1, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(memo.StoredText(), "a/tmp/caf&#65533;.gif\r/tmp/&#322;\xF1.css\rb");

    std::vector<std::string> got;
    memo.OnFilesDropped = [&](TCustomCodeMemo*, TStringList& list, TPoint) {
        for (int i = 0; i < list.Count(); ++i)
            got.push_back(list[i]);
    };
    SetText(memo, "ab");
    dragOnto(memo, &files, 1, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(got, (std::vector<std::string>{"/tmp/caf\xE9.gif", "/tmp/\xC5\x82\xC3\xB1.css"}));
    EXPECT_EQ(memo.StoredText(), "a/tmp/caf&#65533;.gif\r/tmp/&#322;\xF1.css\rb");
}

TEST(DragDrop, ReadOnlyInsertsNothingAndTheDropCaretFollowsThePointer)
{
    TDragMemo memo;
    SetText(memo, "abcdef");
    auto data = htmlAndText();
    memo.SetReadOnly(true);
    TDragAnswer answer = dragOnto(memo, data.get(), 2, Qt::CopyAction | Qt::MoveAction);
    EXPECT_TRUE(answer.EnterAccepted); // the drag shows where it would land
    EXPECT_FALSE(answer.DropAccepted);
    EXPECT_EQ(memo.StoredText(), "abcdef");

    // The caret shows at the offset under the pointer and goes with it.
    QDragEnterEvent enter(pointOf(memo, 3), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&memo, &enter);
    const TPoint three = memo.PointFromOffset(3);
    EXPECT_EQ(memo.DropCaretRect().topLeft(), QPoint(three.X, three.Y));
    EXPECT_EQ(memo.DropCaretRect().height(), memo.LineHeight());
    QDragMoveEvent move(pointOf(memo, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&memo, &move);
    const TPoint five = memo.PointFromOffset(5);
    EXPECT_EQ(memo.DropCaretRect().topLeft(), QPoint(five.X, five.Y));
    // It is painted over the text: the picture differs from the one without it.
    const QImage with = memo.grab().toImage();
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(&memo, &leave);
    EXPECT_TRUE(memo.DropCaretRect().isEmpty());
    const QImage without = memo.grab().toImage();
    const QPoint inside(five.X, five.Y + memo.LineHeight() / 2);
    EXPECT_NE(with.pixel(inside), without.pixel(inside));
}

TEST(DragDrop, DragDataOffersTheSelectionWithLineFeedsAsText)
{
    TDragMemo memo;
    SetText(memo, "x\xE1\ry!");
    Select(memo, 0, 4);
    std::unique_ptr<QMimeData> data = memo.SelectionDragData();
    EXPECT_TRUE(data->hasFormat("text/plain"));
    EXPECT_EQ(data->text(), QString::fromUtf8("x\xC3\xA1\ny"));
    EXPECT_EQ(GetFormatData(data.get(), CF_TEXT), "x\xE1\ny");

    // Dropped into another control it arrives as it left.
    TDragMemo other;
    dragOnto(other, data.get(), 0, Qt::CopyAction);
    EXPECT_EQ(other.StoredText(), "x\xE1\ry");
}
