// An editor unit that reaches up for the main window and the highlighting.
#include <QWidget>
#include "app/window/uFormPrincipal.h"
#include "editor/model/Lines.h"
#include "highlight/SynParse.h"
