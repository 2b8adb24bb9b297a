// The text drag source: the data it offers and its drop on the editor control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "components/DropSource.h"
#include "editor/CodeMemoTestSupport.h"
#include "platform/ClipboardFormats.h"
#include "platform/core/CharacterReferences.h"

namespace {

// Drops its drag on an editor at one offset instead of running the window system's drag loop.
class TDropOnEditor : public TDropTextSource {
public:
    TDropOnEditor(TCustomCodeMemo& target, int offset) : FTarget(target), FOffset(offset) {}
    Qt::KeyboardModifiers Keys = Qt::NoModifier;
    Qt::DropActions Offered;

protected:
    Qt::DropAction ExecDrag(QDrag& drag, Qt::DropActions allowed) override
    {
        Offered = allowed;
        const TPoint point = FTarget.PointFromOffset(FOffset);
        const QPoint at(point.X + 1, point.Y + 1);
        QDragEnterEvent enter(at, allowed, drag.mimeData(), Qt::LeftButton, Keys);
        QCoreApplication::sendEvent(&FTarget, &enter);
        QDragMoveEvent move(at, allowed, drag.mimeData(), Qt::LeftButton, Keys);
        QCoreApplication::sendEvent(&FTarget, &move);
        QDropEvent drop(QPointF(at), allowed, drag.mimeData(), Qt::LeftButton, Keys);
        QCoreApplication::sendEvent(&FTarget, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }

private:
    TCustomCodeMemo& FTarget;
    int FOffset;
};

} // namespace

TEST(DropSource, OffersOnlyPlainTextWithItsCharactersAndLineEnds)
{
    TDropTextSource source;
    source.SetText("a\xE1\r\nb\x80");
    std::unique_ptr<QMimeData> data = source.DataObject();
    EXPECT_EQ(data->formats(), QStringList{"text/plain"});
    // Line breaks leave as the platform's LF.
    EXPECT_EQ(data->text(), QString::fromUtf8("a\xC3\xA1\nb\xE2\x82\xAC"));
    EXPECT_EQ(GetFormatData(data.get(), CF_TEXT), "a\xE1\nb\x80");
    EXPECT_FALSE(IsFormatAvailable(data.get(), HtmlClipboardFormat()));

    // Every byte the editor can hold comes back as it went.
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    source.SetText(all);
    std::string back = GetFormatData(source.DataObject().get(), CF_TEXT);
    int differing = 0;
    for (size_t i = 0; i < all.size() && i < back.size(); ++i)
        differing += all[i] != back[i] && back[i] != '?' && !(all[i] == '\r' && back[i] == '\n') &&
                     !(all[i] == kHeldCharacterMark && back[i] == '&');
    EXPECT_EQ(back.size(), all.size());
    EXPECT_EQ(differing, 0);
}

TEST(DropSource, DroppedOnTheEditorInsertsTheTextIntact)
{
    TCodeMemo memo;
    memo.SetBorderStyle(bsNone);
    memo.resize(400, 200);
    memo.show();
    QApplication::processEvents();
    SetText(memo, "xy");

    TDropOnEditor source(memo, 1);
    source.SetText("<p>\xE1\r\nfin");
    EXPECT_EQ(source.DoDragDrop(&memo), Qt::MoveAction);
    EXPECT_EQ(source.Offered, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(memo.StoredText(), "x<p>\xE1\rfiny");

    // With Ctrl held the target copies; with copy alone allowed it cannot move.
    source.Keys = Qt::ControlModifier;
    EXPECT_EQ(source.DoDragDrop(&memo), Qt::CopyAction);
    TDropOnEditor copyOnly(memo, 0);
    copyOnly.SetText("z");
    EXPECT_EQ(copyOnly.DoDragDrop(&memo, Qt::CopyAction), Qt::CopyAction);
    EXPECT_EQ(memo.StoredText().substr(0, 2), "zx");
}
