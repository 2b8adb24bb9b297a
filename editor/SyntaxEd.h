// The syntax editor control and its companions: include this to use the editor.
#pragma once

#include "editor/LineStore.h"
#include "editor/EditingCore.h"
