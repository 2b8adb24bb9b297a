// Helpers of the painter's and printing's tests: a coloured sample, its style bytes and pixel checks.
#pragma once

#include <QImage>
#include <string>

#include "CodeMemoTestSupport.h"
#include "editor/Painter.h"

// Token values of the sample's styles.
enum : uint8_t { tkText = 0, tkTag = 1, tkAttribute = 2, tkString = 3, tkComment = 4, tkEntity = 5 };

// Defines the sample's styles on the control's settings and makes their fonts.
inline void DefineSampleStyles(TCustomCodeMemo& memo)
{
    TSM_Settings& settings = memo.ActiveSettings();
    auto define = [&](uint8_t token, TColor fore, TColor back, TFontStyles font) {
        TSM_TokenStyle style;
        style.Foreground = fore;
        style.Background = back;
        style.FontStyle = font;
        style.Defined = 1;
        settings.SetStyle(token, style);
        settings.SetStyleFlag(token, token);
    };
    define(tkTag, clNavy, clWhite, fsBold);
    define(tkAttribute, clMaroon, clWhite, 0);
    define(tkString, clGreen, clWhite, fsItalic);
    define(tkComment, clGray, static_cast<TColor>(0xE0FFFF), fsItalic);
    define(tkEntity, clPurple, clWhite, fsBold | fsUnderline);
    memo.ApplySettings(true, false);
}

// Style bytes for HTML-like text: comments, tags with attribute names and quoted values, entities.
inline std::string SampleStyleBytes(const std::string& text)
{
    std::string bytes(text.size(), static_cast<char>(tkText));
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, 4, "<!--") == 0) {
            size_t end = text.find("-->", i);
            end = end == std::string::npos ? text.size() : end + 3;
            for (; i < end; ++i)
                bytes[i] = static_cast<char>(tkComment);
        } else if (text[i] == '<') {
            bool name = true;
            for (; i < text.size() && text[i] != '>'; ++i) {
                if (text[i] == '"' || text[i] == '\'') {
                    char quote = text[i];
                    bytes[i++] = static_cast<char>(tkString);
                    for (; i < text.size() && text[i] != quote; ++i)
                        bytes[i] = static_cast<char>(tkString);
                    if (i < text.size())
                        bytes[i] = static_cast<char>(tkString);
                    continue;
                }
                if (text[i] == ' ' || text[i] == '\r' || text[i] == '\t')
                    name = false;
                bytes[i] = static_cast<char>(name || text[i] == '=' || text[i] == ' ' ? tkTag : tkAttribute);
            }
            if (i < text.size())
                bytes[i++] = static_cast<char>(tkTag);
        } else if (text[i] == '&') {
            for (; i < text.size() && text[i] != ';' && text[i] != '\r'; ++i)
                bytes[i] = static_cast<char>(tkEntity);
            if (i < text.size() && text[i] == ';')
                bytes[i++] = static_cast<char>(tkEntity);
        } else {
            ++i;
        }
    }
    return bytes;
}

// Sets the text and paints it: loading a text leaves the painting to the next paint.
inline void ShowText(TCustomCodeMemo& memo, const std::string& text)
{
    SetText(memo, text);
    memo.Paint();
}

// Sets the text and its style bytes through SMM_SETSTYLES.
inline void SetStyledText(TCustomCodeMemo& memo, const std::string& text)
{
    SetText(memo, text);
    std::string stored = memo.StoredText();
    std::string bytes = SampleStyleBytes(stored);
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(bytes.data()));
    memo.Paint();
}

inline QRgb RgbOf(TColor color)
{
    uint32_t rgb = ColorToRGB(color);
    return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// Pixels in the rectangle that differ clearly from `background`.
inline int InkIn(const QImage& image, const QRect& area, QRgb background)
{
    int ink = 0;
    QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(background)) + std::abs(qGreen(p) - qGreen(background)) +
                    std::abs(qBlue(p) - qBlue(background)) >
                96)
                ++ink;
        }
    return ink;
}
