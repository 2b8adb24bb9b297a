// An editor model unit that reaches the application model above it.
#include "app/model/KestrimaConfig.h"
#include "editor/model/Lines.h"
