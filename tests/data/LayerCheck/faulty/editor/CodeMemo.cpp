// An editor unit that reaches up for the main window, the highlighting and its own options dialog.
#include <QWidget>
#include "app/window/uFormPrincipal.h"
#include "components/PrevPrinter.h"
#include "editor/dialogs/SynElemF.h"
#include "editor/model/Lines.h"
#include "highlight/SynParse.h"
