// The syntax editor control and its companions: include this to use the editor.
#pragma once

#include "editor/model/LineStore.h"
#include "editor/model/EditingCore.h"
#include "editor/model/EditorErrors.h"
#include "editor/model/EditorMessages.h"
#include "editor/model/ParserBase.h"
#include "editor/CodeMemoStrings.h"
#include "editor/CodeMemo.h"
