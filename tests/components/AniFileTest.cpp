// Animated cursors: the chunk walk, frames, rates and sequence, hot spots, texts, damaged files and the frame strips.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "components/AniFile.h"
#include "components/IcoList.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint32_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(Bytes& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

Bytes chunk(const std::string& tag, const Bytes& data)
{
    Bytes b(tag.begin(), tag.end());
    put32(b, static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2)
        b.push_back(0);
    return b;
}

Bytes list(const std::string& type, const std::vector<Bytes>& chunks)
{
    Bytes data(type.begin(), type.end());
    for (const Bytes& c : chunks)
        data.insert(data.end(), c.begin(), c.end());
    return chunk("LIST", data);
}

Bytes riff(const std::vector<Bytes>& chunks)
{
    Bytes data{'A', 'C', 'O', 'N'};
    for (const Bytes& c : chunks)
        data.insert(data.end(), c.begin(), c.end());
    return chunk("RIFF", data);
}

Bytes anih(uint32_t frames, uint32_t steps, uint32_t rate, uint32_t flags)
{
    Bytes b;
    for (uint32_t v : {36u, frames, steps, 0u, 0u, 0u, 0u, rate, flags})
        put32(b, v);
    return chunk("anih", b);
}

Bytes value32(const std::string& tag, const std::vector<uint32_t>& values)
{
    Bytes b;
    for (uint32_t v : values)
        put32(b, v);
    return chunk(tag, b);
}

// An icon file of one 8-bit image of `size` pixels square, all of palette colour 1.
Bytes iconFile(QRgb color, int size = 16)
{
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, 1);
    const uint32_t xorBytes = size * size, andBytes = ((size + 31) / 32 * 4) * size;
    const uint32_t imageSize = 40 + 1024 + xorBytes + andBytes;
    b.push_back(static_cast<uint8_t>(size));
    b.push_back(static_cast<uint8_t>(size));
    b.push_back(0);
    b.push_back(0);
    put16(b, 1);
    put16(b, 8);
    put32(b, imageSize);
    put32(b, 22);
    put32(b, 40);
    put32(b, size);
    put32(b, 2 * size);
    put16(b, 1);
    put16(b, 8);
    for (int i = 0; i < 6; ++i)
        put32(b, 0);
    for (int i = 0; i < 256; ++i)
        put32(b, i == 1 ? (qBlue(color) | (qGreen(color) << 8) | (qRed(color) << 16)) : 0);
    b.insert(b.end(), xorBytes, 1);
    b.insert(b.end(), andBytes, 0);
    return b;
}

// The same image as a cursor with its hot spot.
Bytes cursorFile(QRgb color, int hotX, int hotY)
{
    Bytes b = iconFile(color);
    b[2] = 2;
    b[6 + 4] = static_cast<uint8_t>(hotX);
    b[6 + 5] = 0;
    b[6 + 6] = static_cast<uint8_t>(hotY);
    b[6 + 7] = 0;
    return b;
}

const QRgb kColors[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};

Bytes threeFrameFile()
{
    return riff({anih(3, 3, 10, 1), value32("rate", {20, 30, 40}),
                 list("INFO", {chunk("INAM", Bytes{'S', 'p', 'i', 'n', 0}), chunk("IART", Bytes{'A', 'n', 'a'})}),
                 list("fram", {chunk("icon", iconFile(kColors[0])), chunk("icon", iconFile(kColors[1])),
                               chunk("icon", iconFile(kColors[2]))})});
}

void load(TAnimatedCursorImage& cursor, const Bytes& bytes)
{
    TCustomMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    cursor.LoadFromStream(stream);
}

QRgb colorOf(const TAnimatedCursorImage& cursor, int frame)
{
    return cursor.GetIcon(frame).Image().pixel(3, 3);
}

} // namespace

TEST(AniFile, FramesTakeTheirIconsInOrderAndOnlyTheFirstTakesTheRate)
{
    TAnimatedCursorImage cursor;
    load(cursor, threeFrameFile());
    ASSERT_EQ(cursor.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(colorOf(cursor, i), kColors[i]) << i;
        EXPECT_EQ(cursor.GetFrame(i).Sequence, i);
        EXPECT_TRUE(cursor.GetFrame(i).IsIcon);
        EXPECT_EQ(std::string(cursor.GetFrame(i).Tag.data(), 4), "icon");
        EXPECT_EQ(cursor.GetFrame(i).Size, iconFile(kColors[i]).size());
    }
    EXPECT_EQ(cursor.GetFrame(0).Rate, 20u);
    EXPECT_EQ(cursor.GetFrame(1).Rate, 10u);
    EXPECT_EQ(cursor.GetFrame(2).Rate, 10u);
    EXPECT_EQ(cursor.Header().StepCount, 3u);
    EXPECT_EQ(cursor.Header().DefaultRate, 10u);
    EXPECT_EQ(cursor.Title(), "Spin");
    EXPECT_EQ(cursor.Author(), "Ana");
    EXPECT_EQ(cursor.MaxColors(), 256);
    EXPECT_THROW(cursor.GetFrame(3), EListError);
}

