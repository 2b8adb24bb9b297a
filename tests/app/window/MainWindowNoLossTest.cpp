// Tests of the main window keeping every edit: one tab per file however it is reached, and files changed on disk before a save.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <cstdio>
#include <fcntl.h>
#include <deque>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/host/EditingFile.h"
#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "platform/Menus.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"
#include "support/BoxAnswers.h"
#include "support/MainWindowDocuments.h"

namespace {

std::string onDisk(const std::string& file)
{
    std::string bytes;
    ReadFileBytes(file, 1 << 20, bytes);
    return bytes;
}

// Types at the end of the current document.
void typeAtEnd(TCodeMemo& memo, const std::string& text)
{
    memo.SetSelStart(memo.TextLength());
    type(memo, text);
}

} // namespace

TEST(MainWindowNoLoss, AFileOpensInOneTabHoweverItsNameReachesTheWindow)
{
    TBoxAnswers boxes({}, IDNO);
    TDialogAnswers dialogs;
    TWindow w;
    const std::filesystem::path& dir = w.folder.path;
    const std::string index = w.folder.file("index.html", "<p>x</p>");
    const std::string other = w.folder.file("otra.html", "<p>otra</p>");
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_symlink(index, dir / "enlace.html");
    std::filesystem::create_hard_link(index, dir / "duro.html");

    w.form.AbreArchivo(index, false, ekHTML);
    typeAtEnd(w.memo, "B");
    w.form.AbreArchivo(other, false, ekHTML);
    ASSERT_EQ(w.form.DocumentCount(), 2);

    // Each way in selects the open tab and leaves its unsaved text as it is.
    const auto expectShown = [&](const char* how) {
        SCOPED_TRACE(how);
        EXPECT_EQ(w.form.DocumentCount(), 2);
        EXPECT_EQ(w.form.FileTabs()->TabIndex(), 0);
        EXPECT_EQ(w.memo.StoredText(), "<p>x</p>B");
        EXPECT_FALSE(w.form.CurrentFile()->Guardado);
        switchTo(w.form, 1);
    };
    dialogs.answers.push_back({(dir / "enlace.html").string()});
    w.form.mAbrirClick();
    expectShown("open dialog, through a link");
    w.form.AbreArchivo((dir / "sub" / ".." / "index.html").string(), false, ekHTML);
    expectShown("another spelling");
    w.form.systemmacro("edit", (dir / "duro.html").string());
    expectShown("desktop verb, a hard link");
    w.form.Config().MRU.Insert(0, index);
    w.form.MRUDisplay();
    w.form.MRUItem(0)->trigger();
    expectShown("recent files");

    // The edits made through every way in are in one document, and one save keeps them all.
    switchTo(w.form, 0);
    typeAtEnd(w.memo, "A");
    w.form.AbreArchivo(index, false, ekHTML);
    w.form.mGuardarClick();
    EXPECT_EQ(onDisk(index), "<p>x</p>BA");

    // Another file whose name differs only in letter case is another document.
    const std::string upper = w.folder.file("INDEX.html", "<p>X</p>");
    w.form.AbreArchivo(upper, false, ekHTML);
    EXPECT_EQ(w.form.DocumentCount(), 3);
    EXPECT_EQ(w.memo.StoredText(), "<p>X</p>");
}

TEST(MainWindowNoLoss, SaveAsOntoAFileOpenInAnotherTabIsRefused)
{
    TBoxAnswers boxes({}, IDNO);
    TDialogAnswers dialogs;
    TWindow w;
    const std::string index = w.folder.file("index.html", "<p>x</p>");
    w.form.AbreArchivo(index, false, ekHTML);
    typeAtEnd(w.memo, "B");
    w.form.mNuevoClick();
    type(w.memo, "nuevo");
    dialogs.answers.push_back({index});
    EXPECT_FALSE(w.form.mGuardarComoClick());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "El archivo '" + index +
                                  "' est\xE1 abierto en otra pesta\xF1" "a: gu\xE1rdelo o ci\xE9rrelo all\xED antes de "
                                  "guardar otro documento con ese nombre.");
    EXPECT_EQ(onDisk(index), "<p>x</p>");
    EXPECT_TRUE(w.form.CurrentFile()->FileName.empty());
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"index.html", "Nuevo1"}));
    // Its own name is no other tab's.
    switchTo(w.form, 0);
    dialogs.answers.push_back({index});
    EXPECT_TRUE(w.form.mGuardarComoClick());
    EXPECT_EQ(onDisk(index), "<p>x</p>B");
}

