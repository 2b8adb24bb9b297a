// A support component that reaches up for the editor and the highlighting.
#include <QWidget>
#include "components/core/StrUtils.h"
#include "editor/CodeMemo.h"
#include "highlight/SynParse.h"
#include "platform/Controls.h"
