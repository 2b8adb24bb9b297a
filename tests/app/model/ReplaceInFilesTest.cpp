// Tests of replace in files' model: matches without case and by whole words, the bytes kept around them, backups and the files left untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "app/model/CodigosISO.h"
#include "app/model/ReplaceInFiles.h"
#include "platform/core/Classes.h"
#include "platform/core/DocumentText.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"
#include "support/TempDir.h"
#include "support/TwoUsers.h"
#include "support/Unprivileged.h"

namespace {

TReplaceRequest request(std::string find, std::string replacement, bool wholeWord = false)
{
    TReplaceRequest r;
    r.Find = std::move(find);
    r.Replacement = std::move(replacement);
    r.WholeWord = wholeWord;
    return r;
}

// The bytes after the replacement, and the count as "<count>:<bytes>"; "not text" when refused.
std::string replaced(std::string_view bytes, const TReplaceRequest& r)
{
    std::string out;
    int count = 0;
    if (!ReplaceInBytes(bytes, r, out, count))
        return "not text";
    return std::to_string(count) + ":" + out;
}

// The rule written plainly: from the left, a match of the lower-cased pattern in the lower-cased
// text that whole words allow is replaced and the search goes on after it.
std::string model(const std::string& text, const std::string& find, const std::string& replacement, bool whole)
{
    const std::string low = AnsiLowerCase(text), pattern = AnsiLowerCase(find);
    std::string out;
    int count = 0;
    for (size_t i = 0; i < text.size();) {
        const bool match = low.compare(i, pattern.size(), pattern) == 0 &&
                           (!whole || ((i == 0 || !IsReplaceWordChar(text[i - 1])) &&
                                       (i + pattern.size() >= text.size() || !IsReplaceWordChar(text[i + pattern.size()]))));
        if (match) {
            out += replacement;
            i += pattern.size();
            ++count;
        } else {
            out += text[i++];
        }
    }
    return std::to_string(count) + ":" + out;
}

} // namespace

