// The "StrData" form of a string holder: its key and its masked lines as one list of length-prefixed strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Classes.h"

// Each character of the text combined by exclusive-or with the key's characters repeated cyclically;
// an empty key leaves the text as it is. Masking twice with the same key gives the text back.
std::string XorString(std::string_view key, std::string_view text);

// What a "StrData" list holds: no key when the list was empty, else the key and the unmasked lines.
struct TStrData {
    std::optional<std::string> Key;
    std::vector<std::string> Lines;
};

// Writes the list: its start, the key, each line masked with the key, its end. Each string is a type
// byte and its characters behind a one-byte length, or a four-byte length when longer than 255.
void WriteStrData(TStream& stream, std::string_view key, const TStringList& lines);
// Reads one list as WriteStrData writes it. Nothing is allocated that the remaining bytes cannot hold;
// a value of another type, a list without its end or a length past the end raises EReadError, with
// the stream wherever reading stopped.
TStrData ReadStrData(TStream& stream);

// Whether a holder must write its list although it descends from `ancestor`: another line count, another
// key (compared exactly) or a line that differs from the ancestor's one ignoring case.
bool StrDataDiffers(std::string_view key, const TStringList& lines, std::string_view ancestorKey,
                    const TStringList& ancestorLines);
