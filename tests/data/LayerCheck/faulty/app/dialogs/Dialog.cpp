// A dialog that reaches for the main window's own header instead of its host.
#include <QDialog>
#include "app/window/WindowHost.h"
#include "app/window/uFormPrincipal.h"
#include "app/model/Unit.h"
