// What the window shares with its parts: the application's model and every layer below.
#include "app/host/WindowHost.h"
#include <QAction>
#include "app/model/Unit.h"
#include "editor/CodeMemo.h"
#include "toolbars/Bar.h"
