// Desktop entries and MIME associations written for the shell verbs.
#include <gtest/gtest.h>

#include <QStandardPaths>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/DesktopTypes.h"
#include "platform/core/MimeApps.h"
#include "platform/core/Classes.h"
#include "support/TempXdg.h"

namespace {

const TDesktopVerb kEdit{"HTMfile", "Editar en Kestrima", "text/html", false};
const TDesktopVerb kNew{"HTMfile", "Nuevo", "text/html", false};
const TDesktopVerb kOpen{"KRfile", "Abrir", kProjectMimeType, true};

} // namespace

TEST(DesktopTypes, TheEntryNamesTheTypeAndVerbForTheShellForm)
{
    EXPECT_EQ(DesktopEntryName(kEdit), "kestrima-htmfile-editar-en-kestrima.desktop");
    EXPECT_EQ(DesktopEntryName(kOpen), "kestrima-krfile-abrir.desktop");
    EXPECT_EQ(DesktopEntryText(kEdit, "/opt/k dir/kestrima"),
        "[Desktop Entry]\nType=Application\nName=Editar en Kestrima\n"
        "Exec=\"/opt/k dir/kestrima\" --shell-exec \"HTMfile\\\\\\\\Editar en Kestrima\" %f\n"
        "MimeType=text/html;\nNoDisplay=true\nTerminal=false\n");
    // Reserved characters are escaped; Windows-1252 letters become UTF-8.
    const std::string text = DesktopEntryText({"T", "Ver a\xF1o", "text/html", false}, "/p/$x`\"100%");
    EXPECT_NE(text.find("Name=Ver a\xC3\xB1o\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"/p/\\\\$x\\\\`\\\\\"100%%\" --shell-exec \"T\\\\\\\\Ver a\xC3\xB1o\" %f\n"), std::string::npos);
    // The program's path is named by its own bytes, whatever characters they spell.
    EXPECT_NE(DesktopEntryText(kEdit, "/opt/\xC5\x82ukasz/k").find("Exec=\"/opt/\xC5\x82ukasz/k\" --shell-exec"), std::string::npos);
}

TEST(DesktopTypes, MimeAppsGainsAndLosesOnlyItsOwnEntries)
{
    const std::string user = "# mine\n[Default Applications]\ntext/html=firefox.desktop;\n\n"
                             "[Added Associations]\ntext/html=gedit.desktop;\nimage/png=gimp.desktop;\n";
    const std::string added = EditMimeApps(user, "Added Associations", "text/html", "k.desktop", true);
    EXPECT_EQ(added, "# mine\n[Default Applications]\ntext/html=firefox.desktop;\n\n"
                     "[Added Associations]\ntext/html=gedit.desktop;k.desktop;\nimage/png=gimp.desktop;\n");
    EXPECT_EQ(EditMimeApps(added, "Added Associations", "text/html", "k.desktop", true), added);
    EXPECT_EQ(EditMimeApps(added, "Added Associations", "text/html", "k.desktop", false), user);
    // A missing group is appended; a line left empty goes.
    const std::string grown = EditMimeApps(user, "Removed Associations", "a/b", "k.desktop", true);
    EXPECT_EQ(grown, user + "\n[Removed Associations]\na/b=k.desktop;\n");
    EXPECT_EQ(EditMimeApps(grown, "Removed Associations", "a/b", "k.desktop", false), user + "\n[Removed Associations]\n");
    EXPECT_EQ(EditMimeApps("", "G", "a/b", "k.desktop", true), "[G]\na/b=k.desktop;\n");
    EXPECT_EQ(EditMimeApps("[G]\na/b=k.desktop;\n", "G", "a/b", "k.desktop", false), "[G]\n");
    // Removing what is not there changes nothing.
    EXPECT_EQ(EditMimeApps(user, "Added Associations", "text/html", "k.desktop", false), user);
    EXPECT_EQ(EditMimeApps("", "G", "a/b", "k.desktop", false), "");
    // Lines that do not name the entry keep their bytes, even empty or repeated ones; every line
    // naming it loses it.
    const std::string odd = "[G]\na/b=;\n a/b = x.desktop ; \na/b=k.desktop;y.desktop;\n";
    EXPECT_EQ(EditMimeApps(odd, "G", "a/b", "k.desktop", true), odd);
    EXPECT_EQ(EditMimeApps(odd, "G", "a/b", "k.desktop", false), "[G]\na/b=;\n a/b = x.desktop ; \na/b=y.desktop;\n");
    EXPECT_EQ(EditMimeApps("[G]\na/b= x.desktop \n", "G", "a/b", "k.desktop", true), "[G]\na/b= x.desktop;k.desktop;\n");
    // A value holding "=" still gets its separator, so the entry is found again.
    const std::string equals = EditMimeApps("[G]\na/b=x=\n", "G", "a/b", "k.desktop", true);
    EXPECT_EQ(equals, "[G]\na/b=x=;k.desktop;\n");
    EXPECT_EQ(EditMimeApps(equals, "G", "a/b", "k.desktop", true), equals);

    // Removing our entry leaves the rest of the user's line byte for byte: spacing, separators, CR.
    const std::pair<std::string, std::string> removals[] = {
        {"[G]\r\ntext/html = a ; k.desktop ; b\r\n", "[G]\r\ntext/html = a ; b\r\n"},
        {"[G]\r\ntext/html = k.desktop ; a ; b\r\n", "[G]\r\ntext/html = a ; b\r\n"},
        {"[G]\r\ntext/html = a ; b ;k.desktop\r\n", "[G]\r\ntext/html = a ; b ;\r\n"},
        {"[G]\ntext/html=a;k.desktop;k.desktop;b", "[G]\ntext/html=a;b"},
        {"[G]\r\ntext/html = k.desktop ;\r\nx=y\r\n", "[G]\r\nx=y\r\n"},
        {"[G]\r\ntext/html=k.desktop", "[G]\r\n"},
    };
    for (const auto& [before, after] : removals)
        EXPECT_EQ(EditMimeApps(before, "G", "text/html", "k.desktop", false), after) << before;
    // Adding keeps the CR of the line it grows, and new lines end as the file's do.
    EXPECT_EQ(EditMimeApps("[G]\r\ntext/html = a ; b\r\n", "G", "text/html", "k.desktop", true),
              "[G]\r\ntext/html = a ; b;k.desktop;\r\n");
    EXPECT_EQ(EditMimeApps("[G]\r\nx=y\r\n", "G", "text/html", "k.desktop", true),
              "[G]\r\nx=y\r\ntext/html=k.desktop;\r\n");
    EXPECT_EQ(EditMimeApps("[F]\r\nx=y", "G", "text/html", "k.desktop", true),
              "[F]\r\nx=y\r\n\r\n[G]\r\ntext/html=k.desktop;\r\n");
    EXPECT_EQ(EditMimeApps("[G]\nx=y\n[H]\nz=w", "G", "a/b", "k.desktop", true), "[G]\nx=y\na/b=k.desktop;\n[H]\nz=w");
}

TEST(DesktopTypes, EntriesAndAssociationsFollowTheVerbs)
{
    TempXdg xdg;
    const std::string list = xdg.Config + "/mimeapps.list";
    WriteFileBytes((std::filesystem::create_directories(xdg.Config), list),
        "[Default Applications]\ntext/html=firefox.desktop;\n");
    std::string error;
    for (const TDesktopVerb* verb : {&kEdit, &kNew, &kOpen})
        ASSERT_TRUE(MirrorDesktopVerb(*verb, true, "/usr/bin/kestrima", error)) << error;
    const std::string apps = xdg.Data + "/applications/";
    EXPECT_EQ(ReadFileBytes(apps + "kestrima-htmfile-nuevo.desktop"), DesktopEntryText(kNew, "/usr/bin/kestrima"));
    EXPECT_TRUE(FileExists(apps + "kestrima-htmfile-editar-en-kestrima.desktop"));
    EXPECT_NE(ReadFileBytes(apps + "kestrima-krfile-abrir.desktop").find("--shell-exec \"KRfile\\\\\\\\Abrir\" %f"),
        std::string::npos);
    const std::string package = xdg.Data + "/mime/packages/kestrima-project.xml";
    EXPECT_NE(ReadFileBytes(package).find("<glob pattern=\"*.kr\"/>"), std::string::npos);
    // Where the desktop's tool is installed, the folder's database knows the type.
    const std::string globs = xdg.Data + "/mime/globs2";
    if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
        EXPECT_NE(ReadFileBytes(globs).find("application/x-kestrima-project:*.kr"), std::string::npos);
    }
    EXPECT_EQ(ReadFileBytes(list),
        "[Default Applications]\ntext/html=firefox.desktop;\n"
        "application/x-kestrima-project=kestrima-krfile-abrir.desktop;\n\n"
        "[Added Associations]\n"
        "text/html=kestrima-htmfile-editar-en-kestrima.desktop;kestrima-htmfile-nuevo.desktop;\n"
        "application/x-kestrima-project=kestrima-krfile-abrir.desktop;\n");

    ASSERT_TRUE(MirrorDesktopVerb(kNew, false, "/usr/bin/kestrima", error)) << error;
    EXPECT_FALSE(FileExists(apps + "kestrima-htmfile-nuevo.desktop"));
    ASSERT_TRUE(MirrorDesktopVerb(kOpen, false, "/usr/bin/kestrima", error)) << error;
    EXPECT_FALSE(FileExists(package));
    if (FileExists(globs)) {
        EXPECT_EQ(ReadFileBytes(globs).find("kestrima"), std::string::npos);
    }
    ASSERT_TRUE(MirrorDesktopVerb(kEdit, false, "/usr/bin/kestrima", error)) << error;
    EXPECT_FALSE(FileExists(apps + "kestrima-htmfile-editar-en-kestrima.desktop"));
    // Only our lines went: the user's default for pages stays.
    EXPECT_EQ(ReadFileBytes(list), "[Default Applications]\ntext/html=firefox.desktop;\n\n[Added Associations]\n");
}

TEST(DesktopTypes, AFolderThatCannotBeWrittenIsReported)
{
    TempXdg xdg;
    // A file where the data folder should be.
    WriteFileBytes(xdg.Data, "x");
    std::string error;
    EXPECT_FALSE(MirrorDesktopVerb(kEdit, true, "/usr/bin/kestrima", error));
    EXPECT_FALSE(error.empty());
}
