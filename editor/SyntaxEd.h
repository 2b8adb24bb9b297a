// The syntax editor control and its companions: include this to use the editor.
#pragma once

#include "editor/LineStore.h"
#include "editor/EditingCore.h"
#include "editor/EditorErrors.h"
#include "editor/EditorMessages.h"
#include "editor/ParserBase.h"
#include "editor/CodeMemoStrings.h"
#include "editor/CodeMemo.h"
