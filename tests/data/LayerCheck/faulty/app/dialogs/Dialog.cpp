// A dialog that reaches for the main window's own header instead of its host, and for a panel.
#include <QDialog>
#include "app/host/WindowHost.h"
#include "app/window/uFormPrincipal.h"
#include "app/panels/Panel.h"
#include "app/model/Unit.h"
