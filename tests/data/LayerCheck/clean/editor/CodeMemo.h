// The editor control, one of its includes spelled through a folder it may also use.
#pragma once
#include <QWidget>
#include "editor/model/Lines.h"
#include "platform/Controls.h"
#include "platform/core/Classes.h"
#include "platform/core/../Buttons.h"
