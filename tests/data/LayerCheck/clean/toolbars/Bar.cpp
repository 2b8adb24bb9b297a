// A toolbar widget: Qt, the support components, the platform and its own folder.
#include "toolbars/Bar.h"
#include <QPainter>
#include <QtWidgets/QWidget>
#include "components/PrevPrinter.h"
#include "components/core/StrUtils.h"
#include "platform/Controls.h"
#include "platform/core/Classes.h"
#include "resources/StringTable.inc"
