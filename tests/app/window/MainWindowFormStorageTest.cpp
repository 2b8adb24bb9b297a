// The main window's stored placement and parts: what one run leaves, the next one finds.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <filesystem>

#include "app/panels/SidePanel.h"
#include "app/panels/SidePanelTools.h"
#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "components/StrHlder.h"
#include "components/AppUtils.h"
#include "editor/CodeMemo.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "support/MainWindowDocuments.h"
#include "support/TempRegistry.h"
#include "toolbars/TabCtrls.h"

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

QStringList itemsOf(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

} // namespace

TEST(MainWindowFormStorage, PlacementViewAndHistoriesSurviveARestart)
{
    TempRegistry registry("l70-main");
    QRect placed;
    {
        TformPrincipal first;
        EXPECT_EQ(GetDefaultSection(&first), "TformPrincipal");
        EXPECT_EQ(GetDefaultSection(first.findChild<QWidget*>("pBotones")), "TformPrincipalpBotones");
        EXPECT_EQ(GetDefaultSection(first.findChild<QObject*>("FormStorage")), "TformPrincipal.FormStorage");
        first.show();
        settle();
        ASSERT_TRUE(first.Commands().Action("mVerBarra")->isChecked());
        first.setGeometry(40, 50, 620, 430);
        placed = first.geometry();
        first.CodeMemo()->SetWordWrap(true);
        first.mVerBarraClick();
        ASSERT_FALSE(first.Commands().Action("mVerBarra")->isChecked());
        auto* links = qobject_cast<TStoredComboBox*>(first.Herramientas().cbLinks);
        ASSERT_NE(links, nullptr);
        links->SetItems({"http://uno/", "http://dos/"});
        EXPECT_TRUE(first.close());
    }
    {
        TRegIniFile reg("Software\\Dremal\\Kestrima");
        EXPECT_EQ(reg.ReadInteger("Form", "Visible", -1), 0);
        EXPECT_EQ(reg.ReadString("Form", "CodeMemo_WordWrap", ""), "True");
        EXPECT_EQ(reg.ReadString("Form", "mVerBarra_Checked", ""), "False");
    }
    RegistryStore::Reload();
    {
        TformPrincipal second;
        EXPECT_FALSE(second.CodeMemo()->WordWrap());
        second.show();
        settle();
        EXPECT_EQ(second.geometry(), placed);
        EXPECT_TRUE(second.CodeMemo()->WordWrap());
        EXPECT_FALSE(second.Commands().Action("mVerBarra")->isChecked());
        EXPECT_TRUE(second.Herramientas().PHerramientas->isHidden());
        EXPECT_TRUE(second.Herramientas().PTabs->isHidden());
        EXPECT_EQ(itemsOf(second.Herramientas().cbLinks), (QStringList{"http://uno/", "http://dos/"}));
        EXPECT_EQ(second.ToolPageValues().Links.Items.Count(), 2);
        // Shown again, the tool pages come back.
        second.mVerBarraClick();
        EXPECT_TRUE(second.Commands().Action("mVerBarra")->isChecked());
        EXPECT_FALSE(second.Herramientas().PHerramientas->isHidden());
        second.setGeometry(10, 20, 500, 400);
        // Destroyed without a close.
    }
    EXPECT_EQ(TRegIniFile("Software\\Dremal\\Kestrima").ReadInteger("Form", "Visible", -1), 1);
}

TEST(MainWindowFormStorage, AnOffScreenRectangleComesBackOnScreen)
{
    TempRegistry registry("l70-off");
    {
        TRegIniFile reg("Software\\Dremal\\Kestrima");
        reg.WriteString("Form", "NormPos", "5000,5000,5600,5400");
        reg.WriteInteger("Form", "ShowCmd", 1);
    }
    RegistryStore::Reload();
    TformPrincipal form;
    form.show();
    settle();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().intersects(form.geometry()));
    EXPECT_EQ(form.height(), 400);
    EXPECT_GE(form.width(), 600); // no narrower than the window allows
}

namespace {

// Every control of the tool pages, as a line of its page, name, class, place, text and hint, sorted.
QStringList toolPageControls(TformPrincipal& form)
{
    QStringList lines;
    for (QWidget* control : form.Herramientas().pcSuperior->findChildren<QWidget*>()) {
        if (!qobject_cast<TTabSetSheet*>(control->parentWidget()))
            continue;
        const auto* edit = qobject_cast<const QLineEdit*>(control);
        const auto* combo = qobject_cast<const QComboBox*>(control);
        lines.append(QStringList{control->parentWidget()->objectName(), control->objectName(),
                                 control->metaObject()->className(),
                                 QString::number(control->geometry().x()), QString::number(control->width()),
                                 edit ? edit->text() : QString(), combo ? itemsOf(combo).join(',') : QString(),
                                 control->toolTip()}
                         .join('|'));
    }
    lines.sort();
    return lines;
}

} // namespace

