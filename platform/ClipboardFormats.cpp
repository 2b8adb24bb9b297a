// Clipboard formats carried in Qt's MIME data.
#include "platform/ClipboardFormats.h"

#include <QByteArray>
#include <QMimeData>
#include <QString>
#include <vector>

#include "platform/Win1252Qt.h"

namespace {

constexpr TClipFormat kFirstNamedFormat = 0xC000;

std::vector<std::string>& namedFormats()
{
    static std::vector<std::string> names;
    return names;
}

enum class TCarrier { Text, Html, Bytes };

TCarrier carrierOf(TClipFormat format)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT)
        return TCarrier::Text;
    if (format == HtmlClipboardFormat())
        return TCarrier::Html;
    return TCarrier::Bytes;
}

} // namespace

TClipFormat RegisterClipboardFormat(std::string_view name)
{
    auto& names = namedFormats();
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return kFirstNamedFormat + static_cast<TClipFormat>(i);
    names.emplace_back(name);
    return kFirstNamedFormat + static_cast<TClipFormat>(names.size() - 1);
}

TClipFormat RtfClipboardFormat()
{
    static const TClipFormat format = RegisterClipboardFormat("Rich Text Format");
    return format;
}

TClipFormat HtmlClipboardFormat()
{
    static const TClipFormat format = RegisterClipboardFormat("HTML Format");
    return format;
}

QString MimeTypeOfFormat(TClipFormat format)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT)
        return QStringLiteral("text/plain");
    if (format == CF_HDROP)
        return QStringLiteral("text/uri-list");
    if (format == RtfClipboardFormat())
        return QStringLiteral("text/rtf");
    if (format == HtmlClipboardFormat())
        return QStringLiteral("text/html");
    const auto& names = namedFormats();
    if (format >= kFirstNamedFormat && format - kFirstNamedFormat < names.size())
        return QStringLiteral("application/x-kestrima-format;name=\"%1\"")
            .arg(FromEditorText(names[format - kFirstNamedFormat]));
    return QStringLiteral("application/x-kestrima-format;id=%1").arg(format);
}

bool IsFormatAvailable(const QMimeData* data, TClipFormat format)
{
    if (!data)
        return false;
    switch (carrierOf(format)) {
    case TCarrier::Text: return data->hasText();
    case TCarrier::Html: return data->hasHtml();
    case TCarrier::Bytes: break;
    }
    return data->hasFormat(MimeTypeOfFormat(format));
}

std::string GetFormatData(const QMimeData* data, TClipFormat format)
{
    if (!IsFormatAvailable(data, format))
        return {};
    switch (carrierOf(format)) {
    case TCarrier::Text: return ToEditorText(data->text());
    case TCarrier::Html: return ToEditorText(data->html());
    case TCarrier::Bytes: break;
    }
    QByteArray bytes = data->data(MimeTypeOfFormat(format));
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

namespace {

// Text for the platform's programs, whose lines end in LF: a CR they would show as "^M".
QString withLineFeeds(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

void SetFormatData(QMimeData& data, TClipFormat format, std::string_view bytes)
{
    switch (carrierOf(format)) {
    case TCarrier::Text: data.setText(withLineFeeds(FromEditorText(bytes))); return;
    case TCarrier::Html: data.setHtml(withLineFeeds(FromEditorText(bytes))); return;
    case TCarrier::Bytes: break;
    }
    data.setData(MimeTypeOfFormat(format), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}