TEST(AniFile, HotSpotsComeFromTheCursorOrTheIconCentre)
{
    TAnimatedCursorImage cursor;
    load(cursor, riff({anih(2, 2, 5, 1), list("fram", {chunk("icon", cursorFile(kColors[0], 5, 7)),
                                                         chunk("icon", iconFile(kColors[1], 32))})}));
    ASSERT_EQ(cursor.GetCount(), 2);
    EXPECT_FALSE(cursor.GetFrame(0).IsIcon);
    EXPECT_EQ(cursor.GetFrame(0).HotSpotX, 5);
    EXPECT_EQ(cursor.GetFrame(0).HotSpotY, 7);
    EXPECT_EQ(colorOf(cursor, 0), kColors[0]);
    EXPECT_TRUE(cursor.GetFrame(1).IsIcon);
    EXPECT_EQ(cursor.GetFrame(1).HotSpotX, 16);
    EXPECT_EQ(cursor.GetFrame(1).HotSpotY, 16);
}

TEST(AniFile, SequenceRenumbersFramesAndEachFrameOwnsItsIcon)
{
    // Frames 0 and 1 both show icon 1; frame 2 keeps icon 2; icons 0 and 3, which no frame names,
    // become frames of their own with the header's rate, in the order read.
    TAnimatedCursorImage cursor;
    load(cursor, riff({anih(3, 3, 6, 1), value32("seq ", {1}), value32("rate", {9}), value32("rate", {8}),
                       list("fram", {chunk("icon", iconFile(kColors[0])), chunk("icon", iconFile(kColors[1])),
                                     chunk("icon", iconFile(kColors[2])), chunk("icon", iconFile(kColors[3]))})}));
    ASSERT_EQ(cursor.GetCount(), 5);
    const QRgb shown[] = {kColors[1], kColors[1], kColors[2], kColors[0], kColors[3]};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(colorOf(cursor, i), shown[i]) << i;
    EXPECT_NE(cursor.GetFrame(0).Icon.get(), cursor.GetFrame(1).Icon.get());
    EXPECT_EQ(cursor.GetFrame(0).Rate, 9u);
    EXPECT_EQ(cursor.GetFrame(1).Rate, 8u);
    EXPECT_EQ(cursor.GetFrame(2).Rate, 6u);
    EXPECT_EQ(cursor.GetFrame(3).Sequence, -1);
    EXPECT_EQ(cursor.GetFrame(3).Rate, 6u);
    EXPECT_EQ(cursor.Header().StepCount, 5u);

    // A frame count beyond what the file could fill keeps only the frames that got icons.
    load(cursor, riff({anih(0xFFFFFFFF, 1, 6, 1), list("fram", {chunk("icon", iconFile(kColors[0]))})}));
    EXPECT_EQ(cursor.GetCount(), 1);
}

TEST(AniFile, TextsAreCutTo255CharactersAndShortHeadersReadAsZero)
{
    Bytes title(300, 'x');
    title.back() = 0;
    TAnimatedCursorImage cursor;
    // A 12-byte "anih": frames 1, steps 1; rate and flags missing, so the icon flag is not set.
    Bytes shortHeader;
    for (uint32_t v : {12u, 1u, 1u})
        put32(shortHeader, v);
    const Bytes shortFile = riff({chunk("anih", shortHeader), list("fram", {chunk("icon", iconFile(kColors[0]))})});
    EXPECT_THROW(load(cursor, shortFile), EReadError);

    // A 40-byte header reads its first 36 bytes.
    Bytes longHeader;
    for (uint32_t v : {40u, 1u, 1u, 0u, 0u, 0u, 0u, 4u, 1u, 77u})
        put32(longHeader, v);
    load(cursor, riff({chunk("anih", longHeader), list("INFO", {chunk("INAM", title), chunk("IART", Bytes(10, 'y'))}),
                       list("fram", {chunk("icon", iconFile(kColors[0]))})}));
    EXPECT_EQ(cursor.Title(), std::string(255, 'x'));
    EXPECT_EQ(cursor.Author(), std::string(10, 'y'));
    EXPECT_EQ(cursor.GetFrame(0).Rate, 4u);
    EXPECT_EQ(cursor.Header().HeaderSize, 40u);
}

