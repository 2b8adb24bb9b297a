// An editor dialog whose relative path leads into the support components.
#include <QDialog>
#include "../../components/KrCtrls.h"
#include "editor/CodeMemo.h"
