// The character set a page's text declares in its <meta> elements, as a browser reads the declaration.
#pragma once

#include <string_view>

// What a declaration names, grouped by how a page is written for it.
enum class TDeclaredCharset {
    // No <meta> declares a character set.
    None,
    // A set that browsers read as Windows-1252: "windows-1252", "iso-8859-1", "latin1", "us-ascii"
    // and their other names.
    Windows1252,
    // UTF-8 (and the UTF-16 names, which browsers read as UTF-8 in a page whose bytes are ASCII).
    Utf8,
    // Any other name, known to browsers or not.
    Other,
};

// The character set named by the first <meta charset="X"> or <meta http-equiv="Content-Type"
// content="...; charset=X"> of the text, in any letter case, that is an element: not in a comment,
// in another tag's attribute value or in the text of a script, style, title, textarea or xmp. The
// text is the editor's (Windows-1252); a declaration is ASCII, so its bytes are the file's in every
// 8-bit set.
TDeclaredCharset DeclaredCharset(std::string_view text);
// The group of a character set's name (blanks around it ignored, any letter case).
TDeclaredCharset CharsetOfLabel(std::string_view label);
