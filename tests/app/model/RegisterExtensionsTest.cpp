// The file types and shell verbs written under HKEY_CLASSES_ROOT.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/model/u_registerextensions.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "support/TempRegistry.h"

namespace {

const std::string kProgram = "/opt/k dir/kestrima";
const std::string kQuoted = "\"/opt/k dir/kestrima\"";

// Every value under the root as "key|value|data" rows, keys depth first in creation order.
void dump(TRegistry& reg, const std::string& key, std::vector<std::string>& rows)
{
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + key));
    TStringList values, keys;
    reg.GetValueNames(values);
    reg.GetKeyNames(keys);
    for (int i = 0; i < values.Count(); ++i)
        rows.push_back(key + "|" + (values[i].empty() ? "default" : values[i]) + "|" + reg.ReadString(values[i]));
    reg.CloseKey();
    for (int i = 0; i < keys.Count(); ++i)
        dump(reg, key.empty() ? keys[i] : key + "\\" + keys[i], rows);
}

std::vector<std::string> tree(HKEY root)
{
    TRegistry reg;
    reg.SetRootKey(root);
    std::vector<std::string> rows;
    dump(reg, "", rows);
    return rows;
}

std::string classesValue(const std::string& key, const std::string& name = "")
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    if (!reg.OpenKeyReadOnly(key))
        return "<missing>";
    return reg.ReadString(name);
}

void writeClasses(const std::string& key, const std::string& value)
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString("", value);
}

const std::vector<std::string> kHtmlTree = {
    ".HTM|default|HTMfile",
    "HTMfile|default|Documento HTML",
    "HTMfile\\DefaultIcon|default|" + kProgram + ",0",
    "HTMfile\\Shell\\Editar en Kestrima\\command|default|" + kQuoted,
    "HTMfile\\Shell\\Editar en Kestrima\\ddeexec|default|[edit(\"%1\")]",
    "HTMfile\\Shell\\Editar en Kestrima\\ddeexec\\ifexec|default|[editex(\"%1\")]",
    "HTMfile\\Shell\\Editar en Kestrima\\ddeexec\\topic|default|system",
    "HTMfile\\Shell\\Nuevo\\command|default|" + kQuoted,
    "HTMfile\\Shell\\Nuevo\\ddeexec|default|[new(\"%1\")]",
    "HTMfile\\Shell\\Nuevo\\ddeexec\\ifexec|default|[newex(\"%1\")]",
    "HTMfile\\Shell\\Nuevo\\ddeexec\\topic|default|system",
};

} // namespace

TEST(RegisterExtensions, BothPageVerbsOnAFreshStoreBuildTheHtmlTypeAndReachTheFile)
{
    TempRegistry store("regext");
    EXPECT_FALSE(ShellVerbRegistered(TShellVerbKind::EditPage));
    EXPECT_EQ(SetShellVerb(TShellVerbKind::EditPage, true, kProgram), "HTMfile");
    EXPECT_EQ(SetShellVerb(TShellVerbKind::NewPage, true, kProgram), "HTMfile");
    EXPECT_TRUE(ShellVerbRegistered(TShellVerbKind::EditPage));
    EXPECT_TRUE(ShellVerbRegistered(TShellVerbKind::NewPage));
    EXPECT_FALSE(ShellVerbRegistered(TShellVerbKind::OpenProject));
    EXPECT_EQ(tree(HKEY_CLASSES_ROOT), kHtmlTree);

    // The store file holds it: a new process reads the same tree.
    const std::string text = ReadFileBytes(RegistryStore::FileName());
    EXPECT_NE(text.find("HTMfile"), std::string::npos);
    RegistryStore::Reload();
    EXPECT_EQ(tree(HKEY_CLASSES_ROOT), kHtmlTree);

    // Registering again changes nothing.
    SetShellVerb(TShellVerbKind::NewPage, true, kProgram);
    EXPECT_EQ(tree(HKEY_CLASSES_ROOT), kHtmlTree);
}

