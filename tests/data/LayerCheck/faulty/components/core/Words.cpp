// A support unit that takes a set from the editor's model instead of the platform.
#include "components/core/Words.h"
#include "editor/model/StateSet.h"
#include "platform/core/StateSet.h"
