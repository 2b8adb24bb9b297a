// The text of a file the program writes for itself against the editor's text: one rule tells UTF-8 from Windows-1252.
//
// The program's own files (code, wildcard and style libraries, code templates and auto-corrections,
// code trees, the texts of a project, the settings' texts) hold the editor's text. They were all
// Windows-1252 once, and a character Windows-1252 lacks needs UTF-8. One rule keeps the two apart,
// so that neither can pass for the other:
//
// - A file the program writes in UTF-8 always begins with the UTF-8 byte-order mark (EF BB BF), and
//   only bytes that begin with it and are well-formed UTF-8 after it are read as UTF-8.
// - Any other bytes are Windows-1252, byte for byte, as earlier versions wrote such a file while its
//   text fitted: "Ã©x" is those three characters, never "éx"; "ï»¿" inside is those three too.
// - But for an earlier version's UTF-8: it wrote UTF-8 without the mark, and only for a text holding a
//   character Windows-1252 lacks. Bytes without the mark that are well-formed UTF-8 and spell such a
//   character (other than U+FEFF) are read as that UTF-8, as that version read them, and are written
//   back with the mark. Windows-1252 text that spells one is mojibake nobody types; and a text this
//   rule writes is never taken so, for its Windows-1252 bytes go as UTF-8 with the mark when they would be.
// - Writing keeps Windows-1252 while the text fits it, so that an earlier version still reads the
//   file; it turns to UTF-8 (with the mark) when the text holds a character Windows-1252 lacks, when
//   the Windows-1252 bytes would begin with the mark (a text that begins with "ï»¿") or read as an
//   earlier version's UTF-8, or when the file was UTF-8 already (`utf8`, so that a file does not
//   change its encoding back and forth).
// - The mark of a held character never reaches the file: a held character is written as itself in
//   UTF-8, a mark that begins none as the "&" the editor shows it as. A 0x1F read from a file is the
//   control character it is, "." as the editor shows it.
//
// Where the rule reads otherwise than an earlier version did, which took any well-formed UTF-8 for
// UTF-8: bytes that spell only letters Windows-1252 has, or U+FEFF, are Windows-1252 ("Ã©x" stays).
// And a Windows-1252 file that begins with the characters "ï»¿" and whose rest is well-formed UTF-8
// (plain ASCII, say) reads as UTF-8 without those three characters. An earlier version wrote such a
// file only for a text that began with them, which is a byte-order mark shown as Windows-1252,
// nothing an author types; with the rest not well-formed UTF-8, the file is Windows-1252 whole.
//
// A file that holds several texts (a project's values) applies the rule to each text on its own.
#pragma once

#include <string>
#include <string_view>

// The bytes of such a file (or stored text) as editor text: after the byte-order mark, well-formed
// UTF-8, each character Windows-1252 lacks held (HeldCharacter); otherwise the Windows-1252 bytes
// they are. `utf8` (when given) receives which it was, for ProgramFileBytes to keep.
std::string ProgramFileText(std::string_view bytes, bool* utf8 = nullptr);
// Editor text as the bytes of such a file, which ProgramFileText reads back as the text the editor
// shows: Windows-1252 as it stands, or UTF-8 after the byte-order mark when the text needs it or
// `utf8` asks for it.
std::string ProgramFileBytes(std::string_view text, bool utf8 = false);