TEST(RegisterExtensions, AnExistingTypeGetsOnlyTheVerbs)
{
    TempRegistry store("regext");
    writeClasses("\\.HTM", "FooFile");
    writeClasses("\\FooFile", "Página de Foo");
    writeClasses("\\FooFile\\Shell\\open\\command", "foo %1");
    writeClasses("\\FooFile\\Shell", "open");
    const std::vector<std::string> before = tree(HKEY_CLASSES_ROOT);
    EXPECT_EQ(SetShellVerb(TShellVerbKind::EditPage, true, kProgram), "FooFile");
    std::vector<std::string> after = tree(HKEY_CLASSES_ROOT);
    std::vector<std::string> expected = before;
    expected.push_back("FooFile\\Shell\\Editar en Kestrima\\command|default|" + kQuoted);
    expected.push_back("FooFile\\Shell\\Editar en Kestrima\\ddeexec|default|[edit(\"%1\")]");
    expected.push_back("FooFile\\Shell\\Editar en Kestrima\\ddeexec\\ifexec|default|[editex(\"%1\")]");
    expected.push_back("FooFile\\Shell\\Editar en Kestrima\\ddeexec\\topic|default|system");
    EXPECT_EQ(after, expected);
    EXPECT_EQ(classesValue("\\HTMfile"), "<missing>");
    // Removing it gives back exactly what was there.
    SetShellVerb(TShellVerbKind::EditPage, false, kProgram);
    EXPECT_EQ(tree(HKEY_CLASSES_ROOT), before);
}

TEST(RegisterExtensions, RemovingAVerbRemovesOnlyItsTreeAndAShellDefaultNamingIt)
{
    TempRegistry store("regext");
    SetShellVerb(TShellVerbKind::EditPage, true, kProgram);
    SetShellVerb(TShellVerbKind::NewPage, true, kProgram);
    writeClasses("\\HTMfile\\Shell", "Nuevo");
    SetShellVerb(TShellVerbKind::NewPage, false, kProgram);
    std::vector<std::string> expected(kHtmlTree.begin(), kHtmlTree.begin() + 7);
    // The emptied "Shell" key stays, without a default value.
    EXPECT_EQ(tree(HKEY_CLASSES_ROOT), expected);
    EXPECT_FALSE(ShellVerbRegistered(TShellVerbKind::NewPage));
    EXPECT_TRUE(ShellVerbRegistered(TShellVerbKind::EditPage));

    // A default naming another verb stays.
    writeClasses("\\HTMfile\\Shell", "open");
    SetShellVerb(TShellVerbKind::EditPage, false, kProgram);
    EXPECT_EQ(classesValue("\\HTMfile\\Shell"), "open");
    EXPECT_EQ(classesValue("\\HTMfile\\Shell\\Editar en Kestrima"), "<missing>");

    // The project verb is the type's default and takes it away with it.
    EXPECT_EQ(SetShellVerb(TShellVerbKind::OpenProject, true, kProgram), "KRfile");
    const std::vector<std::string> project = {
        ".KR|default|KRfile",
        "KRfile|default|Proyecto de Kestrima",
        "KRfile\\DefaultIcon|default|" + kProgram + ",1",
        "KRfile\\Shell|default|Abrir",
        "KRfile\\Shell\\Abrir\\command|default|" + kQuoted,
        "KRfile\\Shell\\Abrir\\ddeexec|default|[openproyect(\"%1\")]",
        "KRfile\\Shell\\Abrir\\ddeexec\\topic|default|system",
    };
    std::vector<std::string> all = tree(HKEY_CLASSES_ROOT);
    std::vector<std::string> kr(all.end() - static_cast<long>(project.size()), all.end());
    EXPECT_EQ(kr, project);
    SetShellVerb(TShellVerbKind::OpenProject, false, kProgram);
    Tregisterext reg;
    EXPECT_FALSE(reg.ActionExists("KR", "Abrir"));
    EXPECT_EQ(classesValue("\\KRfile\\Shell"), "");
    EXPECT_EQ(classesValue("\\KRfile"), "Proyecto de Kestrima");
}