TEST(MainWindowFormStorage, ToolPagesBuiltLateMatchAndKeepTheirStoredHistories)
{
    TempRegistry registry("tool-pages-late");
    QStringList builtAtOnce;
    int firstWidth = 0;
    {
        TformPrincipal first;
        firstWidth = first.width();
        // Only the page shown at start has its controls.
        EXPECT_NE(first.findChild<QWidget*>("sbMarcos"), nullptr);
        EXPECT_EQ(first.findChild<QWidget*>("cbLinks"), nullptr);
        EXPECT_EQ(first.findChild<QWidget*>("cbBGSound"), nullptr);
        EXPECT_EQ(first.findChild<QWidget*>("chListOn"), nullptr);
        EXPECT_EQ(first.findChild<QWidget*>("sbTabla"), nullptr);
        TToolPageControls& c = first.Herramientas();
        // The first width, measured from the rows, is the one the built pages ask for.
        EXPECT_EQ(firstWidth, std::max(800, ToolPagesWidth(c)));
        // Each page but the first (whose repeat tool went to the side panel) as wide as its rows say.
        for (int page = 1; page < static_cast<int>(c.Sheets.size()); ++page)
            EXPECT_EQ(ToolPageRowsWidth(c, page), c.Sheets[static_cast<size_t>(page)]->childrenRect().right() + 2)
                << page;
        first.show();
        settle();
        builtAtOnce = toolPageControls(first);
        qobject_cast<TStoredComboBox*>(c.cbLinks)->SetItems({"http://uno/", "http://dos/"});
        qobject_cast<TStoredComboBox*>(c.cbBGSound)->SetItems({"fondo.mid"});
        EXPECT_TRUE(first.close());
    }
    RegistryStore::Reload();
    {
        // Each page made current in turn, shown: the same controls as built all at once.
        TformPrincipal second;
        EXPECT_EQ(second.width(), firstWidth);
        second.show();
        settle();
        TPageSetControl* pages = second.findChild<TPageSetControl*>("pcSuperior");
        ASSERT_NE(pages, nullptr);
        pages->SetActivePage(static_cast<TTabSetSheet*>(pages->Pages(5)));
        settle();
        // The links page took its stored history when it was built; the sound page is not built.
        const auto* links = second.findChild<QComboBox*>("cbLinks");
        ASSERT_NE(links, nullptr);
        EXPECT_EQ(itemsOf(links), (QStringList{"http://uno/", "http://dos/"}));
        EXPECT_EQ(second.findChild<QWidget*>("cbBGSound"), nullptr);
        EXPECT_TRUE(second.close());
    }
    RegistryStore::Reload();
    {
        TformPrincipal third;
        third.show();
        settle();
        TPageSetControl* pages = third.findChild<TPageSetControl*>("pcSuperior");
        for (int page = pages->PageCount() - 1; page >= 0; --page) {
            pages->SetActivePage(pages->Pages(page));
            settle();
        }
        pages->SetActivePage(pages->Pages(0));
        settle();
        // The sound history, never built in the run before, kept its stored value.
        EXPECT_EQ(itemsOf(third.Herramientas().cbBGSound), QStringList{"fondo.mid"});
        qobject_cast<TStoredComboBox*>(third.Herramientas().cbBGSound)->SetItems({});
        QStringList late = toolPageControls(third);
        late.replaceInStrings("fondo.mid", "");
        late.replaceInStrings("http://uno/,http://dos/", "");
        QStringList once = builtAtOnce;
        once.replaceInStrings("fondo.mid", "");
        EXPECT_EQ(late.join(QChar(10)).toStdString(), once.join(QChar(10)).toStdString());
        EXPECT_TRUE(third.close());
    }
}

