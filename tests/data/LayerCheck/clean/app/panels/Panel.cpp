// A panel: Qt, every layer, the main window's host and the shared widgets.
#include <QtWidgets/QWidget>
#include "app/host/Commands.h"
#include "app/host/WindowHost.h"
#include "app/widgets/Widget.h"
#include "components/core/StrUtils.h"