namespace {

// What the question about a file changed on disk says.
std::string changedOnDisk(const std::string& file)
{
    return "Otro programa ha cambiado el archivo '" + file +
           "' desde que se abri\xF3 o se guard\xF3 por \xFAltima vez.\n\n\xBF" "Desea sobrescribirlo con el texto del "
           "editor?\n\nS\xED: guardar el texto del editor (se pierden los cambios hechos fuera).\nNo: volver a leer el "
           "archivo del disco (se pierden los cambios del editor).\nCancelar: no guardar nada.";
}

// Saves the shown document, the questions answered in turn; how many were asked.
size_t saveAnswering(TformPrincipal& form, std::deque<int> answers = {})
{
    TBoxAnswers boxes(std::move(answers));
    form.mGuardarClick();
    return boxes.texts.size();
}

// While it lives, notes for each message box whether it is asked with the normal pointer over a
// window that paints, and hands the box on to the answers set before it.
class TAskedCalmly {
public:
    explicit TAskedCalmly(const QWidget& window)
        : FNext(SetMessageBoxHook([this, &window](const std::string& text, const std::string& caption, unsigned flags) {
              calm.push_back(QApplication::overrideCursor() == nullptr && window.updatesEnabled());
              return FNext(text, caption, flags);
          }))
    {
    }
    ~TAskedCalmly() { SetMessageBoxHook(std::move(FNext)); }
    TAskedCalmly(const TAskedCalmly&) = delete;
    TAskedCalmly& operator=(const TAskedCalmly&) = delete;

