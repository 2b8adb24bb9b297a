// A core unit.
#include "platform/core/Classes.h"
#include <cstdint>
