// The editor control.
#pragma once
#include <QWidget>
#include "editor/model/Lines.h"
#include "platform/Controls.h"
#include "platform/core/Classes.h"