TEST(MainWindowFormStorage, LibraryPathsAreStoredAsTheFileSystemSpellsThemAndEarlierOnesReadBack)
{
    TempRegistry registry("n103-libraries");
    TempDir dir("n103-libraries");
    // UTF-8 names, as the desktop writes them: "Librerías/códigos ŝ.cod" and "estilos ŝí.css" (ŝ is
    // not in Windows-1252).
    std::filesystem::create_directory(dir.path / "Librer\xC3\xAD" "as");
    const std::string library = dir.file("Librer\xC3\xAD" "as/c\xC3\xB3" "digos \xC5\x9D.cod", "[*pie*]\r\nx\r\n");
    const std::string sheet = dir.file("estilos \xC5\x9D\xC3\xAD.css", ".a { color: red }\r\n");
    const QString libraryName = QString::fromUtf8("c\xC3\xB3" "digos \xC5\x9D");
    const QString sheetName = QString::fromUtf8("estilos \xC5\x9D\xC3\xAD");
    {
        TformPrincipal first;
        first.show();
        settle();
        openCodeLibraries(first, {library});
        first.SideTools().CargaCSS(sheet);
        // Shown as the characters the names spell.
        EXPECT_EQ(first.SidePanel().cbLibreria->itemText(0), libraryName);
        EXPECT_EQ(first.SidePanel().cbLibreria->toolTip(), QString::fromStdString(library));
        EXPECT_EQ(first.SideTools().eLibreria->text(), sheetName);
        EXPECT_EQ(first.SideTools().eLibreria->toolTip(), QString::fromStdString(sheet));
        EXPECT_TRUE(first.close());
    }
    RegistryStore::Flush();
    // Stored once: the file holds the names' own bytes, marked as names.
    const std::string stored = ReadFileBytes(registry.Folder.path.string() + "/registry.reg");
    for (const std::string& line : {"\"Item0\"=path:\"" + library + "\"\n",
                                    "\"cbLibreria_Hint\"=path:\"" + library + "\"\n",
                                    "\"eLibreria_Hint\"=path:\"" + sheet + "\"\n",
                                    std::string("\"eLibreria_Text\"=path:\"estilos \xC5\x9D\xC3\xAD\"\n"),
                                    std::string("\"Item0\"=path:\"c\xC3\xB3" "digos \xC5\x9D\"\n")})
        EXPECT_NE(stored.find(line), std::string::npos) << line << stored;

    // What earlier versions stored: each byte of the names taken for a Windows-1252 character. The
    // style sheet is not the last one used, so the form's own values stand.
    {
        TRegIniFile reg("Software\\Dremal\\Kestrima");
        reg.WriteString("Form.shLibreriaFiles_Strings", "Item0", library);
        reg.WriteString("Form.cbLibreria_Items", "Item0", "c\xC3\xB3" "digos");
        reg.WriteString("Form", "cbLibreria_Hint", library);
        reg.WriteString("Form", "eLibreria_Hint", sheet);
        reg.WriteString("Form", "eLibreria_Text", "estilos \xC5\x9D\xC3\xAD");
        reg.WriteString("Settings", "LastStyle", "");
    }
    RegistryStore::Reload();
    {
        TformPrincipal second;
        second.show();
        settle();
        TSidePanel& panel = second.SidePanel();
        ASSERT_EQ(panel.shLibreriaFiles->Strings().Count(), 1);
        EXPECT_EQ(panel.shLibreriaFiles->Strings()[0], library);
        EXPECT_EQ(panel.cbLibreria->itemText(0), QString::fromUtf8("c\xC3\xB3" "digos"));
        EXPECT_EQ(panel.LibraryPath(), library);
        EXPECT_EQ(second.SideTools().eLibreria->Path(), sheet);
        EXPECT_EQ(second.SideTools().eLibreria->text(), sheetName);
        EXPECT_TRUE(second.close());
    }
}

TEST(MainWindowFormStorage, LatinOneLibraryNamesKeepTheirBytesInTheStoreAndBack)
{
    TempRegistry registry("latin1-library");
    TempDir dir("latin1-library");
    // Names made on a Latin-1 system ("hoja é.css", "códigos.cod"), bytes no Qt character spells.
    const std::string sheet = dir.file("hoja \xE9.css", ".a { color: red }\r\n");
    dir.file("c\xF3" "digos.cod", "[*pie*]\r\nx\r\n");
    {
        TformPrincipal first;
        first.show();
        settle();
        first.SideTools().CargaCSS(sheet);
        openCodeLibraries(first, {dir.path.string() + "/c\xF3" "digos.cod"});
        EXPECT_TRUE(first.close());
    }
    RegistryStore::Flush();
    // The file spells the byte as its escape.
    const std::string stored = ReadFileBytes(registry.Folder.path.string() + "/registry.reg");
    for (const std::string& line : {"\"eLibreria_Hint\"=path:\"" + dir.path.string() + "/hoja \\xE9.css\"\n",
                                    "\"cbLibreria_Hint\"=path:\"" + dir.path.string() + "/c\\xF3digos.cod\"\n"})
        EXPECT_NE(stored.find(line), std::string::npos) << line << stored;
    // The style sheet is not the last one used: the hint alone gives it back.
    TRegIniFile("Software\\Dremal\\Kestrima").WriteString("Settings", "LastStyle", "");
    RegistryStore::Reload();
    TformPrincipal second;
    second.show();
    settle();
    EXPECT_EQ(second.SideTools().eLibreria->Path(), sheet);
    EXPECT_TRUE(second.close());
}
