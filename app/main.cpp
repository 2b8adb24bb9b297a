// Program entry: creates the application and the main window, opens the files named on the command line, runs the event loop.
#include <QApplication>

#include "app/uFormPrincipal.h"
#include "platform/Classes.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kestrima");
    TformPrincipal form;
    // File names go to the file system as the shell gave them.
    for (int i = 1; i < argc; ++i)
        if (FileExists(argv[i]))
            form.OpenFile(argv[i]);
    form.show();
    return QApplication::exec();
}
