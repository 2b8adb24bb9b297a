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

# Fails unless `output` names every one of `expected`, none of `passing`, and as many lines matching
# `line_regex` as there are expected ones.
function(expect_named_exactly output line_regex expected passing)
  foreach(offender ${expected})
    string(FIND "${output}" "${offender}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "The check did not name \"${offender}\":\n${output}")
    endif()
  endforeach()
  foreach(allowed ${passing})
    string(FIND "${output}" "${allowed}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "The check named something it must pass, \"${allowed}\":\n${output}")
    endif()
  endforeach()
  string(REGEX MATCHALL "${line_regex}" named "\n${output}")
  list(LENGTH named count)
  list(LENGTH expected wanted)
  if(NOT count EQUAL wanted)
    message(FATAL_ERROR "The check named ${count} lines, not ${wanted}:\n${output}")
  endif()
endfunction()
