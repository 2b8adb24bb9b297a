// The main window's stored placement and parts: what one run leaves, the next one finds.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QScreen>

#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "components/AppUtils.h"
#include "editor/CodeMemo.h"
#include "platform/core/Registry.h"
#include "support/TempRegistry.h"

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
