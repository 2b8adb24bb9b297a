// The editor unit's exceptions, for every unit that raises or catches them without needing the control.
#pragma once

#include "platform/core/Exception.h"

// Base of the editor's own errors (bad property values, tab stops, parser slots).
class ECodeMemo : public Exception { using Exception::Exception; };
// Saving the text to a stream failed.
class EFileSaveError : public Exception { using Exception::Exception; };
