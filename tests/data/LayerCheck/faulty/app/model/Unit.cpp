// A model unit that reaches a widget header of ours, the window and a Qt header.
#include "app/model/Unit.h"
#include "platform/Buttons.h"
#include <string>
#include "app/window/uFormPrincipal.h"
#include <QString>
