// The state and character set is shared with the layers that know nothing of the editor; it lives in
// platform/core, and this header keeps the editor's own includes as they are.
#pragma once

#include "platform/core/StateSet.h"
