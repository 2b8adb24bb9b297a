// The tips file "Docs/Tips.txt": one tip per line, read as documents are read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/CharacterReferences.h"

// The tips of a tips file's bytes (UTF-8, UTF-16 with its mark, else Windows-1252) as Windows-1252
// text, one per non-blank line, trimmed; a character the code page lacks is held (HeldCharacter).
// Control characters other than TAB become spaces.
std::vector<std::string> ReadTipsText(std::string_view bytes);
