// A widget's text as Windows-1252 bytes, to compare with the string table's texts and other bytes a test expects.
#pragma once

#include <QList>
#include <QString>
#include <string>

#include "platform/core/Win1252.h"

// Each character as its Windows-1252 byte; one the code page lacks becomes '?', so that a text the
// program should have held shows in a failure as a question mark.
inline std::string ToWin1252(const QString& text)
{
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    for (char32_t ch : text.toUcs4()) {
        char byte;
        result += CharToWin1252(ch, byte) ? byte : '?';
    }
    return result;
}
