// Test helper: seeded random texts over a small alphabet, for property tests.
#pragma once

#include <random>
#include <string>
#include <string_view>

// `length` characters, each drawn from `alphabet` by `random`.
inline std::string RandomText(std::mt19937& random, std::string_view alphabet, size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += alphabet[random() % alphabet.size()];
    return text;
}

// Up to `maxLength` characters: the length is drawn first, then the characters.
inline std::string RandomTextUpTo(std::mt19937& random, std::string_view alphabet, size_t maxLength)
{
    const size_t length = random() % (maxLength + 1);
    return RandomText(random, alphabet, length);
}