    std::vector<bool> calm;

private:
    TMessageBoxHook FNext;
};

// Another program rewrites the file where it is, keeping its time of change.
void rewriteInPlace(const std::string& file, const std::string& bytes)
{
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    FILE* out = std::fopen(file.c_str(), "r+b");
    ASSERT_NE(out, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

} // namespace

TEST(MainWindowNoLoss, AFileChangedByAnotherProgramIsOverwrittenOnlyWhenTheUserSaysSo)
{
    TWindow w;
    const std::string index = w.folder.file("index.html", "<p>uno</p>");
    w.form.AbreArchivo(index, false, ekHTML);
    typeAtEnd(w.memo, "B");
    WriteFileBytes(index, "<p>de fuera</p>\n");

    // Cancel writes nothing and keeps the edit.
    {
        TBoxAnswers boxes({IDCANCEL});
        w.form.mGuardarClick();
        EXPECT_EQ(boxes.texts, (std::vector<std::string>{changedOnDisk(index)}));
        EXPECT_EQ(boxes.flags, (std::vector<unsigned>{MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3}));
    }
    EXPECT_EQ(onDisk(index), "<p>de fuera</p>\n");
    EXPECT_EQ(w.memo.StoredText(), "<p>uno</p>B");
    EXPECT_FALSE(w.form.CurrentFile()->Guardado);

    // No reads the other program's text in, and writes nothing.
    EXPECT_EQ(saveAnswering(w.form, {IDNO}), 1u);
    EXPECT_EQ(onDisk(index), "<p>de fuera</p>\n");
    EXPECT_EQ(w.memo.StoredText(), "<p>de fuera</p>\r");
    EXPECT_TRUE(w.form.CurrentFile()->Guardado);

    // Yes writes the editor's text over the other program's.
    typeAtEnd(w.memo, "C");
    WriteFileBytes(index, "<p>otra vez</p>\n");
    EXPECT_EQ(saveAnswering(w.form, {IDYES}), 1u);
    EXPECT_EQ(onDisk(index), "<p>de fuera</p>\nC");
    EXPECT_TRUE(w.form.CurrentFile()->Guardado);

    // Unchanged since the save, or rewritten with the very same bytes, the file is saved without a word.
    typeAtEnd(w.memo, "D");
    EXPECT_EQ(saveAnswering(w.form), 0u);
    WriteFileBytes(index, "<p>de fuera</p>\nCD");
    typeAtEnd(w.memo, "E");
    EXPECT_EQ(saveAnswering(w.form), 0u);
    EXPECT_EQ(onDisk(index), "<p>de fuera</p>\nCDE");

    // A change of the same size within the same tick of the file clock is told by the bytes.
    typeAtEnd(w.memo, "F");
    rewriteInPlace(index, "<p>DE FUERA</p>\nCDE");
    EXPECT_EQ(saveAnswering(w.form, {IDCANCEL}), 1u);
    EXPECT_EQ(onDisk(index), "<p>DE FUERA</p>\nCDE");

    // A file that was deleted is written anew without a question.
    std::filesystem::remove(index);
    EXPECT_EQ(saveAnswering(w.form), 0u);
    EXPECT_EQ(onDisk(index), "<p>de fuera</p>\nCDEF");
}

TEST(MainWindowNoLoss, ANameThatNowLeadsElsewhereIsWrittenThereOnlyWhenTheQuestionNamingThatFileSaysSo)
{
    TWindow w;
    const std::string index = w.folder.file("index.html", "<p>uno</p>");
    const std::string other = w.folder.file("otra.html", "<p>otra</p>");
    w.form.AbreArchivo(index, false, ekHTML);
    typeAtEnd(w.memo, "B");
    // A link to another file put in the page's place.
    std::filesystem::remove(index);
    std::filesystem::create_symlink("otra.html", index);
    const std::string target = std::filesystem::canonical(other).string();
    {
        TBoxAnswers boxes({IDNO});
        w.form.mGuardarClick();
        // The question says what the name is now.
        EXPECT_EQ(boxes.texts, (std::vector<std::string>{
                                   "El nombre '" + index + "' es ahora un enlace simb\xF3lico que lleva a '" + target +
                                   "', no al archivo que se abri\xF3 o se guard\xF3 por \xFAltima vez.\n\n\xBF"
                                   "Desea guardar el texto del editor en '" + target + "'? Si responde No, no se guarda."}));
        EXPECT_EQ(boxes.flags, (std::vector<unsigned>{MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2}));
    }
    EXPECT_EQ(onDisk(other), "<p>otra</p>");
    EXPECT_FALSE(w.form.CurrentFile()->Guardado);
    EXPECT_EQ(saveAnswering(w.form, {IDYES}), 1u);
    EXPECT_EQ(onDisk(other), "<p>uno</p>B");
    EXPECT_TRUE(std::filesystem::is_symlink(index));
    EXPECT_TRUE(w.form.CurrentFile()->Guardado);
    // Written there, the name leads where the document was written: the next save asks nothing.
    typeAtEnd(w.memo, "C");
    EXPECT_EQ(saveAnswering(w.form), 0u);
    EXPECT_EQ(onDisk(other), "<p>uno</p>BC");

    // A name whose state cannot be read (links in a circle) is not taken for unchanged: nothing is written.
    std::filesystem::remove(index);
    std::filesystem::remove(other);
    std::filesystem::create_symlink("otra.html", index);
    std::filesystem::create_symlink("index.html", other);
    typeAtEnd(w.memo, "D");
    {
        TBoxAnswers boxes;
        w.form.mGuardarClick();
        EXPECT_EQ(boxes.texts, (std::vector<std::string>{"No es posible saber si el archivo '" + index +
                                                         "' ha cambiado en el disco: " + SysErrorMessage(ELOOP) +
                                                         ".\n\nNo se ha guardado."}));
        EXPECT_EQ(boxes.flags, (std::vector<unsigned>{MB_OK | MB_ICONSTOP}));
    }
    EXPECT_FALSE(w.form.CurrentFile()->Guardado);
    EXPECT_TRUE(std::filesystem::is_symlink(index));
    EXPECT_TRUE(std::filesystem::is_symlink(other));
}

TEST(MainWindowNoLoss, SaveAllAsksForEachChangedFileAndReadsAHiddenOneAgainBehindTheShownOne)
{
    TWindow w;
    const std::string first = w.folder.file("uno.html", "uno");
    const std::string second = w.folder.file("dos.html", "dos");
    w.form.AbreArchivo(first, false, ekHTML);
    typeAtEnd(w.memo, "1");
    w.form.AbreArchivo(second, false, ekHTML);
    typeAtEnd(w.memo, "2");
    WriteFileBytes(first, "uno de fuera");
    WriteFileBytes(second, "dos de fuera");
    {
        // The hidden first document is read again, the shown second one overwrites its file; each
        // question comes with the normal pointer over a window that paints.
        TBoxAnswers boxes({IDNO, IDYES});
        TAskedCalmly asked(w.form);
        w.form.mGuardarTodoClick();
        EXPECT_EQ(boxes.texts, (std::vector<std::string>{changedOnDisk(first), changedOnDisk(second)}));
        EXPECT_EQ(asked.calm, (std::vector<bool>{true, true}));
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w.form.updatesEnabled());
    EXPECT_EQ(onDisk(first), "uno de fuera");
    EXPECT_EQ(onDisk(second), "dos2");
    EXPECT_EQ(w.form.FileTabs()->TabIndex(), 1);
    EXPECT_EQ(w.memo.StoredText(), "dos2");
    switchTo(w.form, 0);
    EXPECT_EQ(w.memo.StoredText(), "uno de fuera");
    EXPECT_TRUE(w.form.CurrentFile()->Guardado);

    // The shown document read again during Save All stays the text read, not the one stored before.
    typeAtEnd(w.memo, "!");
    WriteFileBytes(first, "uno tercera");
    {
        TBoxAnswers boxes({IDNO});
        w.form.mGuardarTodoClick();
    }
    EXPECT_EQ(w.memo.StoredText(), "uno tercera");
    switchTo(w.form, 1);
    switchTo(w.form, 0);
    EXPECT_EQ(w.memo.StoredText(), "uno tercera");
    EXPECT_EQ(onDisk(first), "uno tercera");

    // Saved from the tab's pop-up while another tab is shown, the same.
    switchTo(w.form, 1);
    typeAtEnd(w.memo, "?");
    switchTo(w.form, 0);
    WriteFileBytes(second, "dos cuarta");
    {
        TBoxAnswers boxes({IDYES});
        TAskedCalmly asked(w.form);
        w.form.pmTabs()->setProperty("Tag", 1);
        w.form.mTabOption(1)->trigger();
        EXPECT_EQ(boxes.texts, std::vector<std::string>{changedOnDisk(second)});
        EXPECT_EQ(asked.calm, std::vector<bool>{true});
    }
    EXPECT_EQ(onDisk(second), "dos2?");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w.form.updatesEnabled());
}

namespace {

// The property's model of one file: its bytes on disk, and for its document (when open) the text in
// the editor and the bytes the document last read or wrote.
struct TModelFile {
    std::string Path;
    std::string Disk;
    bool Open = false;
    std::string Text;
    std::string Base;
};

} // namespace

TEST(MainWindowNoLoss, RandomOpensEditsSavesAndOutsideChangesNeverLoseTextWithoutAnAnsweredQuestion)
{
    TWindow w;
    std::mt19937 random(9507);
    const auto below = [&](size_t n) { return static_cast<size_t>(random() % n); };
    const std::filesystem::path& dir = w.folder.path;
    std::filesystem::create_directory(dir / "sub");
    std::vector<TModelFile> files;
    for (const char* name : {"a.html", "b.html", "c.html"}) {
        TModelFile file;
        file.Path = (dir / name).string();
        file.Disk = std::string("inicio-") + name[0];
        WriteFileBytes(file.Path, file.Disk);
        std::filesystem::create_symlink(file.Path, dir / (std::string("enlace-") + name));
        files.push_back(file);
    }
    // The names a file reaches the window by.
    const auto spelling = [&](const TModelFile& file) {
        const std::string name = std::filesystem::path(file.Path).filename().string();
        switch (below(3)) {
        case 0: return file.Path;
        case 1: return (dir / "sub" / ".." / name).string();
        default: return (dir / ("enlace-" + name)).string();
        }
    };
    const auto current = [&]() -> TModelFile* {
        const TEditingFile* shown = w.form.CurrentFile();
        for (TModelFile& file : files)
            if (shown && file.Open && SameFile(file.Path, shown->FileName))
                return &file;
        return nullptr;
    };
    const auto letters = [&](size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i)
            text += static_cast<char>('a' + below(26));
        return text;
    };
    const int answers[] = {IDYES, IDNO, IDCANCEL};
    // How often a save met a file changed outside, and a file was opened again while open.
    int outsideChanges = 0, openedAgain = 0;

