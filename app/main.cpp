// Program entry: creates the application and the main window and runs the event loop.
#include <QApplication>

#include "app/uFormPrincipal.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kestrima");
    TformPrincipal form;
    form.show();
    return QApplication::exec();
}
