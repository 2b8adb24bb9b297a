// A parser that reaches the editor's control instead of its model.
#include "editor/CodeMemo.h"
#include "editor/model/Lines.h"
