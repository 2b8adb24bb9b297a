// The case-insensitive word trie that holds the script's macros and keywords.
#include "highlight/SYM_COMP.h"

#include "platform/core/SysUtils.h"

namespace {

bool isIdentifierChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

size_t headIndex(char c)
{
    return static_cast<unsigned char>(AsciiLower(c));
}

} // namespace

TWordStore::TWordStore()
{
    FHeads.fill(-1);
}

void TWordStore::Clear()
{
    FNodes.clear();
    FHeads.fill(-1);
}

int32_t TWordStore::findSibling(int32_t node, char ch) const
{
    while (node >= 0 && FNodes[static_cast<size_t>(node)].Ch != ch)
        node = FNodes[static_cast<size_t>(node)].Next;
    return node;
}

int32_t TWordStore::insertWord(std::string_view word)
{
    int32_t parent = -1;
    for (size_t i = 0; i < word.size(); ++i) {
        char ch = AsciiLower(word[i]);
        int32_t first = i == 0 ? FHeads[headIndex(ch)] : FNodes[static_cast<size_t>(parent)].Child;
        int32_t node = findSibling(first, ch);
        if (node < 0) {
            node = static_cast<int32_t>(FNodes.size());
            FNodes.emplace_back();
            FNodes.back().Ch = ch;
            if (i == 0) {
                FHeads[headIndex(ch)] = node;
            } else if (first < 0) {
                FNodes[static_cast<size_t>(parent)].Child = node;
            } else {
                int32_t last = first;
                while (FNodes[static_cast<size_t>(last)].Next >= 0)
                    last = FNodes[static_cast<size_t>(last)].Next;
                FNodes[static_cast<size_t>(last)].Next = node;
            }
        }
        parent = node;
    }
    FNodes[static_cast<size_t>(parent)].EndOfWord = true;
    return parent;
}

int32_t TWordStore::findWord(std::string_view word) const
{
    if (word.empty())
        return -1;
    int32_t node = FHeads[headIndex(word[0])];
    for (size_t i = 1; node >= 0 && i < word.size(); ++i)
        node = findSibling(FNodes[static_cast<size_t>(node)].Child, AsciiLower(word[i]));
    return node >= 0 && FNodes[static_cast<size_t>(node)].EndOfWord ? node : -1;
}

void TWordStore::AddMacro(std::string_view Name, std::string_view Text)
{
    if (Name.empty())
        return;
    int32_t node = insertWord(Name);
    FNodes[static_cast<size_t>(node)].Text = std::make_shared<const std::string>(Text);
}

void TWordStore::AddKeyword(std::string_view Name, int32_t Code)
{
    if (Name.empty())
        return;
    int32_t node = insertWord(Name);
    FNodes[static_cast<size_t>(node)].Value = Code;
}

const std::string* TWordStore::FindMacro(std::string_view Name) const
{
    int32_t node = findWord(Name);
    return node >= 0 ? FNodes[static_cast<size_t>(node)].Text.get() : nullptr;
}

std::shared_ptr<const std::string> TWordStore::FindMacroText(std::string_view Name) const
{
    int32_t node = findWord(Name);
    return node >= 0 ? FNodes[static_cast<size_t>(node)].Text : nullptr;
}

bool TWordStore::HasMacro(std::string_view Name) const
{
    return findWord(Name) >= 0;
}

int32_t TWordStore::MatchLongest(const char*& P) const
{
    const char* p = P;
    int32_t node = FHeads[headIndex(*p)];
    int32_t value = -1;
    const char* end = nullptr;
    while (node >= 0 && *p != '\0' && FNodes[static_cast<size_t>(node)].Ch == AsciiLower(*p)) {
        char last = *p++;
        const TNode& n = FNodes[static_cast<size_t>(node)];
        // A keyword made of word characters must not end inside a longer word ("name" in "names").
        if (n.EndOfWord && (!isIdentifierChar(last) || !isIdentifierChar(*p))) {
            value = n.Value;
            end = p;
        }
        node = findSibling(n.Child, AsciiLower(*p));
    }
    if (!end || value < 0)
        return -1;
    P = end;
    return value;
}
