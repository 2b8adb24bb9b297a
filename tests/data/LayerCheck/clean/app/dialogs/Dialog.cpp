// A dialog: Qt, every layer, the application's model, the main window's host and the shared widgets.
#include "app/dialogs/Dialog.h"
#include <QDialog>
#include "app/host/WindowHost.h"
#include "app/model/Unit.h"
#include "app/widgets/Widget.h"
#include "editor/CodeMemo.h"
#include "highlight/SynParse.h"
#include "toolbars/Bar.h"
