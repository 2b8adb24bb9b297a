# Shared by the checks of the sources' conversions: walks the code lines of a tree and reports what a
# check found there.

# Calls the macro `judge` for each line of the units (.h, .cpp, .inc) under ROOT's `folders` that
# matches `regex`, skipping units whose path from ROOT matches `skip`; the macro sees the unit's path
# in `shown` and the line without a trailing comment in `code`, and adds what it refuses to
# `offenders`, which is handed back to the caller (a comment may speak of any call).
function(judge_code_lines folders skip regex judge)
  set(offenders)
  foreach(folder ${folders})
    file(GLOB_RECURSE found ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.inc)
    foreach(unit ${found})
      file(RELATIVE_PATH shown "${ROOT}" "${unit}")
      if(shown MATCHES "${skip}")
        continue()
      endif()
      file(STRINGS ${unit} lines REGEX "${regex}")
      foreach(line ${lines})
        string(REGEX REPLACE "(^|[ \t])//.*$" "" code "${line}")
        string(STRIP "${code}" code)
        if(NOT code STREQUAL "")
          cmake_language(CALL ${judge})
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(offenders "${offenders}" PARENT_SCOPE)
endfunction()

# Fails naming each offender on a line of its own, then `summary`; says `passed` when there is none.
function(report_offenders offenders summary passed)
  if(offenders)
    string(REPLACE ";" "\n" text "${offenders}")
    message(NOTICE "${text}")
    message(FATAL_ERROR "${summary}")
  endif()
  message(STATUS "${passed}")
endfunction()
