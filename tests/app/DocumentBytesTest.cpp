// Tests of TDocumentBytes: the line store's form of a text with its offsets, and the bytes written for a text.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/DocumentBytes.h"
#include "editor/model/LineStore.h"

TEST(DocumentBytes, TheStoredFormIsTheLineStoresAndKnowsWhereEachCharacterCameFrom)
{
    std::vector<uint32_t> offsets;
    EXPECT_EQ(TDocumentBytes::StoredForm("a\r\nb\n\rc\x01\t\x1A", &offsets), "a\rb\rc.\t\x1A");
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 1, 3, 4, 6, 7, 8, 9, 10}));
    // A pair at the very end: LF CR gives two breaks, CR LF one; a final NUL is a ".".
    EXPECT_EQ(TDocumentBytes::StoredForm("x\n\r"), "x\r\r");
    EXPECT_EQ(TDocumentBytes::StoredForm("x\r\n"), "x\r");
    EXPECT_EQ(TDocumentBytes::StoredForm(std::string("x\0", 2)), "x.");
    EXPECT_EQ(TDocumentBytes::StoredForm("", &offsets), "");
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0}));
    // The same as the line store's own rewriting, for every text of a few such characters.
    const char alphabet[] = {'a', '\r', '\n', '\0', '\x01', '\t'};
    for (int code = 0; code < 6 * 6 * 6 * 6; ++code) {
        std::string text;
        for (int n = code, i = 0; i < 4; ++i, n /= 6)
            text += alphabet[n % 6];
        char stored[8];
        const int length = NormaliseText(stored, text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(TDocumentBytes::StoredForm(text), std::string(stored, static_cast<size_t>(length))) << code;
    }
}

TEST(DocumentBytes, WritingKeepsWhatWasReadAndEncodesOnlyTheChange)
{
    TCodigosISO entities;
    entities.LoadDefaults();
    TDocumentBytes document;
    std::string text;
    EXPECT_EQ(document.Read("\xE1 &aacute;\r\n\xE9\n", &entities, text), TDecodeResult::Bytes);
    EXPECT_EQ(text, "\xE1 \xE1\r\xE9\r");
    EXPECT_EQ(document.Write(text, &entities), "\xE1 &aacute;\r\n\xE9\n");
    // The typed character gets its code; the rest keeps its bytes.
    EXPECT_EQ(document.Write("\xE1 \xE1\r\xF1\xE9\r", &entities), "\xE1 &aacute;\r\n&ntilde;\xE9\n");
    // A whole new text is written in the format read: Windows-1252, the most common break.
    EXPECT_EQ(document.Write("\xF1\rx", nullptr), "\xF1\r\nx");
    // A model is no file: nothing is kept and the document is UTF-8.
    TDocumentBytes fresh;
    fresh.Read("caf\xE9\n", nullptr, text, true);
    EXPECT_EQ(fresh.Write(text, nullptr), "caf\xC3\xA9\n");
    fresh.Written("caf\xC3\xA9\n", nullptr);
    EXPECT_EQ(fresh.Write("X" + text, nullptr), "Xcaf\xC3\xA9\n");
}
