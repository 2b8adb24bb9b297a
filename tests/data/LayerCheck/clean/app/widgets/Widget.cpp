// A shared widget: Qt, the application's model and the layers below.
#include "app/widgets/Widget.h"
#include <QWidget>
#include "app/model/Unit.h"
#include "components/KrCtrls.h"
