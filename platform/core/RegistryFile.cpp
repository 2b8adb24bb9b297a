// The registry's store file: its text format, written from the tree and read back into one.
#include "platform/core/RegistryTree.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <vector>

#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Win1252.h"

namespace registry_detail {

namespace {

// The first line of the store file; a file without it is not ours.
constexpr std::string_view kSignature = "Kestrima registry 1";
// Put before a string written as a file name: its data are the name exactly. Strings without it were
// written as text, or as a file name by a version that stored some names encoded twice.
constexpr std::string_view kExactPathMark = "path:";
// Bytes of binary data per line of the file, so that long data stays readable.
constexpr size_t kHexBytesPerLine = 24;

bool isUndefinedWin1252(unsigned char c)
{
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// Appends the Windows-1252 byte of the text at text[i] and moves past it; a character Windows-1252
// lacks is held (HeldCharacter), as the file writes a held character of a name (a control character
// it lacks, "?"). A byte that starts
// no UTF-8 character is taken as it stands, so a file saved in Windows-1252 by hand still reads as meant.
void takeTextByte(std::string_view text, size_t& i, std::string& out)
{
    unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t cp;
    size_t length = c < 0x80 ? 0 : DecodeUtf8(text, i, cp);
    if (length == 0) {
        out += static_cast<char>(c);
        ++i;
        return;
    }
    char byte;
    const std::string held = HeldCharacter(cp);
    char32_t heldCp;
    if (CharToWin1252(cp, byte))
        out += byte;
    else if (ReadHeldCharacter(held, 0, heldCp))
        out += held;
    else
        // A C1 control character has no held form: it stands for no character of a name.
        out += '?';
    i += length;
}

// The same for a string's data, which the tree holds as the file does (UTF-8): a whole character is
// kept as it stands, and a lone byte is taken as the Windows-1252 character it is.
void takeDataByte(std::string_view text, size_t& i, std::string& out)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t cp;
    const size_t length = c < 0x80 ? 1 : DecodeUtf8(text, i, cp);
    if (length == 0) {
        AppendWin1252AsData(out, c);
        ++i;
        return;
    }
    out.append(text.substr(i, length));
    i += length;
}

// A key name in a section header: the backslash cannot appear, so escapes use '%' and two hex digits.
std::string escapeKeyName(std::string_view name)
{
    std::string out;
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        // A backslash would cut the name in two on reading; the file can name one (as %5C), so the
        // writer must keep it whole.
        if (c < 0x20 || c == 0x7F || c == '%' || c == '\\' || isUndefinedWin1252(c))
            out += Format("%%%02X", c);
        else
            AppendUtf8(out, Win1252ToUnicode(c));
    }
    return out;
}

bool unescapeKeyName(std::string_view text, std::string& name)
{
    name.clear();
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '%' && text.size() - i >= 3 && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
            name += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 3;
        } else {
            takeTextByte(text, i, name);
        }
    }
    return !name.empty();
}

struct Escape {
    char Byte;
    char Letter;
};
// Bytes written as a backslash and a letter inside quotes; other controls become \xHH.
constexpr Escape kEscapes[] = {{'"', '"'}, {'\\', '\\'}, {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}};

// A name (Windows-1252, a held character as the character) or a string's data (UTF-8, `data`) in
// double quotes; every byte survives, line breaks, controls and bytes that spell no character as escapes.
std::string quote(std::string_view text, bool data = false)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        unsigned char c = static_cast<unsigned char>(ch);
        const Escape* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                            [ch](const Escape& e) { return e.Byte == ch; });
        char32_t cp;
        const size_t length = data && c >= 0x80 ? DecodeUtf8(text, i, cp) : 0;
        const size_t held = !data && ch == kHeldCharacterMark ? ReadHeldCharacter(text, i, cp) : 0;
        if (held) {
            // A name is editor text: its held character goes as itself, never the mark.
            AppendUtf8(out, cp);
            i += held - 1;
        } else if (escape != std::end(kEscapes)) {
            out += '\\';
            out += escape->Letter;
        } else if (length > 0) {
            out.append(text.substr(i, length));
            i += length - 1;
        } else if (data ? c < 0x20 || c >= 0x7F : c < 0x20 || c == 0x7F || isUndefinedWin1252(c)) {
            out += Format("\\x%02X", c);
        } else {
            AppendUtf8(out, Win1252ToUnicode(c));
        }
    }
    out += '"';
    return out;
}

