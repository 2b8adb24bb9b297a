// The stream primitives are shared with the layers that know nothing of the editor; they live in
// platform/core, and this header keeps the editor's own includes as they are.
#pragma once

#include "platform/core/StreamPrims.h"
