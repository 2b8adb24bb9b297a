// Conversion between the editor's 8-bit Windows-1252 text and Qt's Unicode strings, used at the edges
// (widgets, file dialogs, the clipboard).
//
// The editor's text, and every text a user types into the program, crosses into Qt through
// FromEditorText/ToEditorText: a held character shows as itself and a typed one Windows-1252 lacks is
// held, never "?". FromWin1252 is the code page's own conversion and FromShownText the editor's
// painting of its text; the build's check (tests/CheckEditorText.cmake) fails where they are used
// outside the few units that list why.
#pragma once

#include <string>
#include <string_view>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Win1252.h"

class QString;

QString FromWin1252(std::string_view bytes);
// Editor text as the editor shows it, character for byte: the mark of a held character as "&".
QString FromShownText(std::string_view text);
// Text a user hands the editor (typed, pasted, dropped, searched for): each character Windows-1252
// lacks held (HeldCharacter), so that it is written as the character.
std::string ToEditorText(const QString& text);
// Editor text for the platform: each held character as the character, a reference typed as such as
// typed.
QString FromEditorText(std::string_view text);
// String-table entry `id` as a widget shows it.
QString LoadResQString(int id);
