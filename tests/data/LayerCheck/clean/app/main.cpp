// The program: the main window and its splash window.
#include <QApplication>
#include "app/dialogs/uSplashScreen.h"
#include "app/window/uFormPrincipal.h"
#include "highlight/CodeMemoParser.h"
