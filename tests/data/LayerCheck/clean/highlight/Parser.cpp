// The parser: the editor's model and the platform's core.
#include "highlight/Parser.h"
#include "editor/model/Lines.h"
#include "platform/core/Classes.h"