TEST(ReplaceInFiles, MatchesWithoutCaseAndByTheirOwnWholeWords)
{
    const struct {
        const char* text;
        const char* find;
        bool whole;
        const char* expected;
    } cases[] = {
        {"CASA Casa casa", "casa", false, "3:Piso Piso Piso"},
        {"casas _casa", "casa", false, "2:Pisos _Piso"},
        {"casas _casa casa1 \xF1""casa casa\xF1", "casa", true, "0:casas _casa casa1 \xF1""casa casa\xF1"},
        {"casa es\r\nla casa\nmi casa", "casa", true, "3:Piso es\r\nla Piso\nmi Piso"},
        {"#casa (casa) casa-casa", "casa", true, "4:#Piso (Piso) Piso-Piso"},
        {"casacasa", "casa", true, "0:casacasa"},
        {"ni\xD1""O ni\xF1""o", "NI\xD1""O", false, "2:Piso Piso"},
        {"\xC1rbol \xE1rbol", "\xE1rbol", true, "2:Piso Piso"},
        {"casa\r\nblanca", "casa\r\nblanca", false, "0:casa\r\nblanca"},
        {"linea\ncasa", "a\nc", false, "0:linea\ncasa"},
        {"casa", "", false, "0:casa"},
        {"a\x01""casa", "casa", false, "not text"},
        {"", "casa", false, "0:"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replaced(c.text, request(c.find, "Piso", c.whole)), c.expected) << c.text << " / " << c.find;
    // The replacement goes in as typed, even when it holds the text searched for.
    EXPECT_EQ(replaced("casa", request("casa", "CasaCASA")), "1:CasaCASA");

    // Many random texts against the rule written plainly.
    std::mt19937 random(88);
    const std::string letters = "aAbB_#1 \r\n\xF1\xD1";
    for (int round = 0; round < 3000; ++round) {
        std::string text, find;
        for (int i = std::uniform_int_distribution<int>(0, 30)(random); i > 0; --i)
            text += letters[random() % letters.size()];
        for (int i = std::uniform_int_distribution<int>(1, 3)(random); i > 0; --i)
            find += letters[random() % 8];
        const bool whole = random() % 2;
        EXPECT_EQ(replaced(text, request(find, "<x>", whole)), model(text, find, "<x>", whole)) << text << " / " << find;
    }
}

TEST(ReplaceInFiles, OnlyTheMatchesChangeTheirBytes)
{
    // Line ends of every kind and a last line without one stay; so does a byte-order mark.
    EXPECT_EQ(replaced("a casa\nb casa\r\nc\rcasa", request("casa", "piso")), "3:a piso\nb piso\r\nc\rpiso");
    EXPECT_EQ(replaced("\xEF\xBB\xBF""casa\n", request("casa", "piso")), "1:\xEF\xBB\xBF""piso\n");
    // UTF-8 around a match stays UTF-8, and the replacement is written in it.
    const std::string utf8 = "ni\xC3\xB1""a casa ni\xC3\xB1""o";
    const std::string out = replaced(utf8, request("CASA", "ca\xF1""ada"));
    EXPECT_EQ(out, "1:ni\xC3\xB1""a ca\xC3\xB1""ada ni\xC3\xB1""o");
    EXPECT_TRUE(IsValidUtf8(out.substr(2)));
    // A Windows-1252 file keeps its bytes.
    EXPECT_EQ(replaced("ni\xF1""a casa", request("casa", "ca\xF1""ada")), "1:ni\xF1""a ca\xF1""ada");
    // A character the code page lacks is held as a reference: searched for whole, never cut.
    const std::string arrow = "a \xE2\x86\x92 b";
    EXPECT_EQ(replaced(arrow, request("\x1F#8594;", "->")), "1:a -> b");
    EXPECT_EQ(replaced(arrow, request("8594", "x")), "0:" + arrow);
    // A reference typed is no character of the file.
    EXPECT_EQ(replaced(arrow, request("&#8594;", "->")), "0:" + arrow);
    TReplaceRequest typed = request("b", "\x1F#8594;");
    EXPECT_EQ(replaced(arrow, typed), "1:a \xE2\x86\x92 \xE2\x86\x92");
    EXPECT_EQ(replaced("a b", typed), "1:a \xE2\x86\x92");
    EXPECT_EQ(replaced("a \xE9 b", typed), "1:a \xE9 &#8594;");
    // UTF-16 keeps its byte order and mark.
    const std::string utf16("\xFF\xFE" "c\0a\0s\0a\0", 10);
    EXPECT_EQ(replaced(utf16, request("CASA", "no")), "1:" + std::string("\xFF\xFE" "n\0o\0", 6));
}

TEST(ReplaceInFiles, BackupNames)
{
    EXPECT_EQ(ReplaceBackupName("/w/INDEX.HTML"), "/w/INDEX.~HT");
    EXPECT_EQ(ReplaceBackupName("/w/page.htm"), "/w/page.~ht");
    EXPECT_EQ(ReplaceBackupName("/w/a.h"), "/w/a.~h");
    EXPECT_EQ(ReplaceBackupName("/w/notas"), "/w/notas.~");
    EXPECT_EQ(ReplaceBackupName("/w.d/notas"), "/w.d/notas.~");
    EXPECT_EQ(ReplaceBackupName("/w/x.~~~"), "/w/x.~~~");
}

TEST(ReplaceInFiles, FilesWithoutAMatchStayAsTheyWereAndChangedOnesGetTheirBackup)
{
    namespace fs = std::filesystem;
    TempDir dir("replace");
    const std::string untouched = dir.file("nada.htm", "nada\n");
    const fs::file_time_type old = fs::last_write_time(untouched) - std::chrono::hours(1);
    fs::last_write_time(untouched, old);
    TReplaceRequest r = request("casa", "piso");
    r.Backup = true;
    TFileReplacement done = ReplaceInFile(untouched, r);
    EXPECT_EQ(done.Status, TFileReplacement::TStatus::Unchanged);
    EXPECT_EQ(fs::last_write_time(untouched), old);
    EXPECT_FALSE(fs::exists(dir.path / "nada.~ht"));

    const std::string index = dir.file("INDEX.HTML", "<p>casa</p>\n");
    dir.file("INDEX.~HT", "older backup");
    done = ReplaceInFile(index, r);
    EXPECT_EQ(done.Status, TFileReplacement::TStatus::Replaced);
    EXPECT_EQ(done.Count, 1);
    EXPECT_FALSE(done.NoBackup);
    EXPECT_EQ(ReadFileBytes(index), "<p>piso</p>\n");
    EXPECT_EQ(ReadFileBytes((dir.path / "INDEX.~HT").string()), "<p>casa</p>\n");

    // A name that is its own backup's is changed without one, and says so.
    const std::string own = dir.file("x.~~~", "casa");
    done = ReplaceInFile(own, r);
    EXPECT_TRUE(done.NoBackup);
    EXPECT_EQ(ReadFileBytes(own), "piso");

    const std::string binary = dir.file("b.htm", std::string("casa\0", 5));
    EXPECT_EQ(ReplaceInFile(binary, r).Status, TFileReplacement::TStatus::NotText);
    EXPECT_EQ(ReadFileBytes(binary), std::string("casa\0", 5));

    EXPECT_THROW(ReplaceInFile((dir.path / "missing.htm").string(), r), EFOpenError);
    const std::string locked = dir.file("locked.htm", "casa");
    chmod(locked.c_str(), 0444);
    try {
        ReplaceInFile(locked, r);
        ADD_FAILURE() << "a read-only file was written";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find(locked), std::string::npos) << e.Message();
    }
    EXPECT_EQ(ReadFileBytes(locked), "casa");
}

