// Where auto-correction may change a word the author typed: in the running text of a page or of a plain text, never in its markup, comments, scripts or style sheets.
#pragma once

#include <string>
#include <string_view>

// Whether a word may be corrected in a document of editor kind `kind` (TEditorKind) whose file is
// `fileName` (empty while untitled), the word's characters carrying the token values `tokens` that
// the colouring gives them now.
bool AutoCorrectsWord(int kind, const std::string& fileName, std::string_view tokens);
