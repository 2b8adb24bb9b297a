// Program entry: creates the application and the main window, which opens the files named on the command line, and runs the event loop.
#include <QApplication>
#include <string>
#include <vector>

#include "app/uFormPrincipal.h"
#include "editor/SynElemF.h"
#include "highlight/CodeMemoParser.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kestrima");
    // The parsers stay free of widgets; their settings dialog is the editor's options dialog.
    TCodeMemoParser::SetSettingsDialog([](TCodeMemoParser& parser, TSM_PropEdPages pages) {
        return TOptionsDialog::EditParserSettings(parser, pages);
    });
    // The application has taken out the arguments meant for Qt itself.
    TformPrincipal form(std::vector<std::string>(argv + 1, argv + argc));
    form.show();
    return QApplication::exec();
}
