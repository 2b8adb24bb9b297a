// The main window: the dialogs and panels it opens and everything they use.
#include "app/window/uFormPrincipal.h"
#include "app/dialogs/Dialog.h"
#include "app/host/Commands.h"
#include "app/panels/Panel.h"
#include "app/widgets/Widget.h"