TEST(ReplaceInFiles, TheRunsBackupNamesTakeNoNameInUse)
{
    TempDir dir("backup-names");
    const auto path = [&](const char* name) { return (dir.path / name).string(); };
    const std::string script = dir.file("a.js", "x"), other = dir.file("a.jsx", "y");
    TRunBackups backups;
    // Free, the usual name is taken; made in the run, it is not taken again.
    EXPECT_EQ(backups.NameFor(script), path("a.~js"));
    dir.file("a.~js", "copia");
    backups.Made(path("a.~js"));
    EXPECT_EQ(backups.NameFor(other), path("a.~jsx"));
    // Left by an earlier run, it may be either file's backup: the first free numbered name.
    TRunBackups next;
    EXPECT_EQ(next.NameFor(script), path("a.~js1"));
    dir.file("a.~js1", "ocupado");
    EXPECT_EQ(next.NameFor(script), path("a.~js2"));
    // With no other file of that backup name, the old backup is the file's own.
    std::filesystem::remove(other);
    EXPECT_EQ(next.NameFor(script), path("a.~js"));
}

TEST(ReplaceInFiles, AFileIsSearchedForTheTextAsItsSaveWritesItToo)
{
    TCodigosISO table;
    table.LoadDefaults();
    TReplaceRequest page = request("oto\xF1o", "invierno");
    page.Page = true;
    page.Entities = &table;
    // Pages the editor saved with the conversion on hold the codes: plain ASCII declaring nothing or
    // UTF-8, in any letter case; the character itself is found beside them.
    EXPECT_EQ(replaced("<p>Oto&ntilde;o</p>\n", page), "1:<p>invierno</p>\n");
    EXPECT_EQ(replaced("<meta charset=\"utf-8\"><p>OTO&Ntilde;O y oto\xC3\xB1o</p>\n", page),
              "2:<meta charset=\"utf-8\"><p>invierno y invierno</p>\n");
    EXPECT_EQ(replaced("<p>oto\xF1o, oto&ntilde;o</p>\r\n", page), "2:<p>invierno, invierno</p>\r\n");
    // The code holds a word: whole words look at what lies around all of it.
    page.WholeWord = true;
    EXPECT_EQ(replaced("<p>oto&ntilde;os oto&ntilde;o</p>", page), "1:<p>oto&ntilde;os invierno</p>");
    page.WholeWord = false;
    // Without the conversion the save writes the character, which is then all that is looked for.
    page.Entities = nullptr;
    EXPECT_EQ(replaced("<p>oto&ntilde;o oto\xF1o</p>", page), "1:<p>oto&ntilde;o invierno</p>");
    // A text file is not converted either.
    TReplaceRequest text = request("oto\xF1o", "invierno");
    EXPECT_EQ(replaced("oto&ntilde;o oto\xC3\xB1o\n", text), "1:oto&ntilde;o invierno\n");

    // A character Windows-1252 lacks is written there as its reference: searched for as the
    // character, it is found as the reference too, and each is replaced in its file's own way.
    TReplaceRequest lambda = request("\x1F#955;x", "\x1F#956;");
    EXPECT_EQ(replaced("a &#955;x \xE9", lambda), "1:a &#956; \xE9");
    EXPECT_EQ(replaced("a \xCE\xBBx \xC3\xA9", lambda), "1:a \xCE\xBC \xC3\xA9");
    // A reference typed as such is searched for as typed.
    EXPECT_EQ(replaced("a &#955;x \xE9", request("&#955;X", "-")), "1:a - \xE9");
    EXPECT_EQ(replaced("a \xCE\xBBx", request("&#955;x", "-")), "0:a \xCE\xBBx");
    // Nothing found: the file's bytes as they were.
    EXPECT_EQ(replaced("<p>primavera</p>", page), "0:<p>primavera</p>");
}

