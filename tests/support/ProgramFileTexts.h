// Test helper: random editor texts that a file of the program's own must give back, and what it gives them back as.
#pragma once

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/CharacterReferences.h"

// The pieces a text is made of: every byte on its own (the mark of a held character, alone, is one
// that begins none), held characters (U+FEFF and one beyond the 16-bit range among them), a typed
// reference, and the Windows-1252 spellings of UTF-8 ("Ã©", "ï»¿") that a guess at the encoding
// mistakes for characters. `forbidden` leaves out the bytes a format gives a meaning of its own, and
// the pieces that hold one (a held character's "#" and ";" are its own, not the text's).
inline std::vector<std::string> ProgramTextPieces(std::string_view forbidden = {})
{
    std::vector<std::string> pieces;
    for (int byte = 0; byte < 256; ++byte)
        if (forbidden.find(static_cast<char>(byte)) == std::string_view::npos)
            pieces.emplace_back(1, static_cast<char>(byte));
    for (const char32_t cp : {U'\u03B2', U'\u2192', U'\uFEFF', U'\U0001F600', U'\u4E2D'})
        for (int weight = 0; weight < 12; ++weight)
            pieces.push_back(HeldCharacter(cp));
    for (const std::string_view piece : {"\xC3\xA9", "\xEF\xBB\xBF", "&#945;", "\xC3\x83\xC2\xA9"})
        if (piece.find_first_of(forbidden) == std::string_view::npos)
            for (int weight = 0; weight < 12; ++weight)
                pieces.emplace_back(piece);
    return pieces;
}

// Windows-1252 texts whose bytes happen to be well-formed UTF-8: plain letters and the spellings of
// UTF-8 ("Ã©" is the bytes of "é", "ï»¿" those of a byte-order mark). A file of them alone is what a
// guess at the encoding reads wrongly.
inline std::vector<std::string> Utf8LookalikePieces()
{
    return {"a", "Z", "=", "\xC3\xA9", "\xEF\xBB\xBF", "\xC3\x83\xC2\xA9", "\xC2\xA0", "\xE2\x82\xAC"};
}

// Up to `maxPieces` pieces; the first one is often "ï»¿" or a held U+FEFF, which a reader could take
// for a byte-order mark.
inline std::string RandomProgramText(std::mt19937& random, const std::vector<std::string>& pieces, size_t maxPieces)
{
    std::string text;
    switch (random() % 5) {
    case 0: text = "\xEF\xBB\xBF"; break;
    case 1: text = HeldCharacter(0xFEFF); break;
    default: break;
    }
    for (size_t n = random() % (maxPieces + 1); n > 0; --n)
        text += pieces[random() % pieces.size()];
    return text;
}

// The text as the editor shows it, which is what a file gives back: a mark that begins no held
// character is the "&" it shows as.
inline std::string ShownProgramText(std::string text)
{
    ReplaceStrayMarks(text, '&');
    return text;
}
