// A dialog: Qt, every layer, the application's model and the main window's host.
#include "app/dialogs/Dialog.h"
#include <QDialog>
#include "app/model/Unit.h"
#include "app/panels/Panel.h"
#include "app/window/WindowHost.h"
#include "editor/CodeMemo.h"
#include "toolbars/Bar.h"
