# The README check on a small tree: it fails naming exactly the folders without a README that need one
# and the missing paths, and none of the folders with one, the folders that need none, or the names that
# exist or are not paths of the tree. Run with -DCHECK=<the check's script> -DTREE=<the tree>.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${TREE} -P ${CHECK}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(result EQUAL 0)
  message(FATAL_ERROR "The tree with missing paths passed the check:\n${out}")
endif()
string(REGEX MATCHALL "[^ \n]*README.md: [^\n]*" named "${err}")
set(expected "README.md: docs/gone.cpp" "README.md: absent.md" "docs/README.md: nowhere/else.h")
list(SORT named)
list(SORT expected)
if(NOT named STREQUAL expected)
  message(FATAL_ERROR "Expected the offenders\n${expected}\nbut the check named\n${named}")
endif()
string(REGEX MATCHALL "no README: [^\n]*" unmapped "${err}")
set(expected_unmapped "no README: app/bare" "no README: editor")
list(SORT unmapped)
if(NOT unmapped STREQUAL expected_unmapped)
  message(FATAL_ERROR "Expected the folders without a README\n${expected_unmapped}\nbut the check named\n${unmapped}")
endif()