TEST(AniFile, FilesThatAreNoCursorOrGiveNoFrameRaiseTheReadError)
{
    TAnimatedCursorImage cursor;
    const Bytes icons = list("fram", {chunk("icon", iconFile(kColors[0]))});
    Bytes notAcon = riff({anih(1, 1, 1, 1), icons});
    notAcon[8] = 'B';
    const std::vector<Bytes> bad = {
        notAcon,
        riff({anih(1, 1, 1, 0), icons}),
        riff({anih(1, 0, 1, 1), icons}),
        riff({anih(1, 1, 1, 1)}),
        riff({anih(1, 1, 1, 1), list("fram", {chunk("icon", Bytes{0, 0, 3, 0, 1, 0})})}),
        Bytes{'R', 'I'},
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        try {
            load(cursor, bad[i]);
            ADD_FAILURE() << "case " << i << " was read";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), "Error al leer los datos") << i;
        }
    }
}

TEST(AniFile, EveryTruncationErrorsOrYieldsFewerFrames)
{
    const Bytes whole = threeFrameFile();
    for (size_t length = 0; length < whole.size(); ++length) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length));
        TAnimatedCursorImage cursor;
        try {
            load(cursor, cut);
            EXPECT_LE(cursor.GetCount(), 3) << length;
            EXPECT_GE(cursor.GetCount(), 1) << length;
        } catch (const EReadError&) {
        }
    }
    // Sizes that claim more than the file holds, everywhere a size sits.
    for (size_t at = 4; at + 4 <= whole.size(); ++at) {
        Bytes damaged = whole;
        damaged[at + 3] ^= 0x80;
        TAnimatedCursorImage cursor;
        try {
            load(cursor, damaged);
        } catch (const Exception&) {
        }
    }
}

TEST(AniFile, FramesBecomeStripsIconsAndIconLists)
{
    TAnimatedCursorImage cursor;
    load(cursor, riff({anih(3, 3, 10, 1), list("fram", {chunk("icon", iconFile(kColors[0], 32)),
                                                         chunk("icon", iconFile(kColors[1], 32)),
                                                         chunk("icon", iconFile(kColors[2], 32))})}));
    const QImage across = cursor.FrameStrip(false, false);
    EXPECT_EQ(across.size(), QSize(96, 32));
    const QImage down = cursor.FrameStrip(true, false);
    EXPECT_EQ(down.size(), QSize(32, 96));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(across.pixel(32 * i + 5, 5), kColors[i]);
        EXPECT_EQ(down.pixel(5, 32 * i + 5), kColors[i]);
    }
    // The bitmap is the horizontal strip, brought to the frames' 256 colours.
    QImage bitmap;
    cursor.AssignTo(bitmap);
    EXPECT_EQ(bitmap.size(), QSize(96, 32));
    EXPECT_EQ(bitmap.format(), QImage::Format_Indexed8);
    EXPECT_EQ(bitmap.pixel(70, 10), kColors[2]);

    TIcon icon;
    cursor.AssignTo(icon);
    EXPECT_TRUE(icon.SameAs(cursor.GetIcon(0)));
    TIconList list;
    list.Add(TIcon());
    int changes = 0;
    list.OnChange = [&](TIconList&) { ++changes; };
    cursor.AssignTo(list);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(list.Get(2).SameAs(cursor.GetIcon(2)));

    TAnimatedCursorImage copy;
    copy.Assign(&cursor);
    ASSERT_EQ(copy.GetCount(), 3);
    EXPECT_NE(copy.GetFrame(1).Icon.get(), cursor.GetFrame(1).Icon.get());
    EXPECT_TRUE(copy.GetIcon(1).SameAs(cursor.GetIcon(1)));
    EXPECT_EQ(copy.Header().FrameCount, 3u);
    copy.Assign(nullptr);
    EXPECT_EQ(copy.GetCount(), 0);
    EXPECT_TRUE(copy.FrameStrip(false, true).isNull());
    copy.AssignTo(icon);
    EXPECT_TRUE(icon.Empty());
}

TEST(AniFile, LoadsFromAFileAndSavingIsNotImplemented)
{
    const Bytes bytes = threeFrameFile();
    const std::string path = QDir::temp().filePath("kestrima-anifile-test.ani").toStdString();
    WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
    TAnimatedCursorImage cursor;
    cursor.LoadFromFile(path);
    EXPECT_EQ(cursor.GetCount(), 3);
    std::remove(path.c_str());
    EXPECT_THROW(cursor.LoadFromFile(path), EFOpenError);

    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    closer.start(10);
    TMemoryStream out;
    EXPECT_THROW(cursor.SaveToStream(out), EAbort);
    EXPECT_EQ(out.GetSize(), 0);
}
