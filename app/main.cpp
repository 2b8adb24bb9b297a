// Program entry: creates the application and the main window, which opens the files named on the command line, and runs the event loop.
#include <QApplication>
#include <string>
#include <vector>

#include "app/uFormPrincipal.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kestrima");
    // The application has taken out the arguments meant for Qt itself.
    TformPrincipal form(std::vector<std::string>(argv + 1, argv + argc));
    form.show();
    return QApplication::exec();
}
