// An editor unit that reaches the main window by a path that starts in the platform and climbs out.
#include <QWidget>
#include "platform/../app/window/uFormPrincipal.h"
#include <platform/core/../../app/host/WindowHost.h>
#include "platform/./Controls.h"
