// The message box that shows an exception a handler raised.
#include "platform/HandlerCall.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "platform/Win1252Qt.h"

void ShowHandlerError(QWidget* owner)
{
    try {
        throw;
    } catch (const std::exception& e) {
        QMessageBox::critical(owner, QApplication::applicationName(), FromWin1252(e.what()));
    } catch (...) {
        // Nothing of the system's throws anything else; a foreign object carries no text to show.
    }
}
