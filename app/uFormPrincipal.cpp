// The main window of the program.
#include "app/uFormPrincipal.h"

TformPrincipal::TformPrincipal(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("formPrincipal");
    setWindowTitle("Kestrima");
    resize(800, 600);
}
