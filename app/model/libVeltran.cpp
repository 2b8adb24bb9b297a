// Routines shared by the main window and its dialogs: backups of files, the plain search of find and replace, and the tag around a place in the text.
#include "app/model/libVeltran.h"

#include "platform/core/SysUtils.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_map>

std::string BackupFileName(const std::string& fileName) {
  const std::string ext = ExtractFileExt(fileName);
  const std::string stem = fileName.substr(0, fileName.size() - ext.size());
  if (ext.size() < 2) return stem + ".bak";  // no extension, or a bare trailing dot
  return stem + ".~" + ext.substr(2);
}

bool MakeBackupFile(const std::string& fileName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path source = fileName;
  if (!fs::is_regular_file(source, ec)) return false;
  const fs::path backup = BackupFileName(fileName);
  fs::remove(backup, ec);
  fs::rename(source, backup, ec);
  return true;
}

// ---------------------------------------------------------------- plain search

TTextFinder::TTextFinder(std::string_view text, std::string_view pattern, bool matchCase, bool wholeWord,
                         TWordTest isWordChar)
    : FText(text), FPattern(pattern), FMatchCase(matchCase), FWholeWord(wholeWord), FIsWordChar(std::move(isWordChar))
{
    if (!matchCase) {
        // Lower case maps one character to one, so positions in the copy are positions in the text.
        FFolded = AnsiLowerCase(text);
        FPattern = AnsiLowerCase(pattern);
    }
}

bool TTextFinder::isWholeWord(size_t pos) const
{
    if (!FWholeWord)
        return true;
    const size_t end = pos + FPattern.size();
    const bool wordBefore = pos > 0 && FIsWordChar(FText[pos - 1]);
    const bool wordAfter = end < FText.size() && FIsWordChar(FText[end]);
    return !wordBefore && !wordAfter;
}

int TTextFinder::Forward(int from) const
{
    if (FPattern.empty() || from < 0)
        return -1;
    const std::string_view text = haystack();
    for (size_t pos = text.find(FPattern, static_cast<size_t>(from)); pos != std::string_view::npos;
         pos = text.find(FPattern, pos + 1))
        if (isWholeWord(pos))
            return static_cast<int>(pos);
    return -1;
}

int TTextFinder::Backward(int to) const
{
    const size_t length = FPattern.size();
    if (length == 0 || to < 0 || static_cast<size_t>(to) < length)
        return -1;
    const std::string_view text = haystack();
    const size_t limit = std::min(static_cast<size_t>(to), text.size());
    if (limit < length)
        return -1;
    for (size_t pos = text.rfind(FPattern, limit - length); pos != std::string_view::npos;) {
        if (isWholeWord(pos))
            return static_cast<int>(pos);
        if (pos == 0)
            break;
        pos = text.rfind(FPattern, pos - 1);
    }
    return -1;
}

// ---------------------------------------------------------------- the tag around a place

bool FindTagBlock(const std::function<std::string(int)>& lineAt, int lineCount, TTextPoint caret,
                  bool wholeElement, TTextPoint& start, TTextPoint& end)
{
    // Each line is read and upper-cased once however often the walk outward passes it.
    std::unordered_map<int, std::string> cache;
    auto line = [&](int index) -> const std::string& {
        auto it = cache.find(index);
        if (it == cache.end())
            it = cache.emplace(index, AsciiUpperCase(lineAt(index))).first;
        return it->second;
    };
    // The nearest `c` before `from`.
    auto findBack = [&](char c, TTextPoint from) -> std::optional<TTextPoint> {
        for (int l = std::min(from.Line, lineCount - 1); l >= 0; --l) {
            std::string_view text = line(l);
            if (l == from.Line)
                text = text.substr(0, std::min(text.size(), static_cast<size_t>(std::max(from.Column, 0))));
            if (const size_t at = text.rfind(c); at != std::string_view::npos)
                return TTextPoint{l, static_cast<int>(at)};
        }
        return std::nullopt;
    };
    // The end of the first `mark` at or after `from`.
    auto findForward = [&](std::string_view mark, TTextPoint from) -> std::optional<TTextPoint> {
        for (int l = std::max(from.Line, 0); l < lineCount; ++l) {
            const std::string& text = line(l);
            const size_t column = l == from.Line ? static_cast<size_t>(std::max(from.Column, 0)) : 0;
            if (column > text.size())
                continue;
            if (const size_t at = text.find(mark, column); at != std::string::npos)
                return TTextPoint{l, static_cast<int>(at + mark.size())};
        }
        return std::nullopt;
    };
    auto isNameChar = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '!'; };

    TTextPoint from = caret;
    for (;;) {
        const std::optional<TTextPoint> open = findBack('<', from);
        if (!open)
            return false;
        if (!wholeElement) {
            const std::optional<TTextPoint> close = findBack('>', from);
            if (close && *close > *open)
                return false;
        }
        const std::string& text = line(open->Line);
        size_t nameEnd = static_cast<size_t>(open->Column) + 1;
        // A name starts with a letter or "!"; digits may follow ("H1").
        if (nameEnd < text.size() && !(text[nameEnd] >= '0' && text[nameEnd] <= '9'))
            while (nameEnd < text.size() && isNameChar(text[nameEnd]))
                ++nameEnd;
        const std::string name = text.substr(static_cast<size_t>(open->Column) + 1, nameEnd - open->Column - 1);
        // A closing tag (or a lone "<") opens nothing: the walk goes on before it.
        if (!name.empty()) {
            const std::string mark = wholeElement ? "</" + name + ">" : std::string(">");
            if (const std::optional<TTextPoint> markEnd = findForward(mark, caret)) {
                start = *open;
                end = *markEnd;
                return true;
            }
        }
        from = *open;
    }
}
