// An editor dialog: the editor beside it, reached by a relative path, and the platform.
#include "../CodeMemo.h"
#include <QDialog>
#include "editor/model/Lines.h"
#include "platform/Controls.h"
