// The main window's side panel tools: the wildcard, style and explorer pages built on the panel, the stored folder and style library at start and close, and the explorer's window commands.
#include "app/panels/SidePanelTools.h"
#include "app/panels/SidePanel.h"
#include "app/window/uFormPrincipal.h"

#include "app/model/KestrimaConfig.h"
#include "app/widgets/uFormPregunta.h"
#include "editor/CodeMemo.h"

void TformPrincipal::CreaHerramientasLaterales()
{
    TSidePanelToolLinks links;
    links.RightButton = [this] { return BotonDerecho == 1; };
    links.TagPress = [this](QWidget* sender, Qt::MouseButton button, TShiftState shift) {
        InsertaTagM(sender, button == Qt::RightButton ? mbRight : mbLeft, shift);
    };
    links.RecordPress = [this](QWidget* sender, Qt::MouseButton button, TShiftState shift) {
        BtnMouseDown(sender, button == Qt::RightButton ? mbRight : mbLeft, shift);
    };
    links.TagCommand = [this](QObject* sender) { InsertaTag(sender); };
    links.FileCode = [this](const std::string& file) { return CodigoDeArchivo(file); };
    links.OpenFile = [this](const std::string& file) { AbreArchivo(file, false, TipoDeArchivo(file)); };
    links.DefaultKind = [this] { return defaultKind(); };
    links.Query = InputQuery;
    links.Values = &FToolPageValues;
    links.LockPainting = [this] { return lockPainting(); };
    FSideTools = new TSidePanelTools(*this, *FSidePanel, std::move(links));
}

void TformPrincipal::startSideTools()
{
    if (!FSideTools || !FFirstShowDone || FSideToolsStarted)
        return;
    FSideToolsStarted = true;
    FSideTools->SetTreeFolder(FConfig->LastTreeDir);
    if (FileExists(FConfig->LastStyle))
        FSideTools->CargaCSS(FConfig->LastStyle);
}

void TformPrincipal::closeSideTools()
{
    // Tools never built leave the stored folder as it was.
    if (!FSideTools)
        return;
    if (const std::string folder = FSideTools->TreeFolder(); folder != "?")
        FConfig->LastTreeDir = folder;
}

void TformPrincipal::mDirActualizaClick()
{
    SideTools().mDirActualizaClick();
}

void TformPrincipal::mInsTxtClick()
{
    SideTools().mInsTxtClick();
}
