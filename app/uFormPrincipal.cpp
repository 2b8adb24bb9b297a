// The main window of the program.
#include "app/uFormPrincipal.h"

#include <QMessageBox>

#include "editor/CodeMemo.h"
#include "platform/Win1252.h"

TformPrincipal::TformPrincipal(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("formPrincipal");
    setWindowTitle("Kestrima");
    resize(800, 600);
    FCodeMemo = new TCodeMemo(this);
    FCodeMemo->setObjectName("CodeMemo1");
    setCentralWidget(FCodeMemo);
    FCodeMemo->setFocus();
}

void TformPrincipal::OpenFile(const std::string& fileName)
{
    try {
        FCodeMemo->LoadFromFile(fileName);
    } catch (const Exception& e) {
        QMessageBox::warning(this, windowTitle(), FromWin1252(e.Message()));
    }
}
