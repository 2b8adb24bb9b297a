// A panel that includes the main window's header, a dialog and a header of the tests.
#include <QWidget>
#include "app/window/uFormPrincipal.h"
#include "app/dialogs/Question.h"
#include "app/widgets/Widget.h"
#include "tests/support/TempDir.h"