TEST(ReplaceInFiles, AColleaguesFileWhoseBackupCannotBeMadeIsChangedOnlyWhenTheAuthorSaysSo)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play two users";
    TSharedPage shared(01777, kColleagueUser);
    ASSERT_TRUE(shared.Ok);
    const std::string backup = ReplaceBackupName(shared.Page);
    ASSERT_EQ(mkdir(backup.c_str(), 0755), 0);
    TReplaceRequest r = request("uno", "dos");
    r.Backup = true;
    const TUnprivilegedRun run = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
        // Not asked, or answered No: the file stays as it was, and why is kept for the notes.
        std::vector<std::string> asked;
        for (const bool answer : {false, true}) {
            const TFileReplacement done = ReplaceInFile(shared.Page, r, {}, [&](const std::string& name, const std::string& why) {
                asked.push_back(name + ": " + why);
                if (ReadFileBytes(shared.Page) != "<p>uno</p>")
                    asked.push_back("written before the answer");
                return answer;
            });
            if (!answer && (done.Status != TFileReplacement::TStatus::NoBackupMade ||
                            done.BackupError != "es una carpeta, no un archivo normal"))
                return "a No did not leave the file: " + done.BackupError;
            if (answer && (done.Status != TFileReplacement::TStatus::Replaced || !done.NoBackup))
                return "a Yes did not replace without a backup";
            if (!answer && ReadFileBytes(shared.Page) != "<p>uno</p>")
                return "changed after a No";
            if (!answer && ReplaceInFile(shared.Page, r).Status != TFileReplacement::TStatus::NoBackupMade)
                return "changed without a question";
        }
        const std::string why = backup + ": es una carpeta, no un archivo normal";
        return asked == std::vector<std::string>{why, why} ? "" : "asked " + std::to_string(asked.size());
    });
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(ReadFileBytes(shared.Page), "<p>dos</p>");
}

TEST(ReplaceInFiles, ANameThatIsNoRegularFileIsRefusedSayingWhatItIs)
{
    TempDir dir("replace");
    const std::string pipe = (dir.path / "p.html").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
    const std::string folder = (dir.path / "c.html").string();
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    for (const auto& [name, says] : {std::pair{pipe, std::string("es una tuber\xED""a con nombre (FIFO), no un archivo normal")},
                                     std::pair{folder, std::string("es una carpeta, no un archivo normal")}}) {
        try {
            ReplaceInFile(name, request("uno", "dos"));
            ADD_FAILURE() << name << " was read";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), "El archivo '" + name + "' no puede ser abierto para su lectura: " + says + ".");
        }
    }
}
