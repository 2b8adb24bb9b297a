// A shared widget that reaches sideways for the main window's host.
#include <QWidget>
#include "app/host/WindowHost.h"
#include "app/model/Unit.h"
