// A support unit that uses only its own folder and the platform's core.
#include "components/core/Words.h"
#include "platform/core/StateSet.h"
#include <string>
