// Tests of a document saved through a host of its own: the settings and the entity table come from the host, a failure is reported to the host's window, and no main window is needed.
#include <gtest/gtest.h>

#include <QWidget>
#include <string>

#include "app/host/EditingFile.h"
#include "app/host/WindowHost.h"
#include "app/model/CodigosISO.h"
#include "app/model/EditorKind.h"
#include "app/model/KestrimaConfig.h"
#include "platform/MessageBox.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "support/BoxAnswers.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

// A host that holds only settings and an entity table; the parts that need more are not asked.
class TSettingsHost : public TWindowHost {
public:
    TSettingsHost() { FEntities.LoadDefaults(); }
    TKestrimaConfig& Config() const override { return FConfig; }
    const TCodigosISO* FileEntities() const override { return FConfig.InsSpecChar ? &FEntities : nullptr; }
    int TipoDeArchivo(const std::string&) const override { return ekHTML; }
    const TDocumentList<TEditingFile>& Documents() const override { return FDocuments; }
    TCodeMemo* CodeMemo() const override { return nullptr; }
    void AbreArchivo(const std::string& FileName, bool, int) override { Opened = FileName; }
    void InsertaCodigo(int16_t, int16_t, const std::string&, const std::string&) override {}
    std::string RutaRelativa(const std::string& FileName) override { return FileName; }
    void ReloadDocument(int) override {}
    TCommandTable& Commands() const override { throw std::logic_error("no commands"); }
    QWidget* HostWindow() override
    {
        ++WindowAsked;
        return &FWindow;
    }
    int WindowAsked = 0;
    std::string Opened;

private:
    mutable TKestrimaConfig FConfig;
    TCodigosISO FEntities;
    TDocumentList<TEditingFile> FDocuments;
    QWidget FWindow;
};

} // namespace

TEST(WindowHost, ADocumentSavesWithItsHostsSettingsAndReportsToItsWindow)
{
    TempRegistry registry("host");
    TempDir folder("app");
    TSettingsHost host;
    host.Config().MakeBackups = true;
    host.Config().InsSpecChar = true;
    TEditingFile file(1, &host);
    file.FileName = folder.file("page.htm", "antes");
    file.SetText("\xE1rbol");
    file.Guardado = false;
    ASSERT_TRUE(file.SaveToFile());
    EXPECT_TRUE(file.Guardado);
    EXPECT_EQ(ReadFileBytes(file.FileName), "&aacute;rbol");
    EXPECT_EQ(ReadFileBytes(folder.path.string() + "/page.~tm"), "antes");

    // Other settings, the same document: no entities and no backup.
    host.Config().MakeBackups = false;
    host.Config().InsSpecChar = false;
    std::filesystem::remove(folder.path / "page.~tm");
    file.SetText("\xE1");
    ASSERT_TRUE(file.SaveToFile());
    // The character goes out as the document's own format writes it, not as a code.
    EXPECT_EQ(ReadFileBytes(file.FileName), file.FileBytes("\xE1", nullptr));
    EXPECT_EQ(ReadFileBytes(file.FileName).find('&'), std::string::npos);
    EXPECT_FALSE(FileExists(folder.path.string() + "/page.~tm"));
    EXPECT_EQ(host.WindowAsked, 0);

    // A file that cannot be written is reported with the host's window as owner.
    TBoxAnswers boxes;
    file.FileName = folder.path.string() + "/no/such/folder/page.htm";
    file.Guardado = false;
    EXPECT_FALSE(file.SaveToFile());
    EXPECT_FALSE(file.Guardado);
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(host.WindowAsked, 1);
}
