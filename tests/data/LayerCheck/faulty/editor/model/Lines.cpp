// An editor model unit that reaches the application model above it, and the highlighting through the
// platform's core.
#include "app/model/KestrimaConfig.h"
#include "editor/model/Lines.h"
#include "platform/core/../../highlight/SynParse.h"
