# The layer check on two small trees: the clean one passes, the faulty one fails naming exactly its
# offending includes, each with its file, and each folder of code that has no row. Run with -DCHECK=<the check's script> -DTREES=<folder of the two trees>.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/CheckTrees.cmake)
run_check_on_trees(${CHECK} ${TREES} faulty_err)
set(expected
  "app/model/Unit.cpp: platform/Buttons.h"
  "app/model/Unit.cpp: app/window/uFormPrincipal.h"
  "app/model/Unit.cpp: QString"
  "app/model/Unit.h: platform/MessageBox.h"
  "app/model/Unit.h: Missing.h"
  # A dialog and a panel reach neither the window nor each other; the shared widgets not the host.
  "app/dialogs/Dialog.cpp: app/window/uFormPrincipal.h"
  "app/dialogs/Dialog.cpp: app/panels/Panel.h"
  "app/panels/Panel.h: app/window/uFormPrincipal.h"
  "app/panels/Panel.h: app/dialogs/Question.h"
  "app/panels/Panel.h: tests/support/TempDir.h"
  "app/widgets/Widget.cpp: app/host/WindowHost.h"
  # The support components sit below the editor and the highlighting.
  "components/PrevPrinter.cpp: editor/CodeMemo.h"
  "components/PrevPrinter.cpp: highlight/SynParse.h"
  "components/core/Words.cpp: editor/model/StateSet.h"
  "editor/CodeMemo.cpp: app/window/uFormPrincipal.h"
  "editor/CodeMemo.cpp: highlight/SynParse.h"
  # The control never opens its own dialogs: they sit above it.
  "editor/CodeMemo.cpp: editor/dialogs/SynElemF.h"
  # A relative path is judged by the folder it leads to.
  "editor/dialogs/Dialog.cpp: ../../components/KrCtrls.h"
  "editor/model/Lines.cpp: app/model/KestrimaConfig.h"
  # A path is judged by the file it leads to, not by the folder it starts in.
  "editor/Glyphs.cpp: platform/../app/window/uFormPrincipal.h (leads to app/window/uFormPrincipal.h)"
  "editor/Glyphs.cpp: platform/core/../../app/host/WindowHost.h (leads to app/host/WindowHost.h)"
  "editor/model/Lines.cpp: platform/core/../../highlight/SynParse.h (leads to highlight/SynParse.h)"
  # A new folder does not take its parent's row: it fails until it has its own, named once.
  "app/extra/: code in a folder with no row of its own"
  "platform/net/: code in a folder with no row of its own"
  "highlight/Parser.cpp: editor/CodeMemo.h"
  "platform/core/Core.cpp: QtCore/QList"
  "toolbars/Bar.h: editor/CodeMemo.h")
set(passing "app/model/Unit.cpp: app/model/Unit.h" "app/model/Unit.cpp: string" "Lines.cpp: editor/model/Lines.h"
        "Words.cpp: platform/core/StateSet.h" "toolbars/Bar.h: QWidget" "Bar.h: components/core/StrUtils.h"
        "Bar.h: platform/Controls.h" "Dialog.cpp: QDialog" "Dialog.cpp: app/host/WindowHost.h"
        "Dialog.cpp: app/model/Unit.h" "Panel.h: QWidget" "Panel.h: app/widgets/Widget.h"
        "Widget.cpp: app/model/Unit.h" "PrevPrinter.cpp: components/core/StrUtils.h"
        "PrevPrinter.cpp: platform/Controls.h" "PrevPrinter.cpp: QWidget" "CodeMemo.cpp: editor/model/Lines.h"
        "CodeMemo.cpp: QWidget" "CodeMemo.cpp: components/PrevPrinter.h" "Dialog.cpp: editor/CodeMemo.h" "Parser.cpp: editor/model/Lines.h"
        "Glyphs.cpp: platform/./Controls.h" "Extra.cpp" "Extra.h" "Net.cpp")
expect_named_exactly("${faulty_err}" "\n[^\n]*: " "${expected}" "${passing}")
list(LENGTH expected wanted)
message(STATUS "The layer check passes the clean tree and names the faulty tree's ${wanted} offenders")
