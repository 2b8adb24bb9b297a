// A toolbar that reaches the editor's control for a kind the platform holds.
#pragma once
#include <QWidget>
#include "editor/CodeMemo.h"
#include "components/core/StrUtils.h"
#include "platform/Controls.h"
