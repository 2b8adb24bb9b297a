// Another unit of it: the folder is named once, whatever its units include.
#include "app/extra/Extra.h"
#include "app/window/uFormPrincipal.h"
