// Conversion between the editor's 8-bit Windows-1252 text and Qt's Unicode strings, used at the edges
// (widgets, file dialogs, the clipboard).
#pragma once

#include <string>
#include <string_view>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Win1252.h"

class QString;

QString FromWin1252(std::string_view bytes);
// Characters with no Windows-1252 byte become '?'.
std::string ToWin1252(const QString& text);
// Text a user hands the editor (typed, pasted, dropped, searched for): each character Windows-1252
// lacks becomes its reference "&#N;", remembered in `references` when given; `made` as for
// Utf8ToEditorText.
std::string ToEditorText(const QString& text, TCharacterReferences* references, std::vector<uint32_t>* made = nullptr);
// Editor text for the platform: each reference to one of the remembered characters as the character.
QString FromEditorText(std::string_view text, const TCharacterReferences* references);
// String-table entry `id` as a widget shows it.
QString LoadResQString(int id);
