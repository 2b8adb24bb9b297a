// The editor control's loading and saving: streams, files, save formats and streams that misbehave.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "CodeMemoTestSupport.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"
#include "support/Win1252Text.h"

namespace {

// Takes at most `Step` bytes per write and refuses every second write outright.
class TStingyStream : public TMemoryStream {
public:
    int64_t Write(const void* buffer, int64_t count) override
    {
        if (FRefuse = !FRefuse; FRefuse)
            return 0;
        return TMemoryStream::Write(buffer, std::min<int64_t>(count, Step));
    }
    int64_t Step = 3;

private:
    bool FRefuse = false;
};

class TDeadStream : public TMemoryStream {
public:
    int64_t Write(const void*, int64_t) override { return 0; }
};

// Fails in the middle of a load.
class TBrokenStream : public TMemoryStream {
public:
    int64_t Read(void*, int64_t) override { throw EReadError("Stream read error"); }
};

std::string saved(TCodeMemo& memo, TSaveFormat format)
{
    memo.SetSaveFormat(format);
    TMemoryStream stream;
    memo.SaveToStream(stream);
    return stream.AsString();
}

} // namespace

TEST(CodeMemoFiles, SaveFormatsDecideTheLineBreaks)
{
    TCodeMemo memo;
    SetText(memo, "abc\r\ndef\nghi\r\n");
    EXPECT_EQ(saved(memo, sfTEXT), "abc\r\ndef\r\nghi\r\n");
    EXPECT_EQ(saved(memo, sfUNIX), "abc\ndef\nghi\n");
    // Saving leaves the selection where it was.
    Select(memo, 2, 5);
    saved(memo, sfTEXT);
    EXPECT_EQ(Selection(memo).Start, 2);
    EXPECT_EQ(Selection(memo).End, 5);
    EXPECT_EQ(memo.Perform(SMM_SUSPENDPAINT, 0, 0), 0);
}

TEST(CodeMemoFiles, ShortWritesAreContinuedNeverRepeated)
{
    TCodeMemo memo;
    std::string text = "first line\r\nsecond line\r\nthird";
    SetText(memo, text);
    TStingyStream stingy;
    memo.SaveToStream(stingy);
    EXPECT_EQ(stingy.AsString(), text);

    TDeadStream dead;
    try {
        memo.SaveToStream(dead);
        FAIL() << "a stream that takes nothing must fail the save";
    } catch (const EFileSaveError& e) {
        EXPECT_EQ(e.Message(), "No se pudo guardar el texto");
    }
    EXPECT_EQ(memo.Perform(SMM_SUSPENDPAINT, 0, 0), 0);
    EXPECT_EQ(memo.GetTextStr(), text);
}

TEST(CodeMemoFiles, LoadingReplacesEverythingAndStartsAtTheTop)
{
    TCodeMemo memo;
    SetText(memo, "old text that goes");
    Select(memo, 3, 9);
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    TMemoryStream stream;
    stream.WriteBuffer("skip|new\r\ntext", 14);
    stream.SetPosition(5); // only what follows the position is loaded
    memo.LoadFromStream(stream);
    EXPECT_EQ(memo.GetTextStr(), "new\r\ntext");
    EXPECT_EQ(Selection(memo).Start, 0);
    EXPECT_EQ(Selection(memo).End, 0);
    EXPECT_FALSE(memo.Loading());
    EXPECT_TRUE(memo.RedrawOn());
    EXPECT_EQ(memo.Lines().UpdateCount(), 0);
    // Every record waits to be highlighted again, from the first.
    EXPECT_EQ(memo.FirstRecord()->Next->Flags & lfChanged, lfChanged);

    // The load's change is announced with the next notification.
    Select(memo, 1, 1);
    EXPECT_EQ(changes, 1);
}

TEST(CodeMemoFiles, FailedLoadRestoresParserAndFlags)
{
    TTestParser parser;
    TCodeMemo memo;
    memo.SetParser1(&parser);
    SetText(memo, "before");
    TBrokenStream broken;
    broken.WriteBuffer("xyz", 3);
    broken.SetPosition(0);
    EXPECT_THROW(memo.LoadFromStream(broken), EReadError);
    EXPECT_EQ(memo.Parser1(), &parser);
    EXPECT_EQ(&memo.ActiveSettings(), &parser.Settings());
    EXPECT_FALSE(memo.Loading());
    EXPECT_TRUE(memo.RedrawOn());
    EXPECT_EQ(memo.Lines().UpdateCount(), 0);
    // The control goes on working normally.
    SetText(memo, "after");
    EXPECT_EQ(memo.GetTextStr(), "after");
}

TEST(CodeMemoFiles, FilesRoundTripAndAMissingFileChangesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string path = ToWin1252(dir.filePath("page.html"));
    TCodeMemo memo;
    SetText(memo, "<p>hola</p>\r\n<p>adi\xF3s</p>");
    memo.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path), "<p>hola</p>\r\n<p>adi\xF3s</p>");
    EXPECT_EQ(memo.DocumentName(), path); // the title follows the file name by default

    WriteFileBytes(path, "uno\ndos\n");
    memo.LoadFromFile(path);
    EXPECT_EQ(memo.Lines().Count(), 2);
    EXPECT_EQ(memo.Lines().Get(1), "dos");
    EXPECT_FALSE(memo.Loading());

    std::string missing = ToWin1252(dir.filePath("no-such-file.txt"));
    try {
        memo.LoadFromFile(missing);
        FAIL() << "a missing file must raise";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "El archivo '" + missing + "' no puede ser abierto para su lectura");
    }
    EXPECT_EQ(memo.GetTextStr(), "uno\r\ndos\r\n");
    EXPECT_FALSE(memo.Loading());

    // Through the Lines adapter as well.
    memo.Lines().SaveToFile(path);
    TCodeMemo other;
    other.Lines().LoadFromFile(path);
    EXPECT_EQ(other.GetTextStr(), "uno\r\ndos\r\n");
}
