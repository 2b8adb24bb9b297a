// Tests that every file the program writes besides documents keeps its old contents whole when the new ones cannot be written.
#include <gtest/gtest.h>

#include <QAction>
#include <filesystem>
#include <string>

#include "app/model/PanelItems.h"
#include "app/model/libKestrima.h"
#include "app/model/libVeltran.h"
#include "app/dialogs/uFormCSS.h"
#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "editor/model/Templates.h"
#include "highlight/CodeMemoParser.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "support/BoxAnswers.h"
#include "support/FileSizeLimit.h"
#include "support/MainWindowDocuments.h"
#include "support/TempDir.h"

namespace {

// A limit that the old files pass and the new ones do not.
constexpr rlim_t kFullDisk = 4096;
// One that the settings store passes too.
constexpr rlim_t kFullSettingsDisk = 64 * 1024;

std::string onDisk(const std::string& file)
{
    std::string bytes;
    ReadFileBytes(file, 1 << 24, bytes);
    return bytes;
}

} // namespace

TEST(SafeWrites, TheEditorOptionsLeaveTheOldAutoCorrectionsAndTemplatesWhenTheDiskIsFull)
{
    TWindow w;
    TCodeMemoParser::SetSettingsDialog([](TCodeMemoParser&, TSM_PropEdPages) { return true; });
    const std::string docs = UserDocsFolder();
    std::filesystem::create_directories(docs);
    const std::string corrections = docs + "krARep.krr", templates = docs + "krCTem.krt";
    WriteFileBytes(corrections, "qeu=que\r\n");
    WriteFileBytes(templates, "[tb | tabla]\r\n<table></table>\r\n");
    w.form.AbreArchivo("", false, ekHTML);
    // More new text for each file than the settings the dialog writes as well, which must fit.
    for (int i = 0; i < 6000; ++i) {
        const std::string n = std::to_string(i);
        w.memo.AutoReplaceList().AddReplacement(std::string("palabra").append(n), std::string("correcta").append(n));
        w.memo.CodeTemplateList().SetTemplate(std::string("t").append(n), "plantilla", std::string("<p>").append(n).append("</p>"));
    }
    {
        TBoxAnswers boxes;
        TFileSizeLimit full(kFullSettingsDisk);
        ASSERT_TRUE(full.set);
        w.form.Commands().Action("mOpcionesEditor")->trigger();
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0].rfind("No es posible guardar la copia del usuario", 0), 0u) << boxes.texts[0];
    }
    TCodeMemoParser::SetSettingsDialog({});
    EXPECT_EQ(onDisk(corrections), "qeu=que\r\n");
    EXPECT_EQ(onDisk(templates), "[tb | tabla]\r\n<table></table>\r\n");
    // The templates' own writer, whichever file comes first.
    {
        TFileSizeLimit full(kFullDisk);
        EXPECT_THROW(w.memo.CodeTemplateList().SaveToFile(templates), EFCreateError);
    }
    EXPECT_EQ(onDisk(templates), "[tb | tabla]\r\n<table></table>\r\n");
}

TEST(SafeWrites, CodeAndWildcardLibrariesStayWholeAndKeepTheirBackups)
{
    TempDir dir("safe-libs");
    const std::string library = dir.file("mia.cod", "[*uno*]\r\n1\r\n");
    const std::string backup = dir.file("mia.bak", "copia anterior");
    const std::string big(32 * 1024, 'x');
    {
        TFileSizeLimit full(kFullDisk);
        EXPECT_THROW(AddLibraryEntry(library, "grande", big), EFCreateError);
    }
    EXPECT_EQ(onDisk(library), "[*uno*]\r\n1\r\n");
    EXPECT_EQ(onDisk(backup), "copia anterior");
    // Written, the old contents become the backup.
    EXPECT_TRUE(AddLibraryEntry(library, "dos", "2"));
    EXPECT_EQ(onDisk(library), "[*uno*]\r\n1\r\n[*dos*]\r\n2\r\n");
    EXPECT_EQ(onDisk(backup), "[*uno*]\r\n1\r\n");
    ASSERT_TRUE(AddLibraryEntry(library, "grande", big));
    const std::string withBig = onDisk(library);
    {
        // Removing the small entry writes more than the limit too.
        TFileSizeLimit full(kFullDisk);
        EXPECT_THROW(DeleteLibraryEntry(library, "uno"), EFCreateError);
    }
    EXPECT_EQ(onDisk(library), withBig);

    const std::string wildcards = dir.file("campos.krm", "nombre\r\n");
    TStringList names;
    for (int i = 0; i < 3000; ++i)
        names.Add("campo_" + std::to_string(i));
    {
        TFileSizeLimit full(kFullDisk);
        EXPECT_THROW(WriteWildcardLibrary(wildcards, names), EFCreateError);
    }
    EXPECT_EQ(onDisk(wildcards), "nombre\r\n");
}

TEST(SafeWrites, TheStyleLibraryStaysWholeWithOrWithoutItsBackup)
{
    TempDir dir("safe-css");
    std::string rules;
    for (int i = 0; i < 1000; ++i)
        rules += ".c" + std::to_string(i) + " {color:red;}\r\n";
    const std::string library = dir.file("estilos.css", rules);
    for (bool backups : {false, true}) {
        SCOPED_TRACE(backups);
        TformCSS form;
        form.MakeBackups = backups;
        form.LoadStyleSheet(library);
        form.FormShow();
        TDialogAnswers dialogs;
        dialogs.answers.push_back({library});
        TBoxAnswers boxes;
        {
            TFileSizeLimit full(kFullDisk);
            EXPECT_FALSE(form.sbSalvaClick());
        }
        EXPECT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(onDisk(library), rules);
        EXPECT_FALSE(std::filesystem::exists(BackupFileName(library)));
    }
}
