# The layer check on two small trees: the clean one passes, the faulty one fails naming exactly its
# offending includes. Run with -DCHECK=<the check's script> -DTREES=<folder of the two trees>.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${TREES}/clean -P ${CHECK}
  RESULT_VARIABLE clean_result OUTPUT_VARIABLE clean_out ERROR_VARIABLE clean_err)
if(NOT clean_result EQUAL 0)
  message(FATAL_ERROR "The clean tree failed the check:\n${clean_out}${clean_err}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${TREES}/faulty -P ${CHECK}
  RESULT_VARIABLE faulty_result OUTPUT_VARIABLE faulty_out ERROR_VARIABLE faulty_err)
if(faulty_result EQUAL 0)
  message(FATAL_ERROR "The faulty tree passed the check")
endif()
set(expected
  "app/model/Unit.cpp: platform/Buttons.h"
  "app/model/Unit.cpp: app/window/uFormPrincipal.h"
  "app/dialogs/Dialog.cpp: app/window/uFormPrincipal.h"
  "app/panels/Panel.h: app/window/uFormPrincipal.h"
  "app/panels/Panel.h: tests/support/TempDir.h"
  "app/model/Unit.cpp: QString"
  "app/model/Unit.h: platform/MessageBox.h"
  "app/model/Unit.h: Missing.h"
  "components/core/Words.cpp: editor/model/StateSet.h"
  "editor/model/Lines.cpp: app/model/KestrimaConfig.h"
  "platform/core/Core.cpp: QtCore/QList"
  "toolbars/Bar.h: editor/CodeMemo.h")
foreach(offender ${expected})
  string(FIND "${faulty_err}" "${offender}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The check did not name \"${offender}\":\n${faulty_err}")
  endif()
endforeach()
foreach(passing "app/model/Unit.h: app/model/Unit.h" "app/model/Unit.cpp: string" "Lines.cpp: editor/model/Lines.h"
        "Words.cpp: platform/core/StateSet.h" "toolbars/Bar.h: QWidget" "Bar.h: components/core/StrUtils.h"
        "Bar.h: platform/Controls.h" "Dialog.cpp: QDialog" "Dialog.cpp: app/window/WindowHost.h"
        "Dialog.cpp: app/model/Unit.h" "Panel.h: QWidget")
  string(FIND "${faulty_err}" "${passing}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "The check named an include of the unit's own layer, \"${passing}\":\n${faulty_err}")
  endif()
endforeach()
string(REGEX MATCHALL "\n[^\n]*: " named "${faulty_err}")
list(LENGTH named count)
list(LENGTH expected wanted)
if(NOT count EQUAL wanted)
  message(FATAL_ERROR "The check named ${count} includes, not ${wanted}:\n${faulty_err}")
endif()
message(STATUS "The layer check passes the clean tree and names the faulty tree's ${wanted} includes")
