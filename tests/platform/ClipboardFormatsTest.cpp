// Clipboard formats carried in Qt's MIME data: the numbers, the MIME types and the byte conversions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <string>

#include "platform/ClipboardFormats.h"

TEST(ClipboardFormats, NamesGiveStableNumbersAndEachFormatItsMimeType)
{
    TClipFormat rtf = RtfClipboardFormat(), html = HtmlClipboardFormat();
    EXPECT_GE(rtf, 0xC000u);
    EXPECT_NE(rtf, html);
    EXPECT_EQ(RegisterClipboardFormat("Rich Text Format"), rtf);
    EXPECT_EQ(RegisterClipboardFormat("HTML Format"), html);
    TClipFormat gif = RegisterClipboardFormat("GIF Image");
    EXPECT_EQ(RegisterClipboardFormat("GIF Image"), gif);
    EXPECT_NE(gif, rtf);

    EXPECT_EQ(MimeTypeOfFormat(CF_TEXT), "text/plain");
    EXPECT_EQ(MimeTypeOfFormat(CF_UNICODETEXT), "text/plain");
    EXPECT_EQ(MimeTypeOfFormat(CF_HDROP), "text/uri-list");
    EXPECT_EQ(MimeTypeOfFormat(rtf), "text/rtf");
    EXPECT_EQ(MimeTypeOfFormat(html), "text/html");
    EXPECT_EQ(MimeTypeOfFormat(gif), "application/x-kestrima-format;name=\"GIF Image\"");
    EXPECT_NE(MimeTypeOfFormat(gif), MimeTypeOfFormat(0xBFFF));
}

TEST(ClipboardFormats, EveryFormatRoundTripsThroughOneSetOfData)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    std::string binary("{\\rtf1\0\xFF}", 9);
    QMimeData data;
    EXPECT_FALSE(IsFormatAvailable(&data, CF_TEXT));
    EXPECT_FALSE(IsFormatAvailable(nullptr, CF_TEXT));
    EXPECT_EQ(GetFormatData(&data, HtmlClipboardFormat()), "");
    SetFormatData(data, CF_TEXT, all);
    SetFormatData(data, RtfClipboardFormat(), binary);
    SetFormatData(data, HtmlClipboardFormat(), "<p>\xE9\x80</p>");
    // Text and HTML travel as Unicode: the euro sign is 0x80 in Windows-1252.
    EXPECT_EQ(data.text().at(127), QChar(0x20AC));
    EXPECT_EQ(data.html(), QString::fromUtf8("<p>\xC3\xA9\xE2\x82\xAC</p>"));
    // A line break of either kind travels as LF, the platform's; the mark of a held character that
    // begins none as the "&" the editor shows.
    std::string lineFed = all;
    lineFed[12] = '\n';
    lineFed[30] = '&';
    EXPECT_EQ(GetFormatData(&data, CF_TEXT), lineFed);
    EXPECT_EQ(GetFormatData(&data, RtfClipboardFormat()), binary);
    EXPECT_EQ(GetFormatData(&data, HtmlClipboardFormat()), "<p>\xE9\x80</p>");

    // Characters Windows-1252 lacks arrive held, never as "?".
    QMimeData foreign;
    foreign.setText(QString::fromUtf8("a\xE2\x86\x92z"));
    EXPECT_EQ(GetFormatData(&foreign, CF_TEXT), "a\x1F#8594;z");

    // The clipboard keeps every format of one set.
    auto* offered = new QMimeData;
    SetFormatData(*offered, CF_TEXT, "t");
    SetFormatData(*offered, RtfClipboardFormat(), "r");
    QApplication::clipboard()->setMimeData(offered);
    EXPECT_EQ(GetFormatData(QApplication::clipboard()->mimeData(), CF_TEXT), "t");
    EXPECT_EQ(GetFormatData(QApplication::clipboard()->mimeData(), RtfClipboardFormat()), "r");
    QApplication::clipboard()->clear();
}
