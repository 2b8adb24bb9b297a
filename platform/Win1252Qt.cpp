// Conversion between Windows-1252 text and Qt's Unicode strings.
#include "platform/Win1252Qt.h"

#include <QString>
#include <QStringDecoder>

#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"

namespace {

// Each byte as the character `character` gives for it (every one below U+10000).
QString characterForByte(std::string_view bytes, char32_t (*character)(unsigned char))
{
    QString result;
    result.resize(static_cast<qsizetype>(bytes.size()));
    QChar* out = result.data();
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = QChar(static_cast<char16_t>(character(static_cast<unsigned char>(bytes[i]))));
    return result;
}

} // namespace

QString FromWin1252(std::string_view bytes)
{
    return characterForByte(bytes, Win1252ToUnicode);
}

QString FromShownText(std::string_view text)
{
    return characterForByte(text, ShownCharacter);
}

std::string ToEditorText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToEditorText(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

QString FromEditorText(std::string_view text)
{
    if (text.find(kHeldCharacterMark) == std::string_view::npos)
        return FromWin1252(text);
    const std::string utf8 = EditorTextToUtf8(text);
    // A held U+FEFF that begins the text is a character of it, not a byte-order mark to drop.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

QString LoadResQString(int id)
{
    return FromWin1252(LoadResString(id));
}
