# Shared by the checks' self-tests: runs a check script on a clean and a faulty tree of test data.
# The clean tree must pass and the faulty one fail; what the faulty run printed goes into `out_var`.
function(run_check_on_trees check trees out_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${trees}/clean -P ${check}
    RESULT_VARIABLE clean_result OUTPUT_VARIABLE clean_out ERROR_VARIABLE clean_err)
  if(NOT clean_result EQUAL 0)
    message(FATAL_ERROR "The clean tree failed the check:\n${clean_out}${clean_err}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${trees}/faulty -P ${check}
    RESULT_VARIABLE faulty_result OUTPUT_VARIABLE faulty_out ERROR_VARIABLE faulty_err)
  if(faulty_result EQUAL 0)
    message(FATAL_ERROR "The faulty tree passed the check")
  endif()
  set(${out_var} "${faulty_err}" PARENT_SCOPE)
endfunction()