// Reads a quoted text starting at line[i] (the opening quote); leaves i after the closing quote. A
// name comes as Windows-1252, a string's data (`data`) as UTF-8.
bool unquote(std::string_view line, size_t& i, std::string& text, bool data = false)
{
    text.clear();
    if (i >= line.size() || line[i] != '"')
        return false;
    ++i;
    while (i < line.size()) {
        char c = line[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c != '\\') {
            if (data)
                takeDataByte(line, i, text);
            else
                takeTextByte(line, i, text);
            continue;
        }
        if (line.size() - i < 2)
            return false;
        char letter = line[i + 1];
        i += 2;
        if (letter == 'x') {
            if (line.size() - i < 2 || HexDigitValue(line[i]) < 0 || HexDigitValue(line[i + 1]) < 0)
                return false;
            text += static_cast<char>(HexDigitValue(line[i]) * 16 + HexDigitValue(line[i + 1]));
            i += 2;
            continue;
        }
        const Escape* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                            [letter](const Escape& e) { return e.Letter == letter; });
        if (escape == std::end(kEscapes))
            return false;
        text += escape->Byte;
    }
    return false;
}

bool onlyBlanks(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

void writeKey(std::string& out, const std::string& path, const Key& key, bool isRoot)
{
    if (!isRoot || !key.Values.empty()) {
        out += "\n[" + path + "]\n";
        for (const Value& value : key.Values) {
            out += value.Name.empty() ? std::string("@") : quote(value.Name);
            out += '=';
            switch (value.Kind) {
            case rdInteger:
                out += Format("dword:%08x", static_cast<uint32_t>(value.Number));
                break;
            case rdBinary:
                out += "hex:";
                for (size_t i = 0; i < value.Data.size(); ++i) {
                    if (i > 0)
                        out += (i % kHexBytesPerLine == 0) ? ",\\\n  " : ",";
                    out += Format("%02x", static_cast<unsigned char>(value.Data[i]));
                }
                break;
            default:
                if (value.ExactPath)
                    out += kExactPathMark;
                out += quote(value.Data, true);
            }
            out += '\n';
        }
    }
    for (const auto& sub : key.Keys)
        writeKey(out, path + '\\' + escapeKeyName(sub->Name), *sub, false);
}

} // namespace

std::string storeText(const Key (&roots)[kRootCount])
{
    std::string out(kSignature);
    out += '\n';
    for (size_t r = 0; r < kRootCount; ++r)
        writeKey(out, std::string(kRoots[r].Name), roots[r], true);
    return out;
}

namespace {

// Parses the store file into `roots`; on failure `badLine` is the 1-based line at fault.
class StoreFileReader {
public:
    StoreFileReader(std::string_view text, Key (&roots)[kRootCount]) : FText(text), FRoots(roots) {}

    bool Read(int& badLine)
    {
        std::string_view line;
        bool ok = nextLine(line) && line == kSignature;
        while (ok && nextLine(line)) {
            if (line.empty() || line[0] == ';')
                continue;
            ok = line[0] == '[' ? readHeader(line) : readValue(line);
        }
        badLine = FLineNumber;
        return ok;
    }

private:
    bool nextLine(std::string_view& line)
    {
        if (FPos >= FText.size())
            return false;
        size_t end = FText.find('\n', FPos);
        if (end == std::string_view::npos)
            end = FText.size();
        line = FText.substr(FPos, end - FPos);
        // Line breaks inside names and texts are always escaped, so a CR here came from an editor.
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        FPos = end + 1;
        ++FLineNumber;
        return true;
    }

    bool readHeader(std::string_view line)
    {
        if (line.size() < 2 || line.back() != ']')
            return false;
        std::string_view path = line.substr(1, line.size() - 2);
        size_t cut = path.find('\\');
        std::string_view rootName = path.substr(0, cut);
        Key* root = nullptr;
        for (size_t r = 0; r < kRootCount; ++r)
            if (SameText(rootName, kRoots[r].Name))
                root = &FRoots[r];
        if (!root)
            return false;
        std::vector<std::string> parts;
        while (cut != std::string_view::npos) {
            size_t start = cut + 1;
            cut = path.find('\\', start);
            std::string name;
            if (!unescapeKeyName(path.substr(start, cut == std::string_view::npos ? cut : cut - start), name))
                return false;
            parts.push_back(std::move(name));
        }
        FKey = descend(*root, parts, true);
        return FKey != nullptr;
    }

