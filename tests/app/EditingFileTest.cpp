// Tests of TEditingFile: a document's state in and out of a shared editor, reading and writing its file.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/model/CodigosISO.h"
#include "app/EditingFile.h"
#include "editor/CodeMemo.h"
#include "editor/model/Undo.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Messages.h"
#include "support/TempDir.h"

namespace {

std::string randomText(std::mt19937& random)
{
    std::string text;
    const int lines = 1 + static_cast<int>(random() % 80);
    for (int i = 0; i < lines; ++i) {
        const int length = static_cast<int>(random() % 40);
        for (int j = 0; j < length; ++j)
            text += static_cast<char>(' ' + random() % 95);
        text += '\r';
    }
    return text;
}

} // namespace

TEST(EditingFile, StartsUntitledSavedAndWithoutUndoLog)
{
    const TEditingFile file(3);
    EXPECT_EQ(file.Tipo, 3);
    EXPECT_EQ(file.UndoStack, nullptr);
    EXPECT_TRUE(file.PilaNueva);
    EXPECT_TRUE(file.Guardado);
    EXPECT_EQ(file.FileName, "");
    EXPECT_EQ(file.Seleccion.Start, 0);
    EXPECT_EQ(file.Seleccion.End, 0);
    for (const TMarcador& mark : file.Marcadores)
        EXPECT_FALSE(mark.Set);
    EXPECT_EQ(file.Format, TDocumentFormat{});
}

TEST(EditingFile, DocumentsSwappedThroughOneEditorKeepTheirWholeState)
{
    TCodeMemo editor;
    editor.resize(400, 300);
    int changes = 0;
    editor.OnTextChange = [&](TCodeMemoCore*, int, int) { ++changes; };
    std::mt19937 random(4646);
    TEditingFile files[2] = {TEditingFile(1), TEditingFile(2)};
    struct TExpected {
        std::string text;
        TSelectionRange selection{0, 0};
        int topLine = 1;
        int bookmarkLine = 0;
        std::string search;
    } expected[2];
    files[0].RestauraEstado(editor);
    EXPECT_NE(files[0].UndoStack, nullptr);
    EXPECT_EQ(editor.UndoStack(), files[0].UndoStack.get());
    int current = 0;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        TExpected& e = expected[current];
        // The document is changed in the editor, then swapped out and the other one swapped in.
        e.text = randomText(random);
        editor.SelectAll();
        editor.PerformText(EM_REPLACESEL, 1, e.text.c_str());
        const int length = static_cast<int>(e.text.size());
        e.selection = {static_cast<int>(random() % (length + 1)), static_cast<int>(random() % (length + 1))};
        editor.PerformSelection(SMM_SET, e.selection);
        const int lines = static_cast<int>(std::count(e.text.begin(), e.text.end(), '\r'));
        e.bookmarkLine = 1 + static_cast<int>(random() % lines);
        int line, column;
        if (editor.GetBookmark(4, line, column))
            editor.SetBookmark(4, line, column);
        editor.SetBookmark(4, e.bookmarkLine, 1);
        e.topLine = editor.CaretControl().GetTopLine();
        e.search = "buscar " + std::to_string(round);
        editor.SearchText = e.search;
        editor.SearchFlags = round;
        changes = 0;
        files[current].GuardaEstado(editor);
        current = 1 - current;
        files[current].RestauraEstado(editor);
        // Swapping is no edit.
        EXPECT_EQ(changes, 0);
        if (round == 0)
            continue;
        const TExpected& back = expected[current];
        EXPECT_EQ(editor.StoredText(), back.text);
        TSelectionRange selection{};
        editor.PerformSelection(0, selection);
        EXPECT_EQ(selection.Start, back.selection.Start);
        EXPECT_EQ(selection.End, back.selection.End);
        EXPECT_EQ(editor.CaretControl().GetTopLine(), back.topLine);
        ASSERT_TRUE(editor.GetBookmark(4, line, column));
        EXPECT_EQ(line, back.bookmarkLine);
        EXPECT_FALSE(editor.GetBookmark(5, line, column));
        EXPECT_EQ(editor.SearchText, back.search);
        EXPECT_EQ(editor.ActiveParser(), files[current].Tipo);
        EXPECT_EQ(editor.UndoStack(), files[current].UndoStack.get());
        EXPECT_TRUE(files[current].GetText().empty());
    }
    // Each log undoes its own document's edits back to its empty start.
    while (editor.CanUndo())
        editor.Undo();
    EXPECT_EQ(editor.StoredText(), "");
    editor.SetUndoStack(nullptr);
}

TEST(EditingFile, WritingConvertsEntitiesKeepsTheFormatAndMakesBackups)
{
    TempDir folder("app");
    TCodigosISO entities;
    entities.LoadDefaults();
    TEditingFile file(1);
    file.FileName = folder.file("page.htm", "antes");
    file.SetText("\xE1rbol\rfin");
    file.Guardado = false;
    file.WriteFile(true, &entities);
    EXPECT_TRUE(file.Guardado);
    EXPECT_EQ(ReadFileBytes(file.FileName), "&aacute;rbol\r\nfin");
    EXPECT_EQ(ReadFileBytes(folder.path.string() + "/page.~tm"), "antes");

    // The format read from the file is the one written back; untouched bytes stay untouched.
    std::string text;
    const std::string utf8 = folder.file("u.txt", "\xC3\xB1\n");
    EXPECT_EQ(TEditingFile::ReadDocument(utf8, nullptr, text, file.Format), TDecodeResult::Converted);
    EXPECT_EQ(text, "\xF1\n");
    file.FileName = utf8;
    file.SetText("\xF1\xF1\r");
    file.WriteFile(false, nullptr);
    EXPECT_EQ(ReadFileBytes(utf8), "\xC3\xB1\xC3\xB1\n");
    EXPECT_FALSE(FileExists(folder.path.string() + "/u.~xt"));

    file.RawBytes = true;
    file.Format = TDocumentFormat{};
    file.SetText("\xE1");
    file.WriteFile(false, &entities);
    EXPECT_EQ(ReadFileBytes(utf8), "\xE1");

    // Entities are read as characters.
    const std::string coded = folder.file("c.htm", "&ntilde;&amp;");
    EXPECT_EQ(TEditingFile::ReadDocument(coded, &entities, text, file.Format), TDecodeResult::Bytes);
    EXPECT_EQ(text, "\xF1&amp;");
    EXPECT_THROW(TEditingFile::ReadDocument(folder.path.string(), nullptr, text, file.Format), EFOpenError);

    // An untitled document is not written.
    TEditingFile untitled(1);
    EXPECT_FALSE(untitled.SaveToFile());
}

TEST(EditingFile, AWriteThatFailsLeavesTheFileAndItsBackupAlone)
{
    TempDir folder("app");
    TEditingFile file(1);
    // A name inside a folder that does not exist cannot take a temporary file beside it.
    file.FileName = folder.path.string() + "/falta/page.htm";
    file.SetText("texto");
    file.Guardado = false;
    EXPECT_THROW(file.WriteFile(true, nullptr), EFCreateError);
    EXPECT_FALSE(file.Guardado);
    EXPECT_TRUE(ReadFolder(folder.path.string()).empty());
}
