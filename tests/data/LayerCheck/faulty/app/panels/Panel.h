// A panel that includes the main window's header and a header of the tests.
#include <QWidget>
#include "app/window/uFormPrincipal.h"
#include "tests/support/TempDir.h"