    bool readValue(std::string_view line)
    {
        if (!FKey)
            return false;
        std::string name;
        size_t i = 0;
        if (line[0] == '@')
            i = 1;
        else if (!unquote(line, i, name))
            return false;
        if (i >= line.size() || line[i] != '=')
            return false;
        std::string_view data = line.substr(i + 1);
        const bool exactPath = data.starts_with(kExactPathMark) && data.substr(kExactPathMark.size()).starts_with('"');
        if (exactPath)
            data.remove_prefix(kExactPathMark.size());
        if (!data.empty() && data[0] == '"') {
            std::string text;
            size_t k = 0;
            if (!unquote(data, k, text, true) || !onlyBlanks(data.substr(k)))
                return false;
            putValue(*FKey, name, rdString, std::move(text), 0, exactPath);
            return true;
        }
        if (data.substr(0, 6) == "dword:") {
            // Always eight digits, so that a file cut short in a number does not pass for another number.
            std::string_view digits = data.substr(6);
            if (digits.size() != 8)
                return false;
            uint32_t number = 0;
            for (char c : digits) {
                if (HexDigitValue(c) < 0)
                    return false;
                number = number * 16 + static_cast<uint32_t>(HexDigitValue(c));
            }
            putValue(*FKey, name, rdInteger, {}, static_cast<int32_t>(number));
            return true;
        }
        if (data.substr(0, 4) == "hex:")
            return readHex(data.substr(4), name);
        return false;
    }

    // Binary data as hex bytes separated by commas, continued on the next line after a backslash.
    bool readHex(std::string_view first, const std::string& name)
    {
        std::string bytes;
        std::string_view part = first;
        for (;;) {
            bool continued = !part.empty() && part.back() == '\\';
            if (continued)
                part.remove_suffix(1);
            size_t i = part.find_first_not_of(" \t");
            while (i != std::string_view::npos && i < part.size()) {
                int high = HexDigitValue(part[i]);
                int low = i + 1 < part.size() ? HexDigitValue(part[i + 1]) : -1;
                if (high < 0 || low < 0)
                    return false;
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                if (i < part.size()) {
                    if (part[i] != ',')
                        return false;
                    ++i;
                    // Only a continuation may follow the last comma of a line.
                    if (i == part.size() && !continued)
                        return false;
                }
            }
            if (!continued)
                break;
            if (!nextLine(part))
                return false;
        }
        putValue(*FKey, name, rdBinary, std::move(bytes), 0);
        return true;
    }

    std::string_view FText;
    Key (&FRoots)[kRootCount];
    Key* FKey = nullptr;
    size_t FPos = 0;
    int FLineNumber = 0;
};

} // namespace

std::string win1252ToUtf8(std::string_view text)
{
    std::string out;
    for (char c : text)
        AppendUtf8(out, Win1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

void AppendWin1252AsData(std::string& out, unsigned char c)
{
    // The five bytes Windows-1252 leaves undefined stay bytes of their own, as the file writes them.
    if (isUndefinedWin1252(c))
        out += static_cast<char>(c);
    else
        AppendUtf8(out, Win1252ToUnicode(c));
}

std::string win1252ToData(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp;
        const size_t held = text[i] == kHeldCharacterMark ? ReadHeldCharacter(text, i, cp) : 0;
        if (held) {
            AppendUtf8(out, cp);
            i += held - 1;
        } else {
            AppendWin1252AsData(out, static_cast<unsigned char>(text[i]));
        }
    }
    return out;
}

std::string dataToWin1252(std::string_view data)
{
    std::string out;
    out.reserve(data.size());
    for (size_t i = 0; i < data.size();) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        char32_t cp;
        const size_t length = c < 0x80 ? 0 : DecodeUtf8(data, i, cp);
        if (length == 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        char byte;
        if (CharToWin1252(cp, byte))
            out += byte;
        else
            out += HeldCharacter(cp);
        i += length;
    }
    return out;
}

bool readStoreText(std::string_view text, Key (&roots)[kRootCount], int& badLine)
{
    return StoreFileReader(text, roots).Read(badLine);
}

} // namespace registry_detail
