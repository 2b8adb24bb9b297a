// Program entry: one running copy per user, the splash while the main window is made, then the event loop.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/model/u_ddemacro.h"
#include "app/window/uFormPrincipal.h"
#include "app/dialogs/uSplashScreen.h"
#include "editor/dialogs/SynElemF.h"
#include "highlight/CodeMemoParser.h"
#include "platform/DialogAltKeys.h"
#include "platform/MessageBox.h"
#include "platform/SingleInstance.h"
#include "platform/Translations.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kNoAnswer = 4902;
// A macro may ask the user a question (saving before a project opens), so its sender waits long.
constexpr int kMacroTimeoutMs = 10 * 60 * 1000;

void printError(const std::string& text)
{
    std::fprintf(stderr, "%s\n", EditorTextToUtf8(text).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kestrima");
    // The platform's dialogs and menus speak Spanish like the rest of the program, whatever the locale.
    TSpanishTranslations spanish;
    // In every dialog Alt with a key is an accelerator or nothing.
    TDialogAltKeys dialogAltKeys;

    // The application has taken out the arguments meant for Qt itself.
    TStartRequest request;
    int error = 0;
    std::string errorArg;
    if (!StartRequestOf(std::vector<std::string>(argv + 1, argv + argc), request, error, errorArg)) {
        printError(FmtLoadStr(error, errorArg.c_str()));
        return 2;
    }

    TSingleInstance instance("Kestrima");
    // Without a folder of the user's own this copy neither hands over nor is found by later starts.
    if (!instance.NoSocketReason().empty())
        printError(instance.NoSocketReason());
    if (!instance.Listen()) {
        int answer = 1;
        if (!request.RunningMacro.empty()) {
            // A desktop verb waits for its macro's result; a plain start ends once its files are taken,
            // whatever the running window is busy with (a copy that knows no such hand-over is waited for).
            const TDdeKind kind = request.WaitForResult ? TDdeKind::Execute : TDdeKind::Post;
            answer = instance.Execute({kind, request.Topic, request.RunningMacro}, kMacroTimeoutMs);
            if (answer == -2 && kind == TDdeKind::Post)
                answer = instance.Execute({TDdeKind::Execute, request.Topic, request.RunningMacro}, kMacroTimeoutMs);
        }
        instance.Send(WM_ACTIVAINSTANCIA);
        if (answer != 1) {
            printError(LoadResString(kNoAnswer));
            return 1;
        }
        return 0;
    }
    instance.ServeDde();

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
        form = std::make_unique<TformPrincipal>(request.Files);
    } catch (...) {
        ShowException(nullptr);
        return 1;
    }
    instance.SetOnMessage([&form](uint32_t message, uint32_t, uint32_t) {
        if (message == WM_ACTIVAINSTANCIA)
            form->WMActivaInstancia();
    });
    // The first show opens the start-up documents; a desktop verb's macro follows it from the queue.
    form->show();
    if (!request.OwnMacro.empty())
        TDdeServer::Instance().Receive({TDdeKind::Execute, request.Topic, request.OwnMacro}, nullptr);
    return QApplication::exec();
}
