// Tests of the places where auto-correction may change a typed word: by the document's kind, its file and the word's token values.
#include "app/model/AutoCorrection.h"

#include <gtest/gtest.h>

#include <string>

#include "app/model/EditorKind.h"

TEST(AutoCorrection, OnlyTheRunningTextOfPagesAndPlainTextsIsCorrected)
{
    const std::string text(6, '\0');
    EXPECT_TRUE(AutoCorrectsWord(ekHTML, "/web/pagina.htm", text));
    EXPECT_TRUE(AutoCorrectsWord(ekHTML, "", text));
    EXPECT_TRUE(AutoCorrectsWord(ekText, "/web/notas.txt", text));
    EXPECT_TRUE(AutoCorrectsWord(ekText, "/web/css/notas", text));
    // A style sheet, coloured as plain text, whatever the case of its extension; a script; a text
    // without colouring, where nothing tells its tags.
    EXPECT_FALSE(AutoCorrectsWord(ekText, "/web/estilo.CSS", text));
    EXPECT_FALSE(AutoCorrectsWord(ekHTML, "/web/estilo.css", text));
    EXPECT_FALSE(AutoCorrectsWord(ekJavaScript, "/web/codigo.js", text));
    EXPECT_FALSE(AutoCorrectsWord(ekJavaScript, "", text));
    EXPECT_FALSE(AutoCorrectsWord(ekNoColouring, "/web/pagina.htm", text));
    // One character of another token keeps the word: an attribute value's, a link's, a tag's.
    for (char token : {'\x19', '\x01', '\x0A'})
        EXPECT_FALSE(AutoCorrectsWord(ekHTML, "", std::string("\0\0", 2) + token)) << int(token);
    EXPECT_FALSE(AutoCorrectsWord(ekHTML, "", ""));
}
