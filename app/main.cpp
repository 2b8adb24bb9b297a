// Program entry: one running copy per user, the splash while the main window is made, then the event loop.
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "app/uFormPrincipal.h"
#include "app/uSplashScreen.h"
#include "editor/SynElemF.h"
#include "highlight/CodeMemoParser.h"
#include "platform/MessageBox.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kestrima");

    // A copy already running is brought to the front; this start's command line goes nowhere.
    TSingleInstance instance("Kestrima");
    if (!instance.Start(WM_ACTIVAINSTANCIA))
        return 0;

    // The parsers stay free of widgets; their settings dialog is the editor's options dialog.
    TCodeMemoParser::SetSettingsDialog([](TCodeMemoParser& parser, TSM_PropEdPages pages) {
        return TOptionsDialog::EditParserSettings(parser, pages);
    });

    std::unique_ptr<TformPrincipal> form;
    try {
        // The splash goes with this block, also when making the window fails.
        TSplashScreen splash;
        splash.show();
        splash.repaint();
        QApplication::processEvents();
        // The application has taken out the arguments meant for Qt itself.
        form = std::make_unique<TformPrincipal>(std::vector<std::string>(argv + 1, argv + argc));
    } catch (...) {
        ShowException(nullptr);
        return 1;
    }
    instance.SetOnMessage([&form](uint32_t message, uint32_t, uint32_t) {
        if (message == WM_ACTIVAINSTANCIA)
            form->WMActivaInstancia();
    });
    form->show();
    return QApplication::exec();
}
