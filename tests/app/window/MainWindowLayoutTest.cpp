// Tests of the main window's panel tree: built once, with the places that later panels fill, and the View toggles that leave an empty place alone.
#include <gtest/gtest.h>

#include <QAction>
#include <QSplitter>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "components/KrCtrls.h"
#include "toolbars/SpeedBar.h"
#include "editor/CodeMemo.h"
#include "support/MainWindowDocuments.h"

namespace {

std::string nameOf(QWidget* widget)
{
    return widget ? widget->objectName().toStdString() : std::string("(none)");
}

std::string parentOf(QWidget* widget)
{
    return nameOf(widget ? widget->parentWidget() : nullptr);
}

} // namespace

TEST(MainWindowLayout, ThePanelTreeHasAPlaceForEveryPanel)
{
    TWindow w;
    TformPrincipal& form = w.form;
    const TformPrincipal::TPlaces& p = form.Places();
    EXPECT_EQ(form.centralWidget(), p.pCentral);
    EXPECT_EQ(nameOf(p.pCentral), "pCentral");
    // The tool pages on top of the middle, then the speed bar, the side panel and the documents.
    EXPECT_EQ(parentOf(form.Herramientas().PHerramientas), "pCentral");
    EXPECT_EQ(p.Top->indexOf(form.Herramientas().PHerramientas), 0);
    EXPECT_EQ(parentOf(p.pBotones), "pPrincipal");
    EXPECT_EQ(parentOf(p.spLateral), "pPrincipal");
    EXPECT_EQ(p.spLateral->widget(0), p.pLateral);
    EXPECT_EQ(p.spLateral->widget(1), p.pEditor);
    EXPECT_EQ(parentOf(form.FileTabs()), "pEditor");
    EXPECT_EQ(p.spAuxiliar->widget(0), form.CodeMemo());
    EXPECT_EQ(p.spAuxiliar->count(), 1);
    EXPECT_EQ(nameOf(p.spAuxiliar), "spAuxiliar");
    // The speed bar has taken its place; the empty side panel is hidden; the strip lies above the
    // editor's splitter.
    EXPECT_EQ(p.pBotones, static_cast<QWidget*>(form.SpeedBar()));
    EXPECT_EQ(nameOf(p.pBotones), "pBotones");
    EXPECT_FALSE(p.pBotones->isHidden());
    EXPECT_TRUE(p.pLateral->isHidden());
    auto* editorLayout = static_cast<QVBoxLayout*>(p.pEditor->layout());
    EXPECT_EQ(editorLayout->indexOf(form.FileTabs()), 0);
    EXPECT_EQ(editorLayout->indexOf(p.spAuxiliar), 1);
}

TEST(MainWindowLayout, TheSidePanelToggleShowsAndHidesTheFilledPanel)
{
    TWindow w;
    TformPrincipal& form = w.form;
    form.mNuevoClick();
    QWidget* place = form.Places().pLateral;
    // The side panel fills its place: the toggle shows and hides it, and the View item follows.
    EXPECT_EQ(form.FilledPanel(TformPrincipal::TViewPanel::SidePanel), place);
    EXPECT_TRUE(place->isHidden());
    form.mVerLateralClick();
    EXPECT_FALSE(place->isHidden());
    EXPECT_TRUE(form.Commands().Action("mVerLateral")->isChecked());
    EXPECT_EQ(form.sbLateral()->Hint(), "Ocultar panel lateral");
    form.mVerLateralClick();
    EXPECT_TRUE(place->isHidden());
    EXPECT_EQ(form.sbLateral()->Hint(), "Mostrar panel lateral");
    // The tool pages were never an empty place.
    EXPECT_EQ(form.FilledPanel(TformPrincipal::TViewPanel::ToolPages), form.Herramientas().PHerramientas);
}