TEST(RegisterExtensions, MissingKeysAnswerEmptyAndFalseWithoutErrors)
{
    TempRegistry store("regext");
    Tregisterext reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CLASSES_ROOT);
    EXPECT_TRUE(reg.LazyWrite());
    EXPECT_EQ(reg.GetFileType("HTM"), "");
    EXPECT_FALSE(reg.ExtensionExists("HTM"));
    EXPECT_FALSE(reg.ActionExists("HTM", "Nuevo"));
    reg.DeleteKeyTree("\\Nada\\Mas");
    reg.DeleteExtension("HTM");
    reg.DeleteAction("HTM", "Nuevo");
    reg.AddAction("HTM", "Nuevo", "", "", "", "[new(\"%1\")]", false, kQuoted);
    EXPECT_TRUE(tree(HKEY_CLASSES_ROOT).empty());
    // An extension whose type is an empty value has none.
    writeClasses("\\.HTM", "");
    EXPECT_EQ(reg.GetFileType("HTM"), "");
    EXPECT_FALSE(reg.ActionExists("HTM", "Nuevo"));
    writeClasses("\\.HTM", "X");
    EXPECT_EQ(reg.GetFileType("htm"), "\\X");
    EXPECT_TRUE(reg.ExtensionExists("HTM"));
    EXPECT_FALSE(reg.ActionExists("HTM", "Nuevo"));
}

TEST(RegisterExtensions, CreateExtensionReplacesTheOldTypeAndDeleteKeyTreeGoesDepthFirst)
{
    TempRegistry store("regext");
    writeClasses("\\.ABC", "OldType");
    writeClasses("\\OldType\\Shell\\a\\b\\c", "deep");
    Tregisterext reg;
    reg.CreateExtension("ABC", "text/x-abc", true, "/i.png,2", "Cosa");
    EXPECT_EQ(tree(HKEY_CLASSES_ROOT), (std::vector<std::string>{
        ".ABC|default|ABCfile",
        ".ABC|Content Type|text/x-abc",
        "ABCfile|default|Cosa",
        "ABCfile|AlwaysShowExt|",
        "ABCfile\\DefaultIcon|default|/i.png,2",
    }));
    reg.AddAction("ABC", "Ver", "Tema", "", "app", "[v()]", false, "cmd");
    EXPECT_EQ(classesValue("\\ABCfile\\Shell\\Ver\\ddeexec\\application"), "app");
    EXPECT_EQ(classesValue("\\ABCfile\\Shell\\Ver\\ddeexec\\topic"), "Tema");
    EXPECT_EQ(classesValue("\\ABCfile\\Shell\\Ver\\ddeexec\\ifexec"), "<missing>");
    // Without a macro only the command is written.
    reg.AddAction("ABC", "Ver", "", "", "", "", false, "cmd2");
    EXPECT_EQ(classesValue("\\ABCfile\\Shell\\Ver\\command"), "cmd2");
    EXPECT_EQ(classesValue("\\ABCfile\\Shell\\Ver\\ddeexec"), "<missing>");
    reg.DeleteExtension("ABC");
    EXPECT_TRUE(tree(HKEY_CLASSES_ROOT).empty());
}

TEST(RegisterExtensions, TheSettingsUnderTheCurrentUserAreUntouched)
{
    TempRegistry store("regext");
    {
        TRegistry user;
        ASSERT_TRUE(user.OpenKey("\\Software\\Kestrima\\Opciones", true));
        user.WriteString("LibraryDir", "/plantillas");
        user.WriteInteger("InitialFile", 2);
        ASSERT_TRUE(user.OpenKey("\\Software\\HTMfile\\Shell", true));
        user.WriteString("", "Nuevo");
    }
    RegistryStore::Flush();
    const std::vector<std::string> before = tree(HKEY_CURRENT_USER);
    ASSERT_EQ(before.size(), 3u);
    for (bool on : {true, false})
        for (TShellVerbKind kind : {TShellVerbKind::EditPage, TShellVerbKind::NewPage, TShellVerbKind::OpenProject}) {
            SetShellVerb(kind, on, kProgram);
            EXPECT_EQ(tree(HKEY_CURRENT_USER), before);
        }
    RegistryStore::Reload();
    EXPECT_EQ(tree(HKEY_CURRENT_USER), before);
}
