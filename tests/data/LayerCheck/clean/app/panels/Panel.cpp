// A panel: Qt, every layer, a dialog it opens and the main window's host.
#include <QtWidgets/QWidget>
#include "app/dialogs/Dialog.h"
#include "app/window/WindowHost.h"
#include "components/core/StrUtils.h"
