// TBarCtls: the flat edit, the router of the menus dropped down from toolbar buttons, and the flat toolbar button.
#pragma once

#include "toolbars/DropdownList.h"
#include "toolbars/EditKt.h"
#include "toolbars/ToolbarButtonKt.h"
// The tool windows and docks the controls sit in, which the unit has always offered with them.
#include "toolbars/TBarTlwn.h"
