// A support component: Qt, its core and the platform.
#include "components/Button.h"
#include <QWidget>
#include "components/core/StrUtils.h"
#include "platform/Controls.h"
