// The "StrData" list of a string holder: masking, writing and a reader that trusts no count or length.
#include "components/core/StrData.h"

#include "platform/core/StreamPrims.h"
#include "platform/core/SysUtils.h"

namespace {

// Value types of form-file properties used by the list.
enum : uint8_t { vaNull = 0, vaList = 1, vaString = 6, vaLString = 12 };

constexpr int kInvalidStrData = 65410;


void writeString(TStream& stream, std::string_view text)
{
    if (text.size() <= 255) {
        StreamWriteByte(stream, vaString);
        StreamWriteShortStr(stream, text);
    } else {
        StreamWriteByte(stream, vaLString);
        StreamWriteLongStr(stream, text);
    }
}

std::string readString(TStream& stream, uint8_t type)
{
    if (type == vaString)
        return StreamReadShortStr(stream);
    if (type == vaLString)
        return StreamReadLongStr(stream);
    throw EReadError(Format("value type %d where a string was expected", type));
}

} // namespace

std::string XorString(std::string_view key, std::string_view text)
{
    std::string result(text);
    if (key.empty())
        return result;
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<char>(result[i] ^ key[i % key.size()]);
    return result;
}

void WriteStrData(TStream& stream, std::string_view key, const TStringList& lines)
{
    StreamWriteByte(stream, vaList);
    writeString(stream, key);
    for (int i = 0; i < lines.Count(); ++i)
        writeString(stream, XorString(key, lines[i]));
    StreamWriteByte(stream, vaNull);
}

TStrData ReadStrData(TStream& stream)
{
    TStrData data;
    try {
        if (StreamReadByte(stream) != vaList)
            throw EReadError("a list was expected");
        // Every string takes at least its two header bytes, so the lines can never outgrow the stream.
        for (uint8_t type = StreamReadByte(stream); type != vaNull; type = StreamReadByte(stream)) {
            std::string text = readString(stream, type);
            if (!data.Key)
                data.Key = std::move(text);
            else
                data.Lines.push_back(XorString(*data.Key, text));
        }
    } catch (const EReadError& e) {
        // Named once here, so that whoever shows the error can tell which data was bad.
        throw EReadError(FmtLoadStr(kInvalidStrData, e.Message().c_str()));
    }
    return data;
}

bool StrDataDiffers(std::string_view key, const TStringList& lines, std::string_view ancestorKey,
                    const TStringList& ancestorLines)
{
    if (lines.Count() != ancestorLines.Count() || key != ancestorKey)
        return true;
    for (int i = 0; i < lines.Count(); ++i)
        if (!AnsiSameText(lines[i], ancestorLines[i]))
            return true;
    return false;
}
