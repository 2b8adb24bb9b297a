// Conversion between Windows-1252 text and Qt's Unicode strings.
#include "platform/Win1252Qt.h"

#include <QList>
#include <QString>

#include "platform/core/SysUtils.h"

QString FromWin1252(std::string_view bytes)
{
    QString result;
    result.resize(static_cast<qsizetype>(bytes.size()));
    QChar* out = result.data();
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = QChar(static_cast<char16_t>(Win1252ToUnicode(static_cast<unsigned char>(bytes[i]))));
    return result;
}

std::string ToWin1252(const QString& text)
{
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    for (char32_t ch : text.toUcs4()) {
        char byte;
        result += CharToWin1252(ch, byte) ? byte : '?';
    }
    return result;
}

QString LoadResQString(int id)
{
    return FromWin1252(LoadResString(id));
}