    for (int step = 0; step < 400; ++step) {
        SCOPED_TRACE(step);
        TModelFile& some = files[below(files.size())];
        TModelFile* shown = current();
        const size_t operation = below(7);
        size_t questions = 0;
        const int answer = answers[below(3)];
        {
            TBoxAnswers boxes({answer, answer});
            switch (operation) {
            case 0: // open, by any of its names
                w.form.AbreArchivo(spelling(some), false, ekHTML);
                openedAgain += some.Open;
                if (!some.Open) {
                    some.Open = true;
                    some.Text = some.Base = some.Disk;
                }
                break;
            case 1: // type
                if (shown) {
                    const std::string typed = letters(1 + below(3));
                    typeAtEnd(w.memo, typed);
                    shown->Text += typed;
                }
                break;
            case 2: // save
                if (shown) {
                    w.form.mGuardarClick();
                    if (shown->Disk != shown->Base) {
                        questions = 1;
                        ++outsideChanges;
                        if (answer == IDNO)
                            shown->Text = shown->Base = shown->Disk;
                        if (answer == IDYES)
                            shown->Disk = shown->Base = shown->Text;
                    } else {
                        shown->Disk = shown->Base = shown->Text;
                    }
                }
                break;
            case 3: // another program writes the file
                some.Disk = letters(below(2) ? some.Disk.size() : 1 + below(12));
                WriteFileBytes(some.Path, some.Disk);
                break;
            case 4: // read again from the disk, when the user agrees to lose changes not saved
                if (shown) {
                    w.form.mActualizarClick();
                    questions = shown->Text != shown->Base ? 1 : 0;
                    if (questions == 0 || answer == IDYES)
                        shown->Text = shown->Base = shown->Disk;
                }
                break;
            case 5: // another tab
                if (w.form.DocumentCount() > 0)
                    switchTo(w.form, static_cast<int>(below(static_cast<size_t>(w.form.DocumentCount()))));
                break;
            case 6: // close, without saving when asked
                if (shown && answer != IDYES) {
                    w.form.mCerrarClick();
                    if (shown->Text != shown->Base)
                        questions = 1;
                    if (questions == 0 || answer == IDNO)
                        shown->Open = false;
                }
                break;
            }
            ASSERT_EQ(boxes.texts.size(), questions) << "operation " << operation;
        }
        // One tab per open file, the shown one holding its text, and every file as the model says.
        int open = 0;
        for (const TModelFile& file : files) {
            open += file.Open;
            EXPECT_EQ(onDisk(file.Path), file.Disk) << file.Path;
            EXPECT_EQ(w.form.Documents().IndexOfFile(file.Path) >= 0, file.Open) << file.Path;
        }
        ASSERT_EQ(w.form.DocumentCount(), open);
        if (TModelFile* now = current()) {
            ASSERT_EQ(w.memo.StoredText(), now->Text) << now->Path;
            EXPECT_EQ(w.form.CurrentFile()->Guardado, now->Text == now->Base);
        }
    }
    EXPECT_GT(outsideChanges, 10);
    EXPECT_GT(openedAgain, 10);
}
