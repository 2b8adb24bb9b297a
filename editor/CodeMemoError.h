// ECodeMemo: the base of the editor component's own errors.
#pragma once

#include "platform/Exception.h"

class ECodeMemo : public Exception { using Exception::Exception; };
