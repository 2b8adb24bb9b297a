# Fails when a unit includes anything outside what its folder may use: a header of a folder its row
# does not name (a layer above, a sibling, the tests), a Qt header in a folder that must stay free of
# Qt, or a quoted name that is none of our headers. Every include is read, in quotes or angle brackets.
# Run with -DROOT=<source folder>.
cmake_minimum_required(VERSION 3.25)

# The layers, one row per folder: whether its units may include Qt, and the folders besides its own
# that they may include. A unit, and a header it includes, belong to the most specific row whose folder
# holds them (editor/dialogs/ and editor/model/ have rows of their own). The order is
# platform <- components <- editor <- highlight, toolbars <- app; within app/, model <- host, widgets
# <- dialogs, panels <- window <- main.cpp. "resources" holds the string table's text.
set(layer_table
  # folder          | Qt  | may include
  "resources        | no  |"
  "platform/core    | no  | resources"
  "platform         | yes | platform/core resources"
  "editor/model     | no  | platform/core resources"
  # The control prints through the support components' preview and never opens its own dialogs.
  "editor           | yes | editor/model components components/core platform platform/core resources"
  "editor/dialogs   | yes | editor editor/model platform platform/core resources"
  "highlight        | no  | editor/model platform/core resources"
  "components/core  | no  | platform/core resources"
  # The support components sit below the editor: they show no editor and no highlighting.
  "components       | yes | components/core platform platform/core resources"
  # The toolbars show nothing of the editor either.
  "toolbars         | yes | components components/core platform platform/core resources"
  "app/model        | no  | components/core editor/model platform/core resources"
  # What the dialogs and panels share with the window: its host, the command table, the documents.
  "app/host         | yes | app/model toolbars components components/core highlight editor editor/dialogs editor/model platform platform/core resources"
  # The small widgets the window, the dialogs and the panels all use.
  "app/widgets      | yes | app/model toolbars components components/core highlight editor editor/dialogs editor/model platform platform/core resources"
  # A dialog and a panel never include each other, nor the window that opens them.
  "app/dialogs      | yes | app/host app/widgets app/model toolbars components components/core highlight editor editor/dialogs editor/model platform platform/core resources"
  "app/panels       | yes | app/host app/widgets app/model toolbars components components/core highlight editor editor/dialogs editor/model platform platform/core resources"
  "app/window       | yes | app/dialogs app/panels app/host app/widgets app/model toolbars components components/core highlight editor editor/dialogs editor/model platform platform/core resources"
  # main.cpp, at the top.
  "app              | yes | app/window app/dialogs app/panels app/host app/widgets app/model toolbars components components/core highlight editor editor/dialogs editor/model platform platform/core resources")

set(layers)
foreach(row ${layer_table})
  if(NOT row MATCHES "^([^ |]+) *\\| *(yes|no) *\\|(.*)$")
    message(FATAL_ERROR "Unreadable row of the layer table: ${row}")
  endif()
  set(folder "${CMAKE_MATCH_1}")
  set(qt_${folder} "${CMAKE_MATCH_2}")
  string(STRIP "${CMAKE_MATCH_3}" uses)
  separate_arguments(uses UNIX_COMMAND "${uses}")
  set(uses_${folder} ${folder} ${uses})
  list(APPEND layers ${folder})
endforeach()
# The project's own top folders: a header of one of them is ours even in angle brackets, and one that
# lies in no row (tests/, bench/) is never a unit's to include.
set(own_folders app editor platform highlight components toolbars resources bench tests)

# The row of a path relative to ROOT: the longest row folder that holds it; "" when none does.
function(layer_of path result)
  set(found "")
  set(found_length 0)
  foreach(folder ${layers})
    string(LENGTH "${folder}/" length)
    string(SUBSTRING "${path}" 0 ${length} start)
    if(start STREQUAL "${folder}/" AND length GREATER found_length)
      set(found "${folder}")
      set(found_length ${length})
    endif()
  endforeach()
  set(${result} "${found}" PARENT_SCOPE)
endfunction()

set(offenders)
set(tops)
foreach(folder ${layers})
  string(REGEX REPLACE "/.*" "" top "${folder}")
  list(APPEND tops ${top})
endforeach()
list(REMOVE_DUPLICATES tops)
set(units)
foreach(top ${tops})
  file(GLOB_RECURSE found ${ROOT}/${top}/*.h ${ROOT}/${top}/*.cpp ${ROOT}/${top}/*.inc)
  list(APPEND units ${found})
endforeach()
foreach(unit ${units})
  file(RELATIVE_PATH shown "${ROOT}" "${unit}")
  layer_of("${shown}" folder)
  get_filename_component(unit_dir "${unit}" DIRECTORY)
  file(STRINGS ${unit} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)[>\"]")
      list(APPEND offenders "${shown}: unreadable include: ${line}")
      continue()
    endif()
    set(bracket "${CMAKE_MATCH_1}")
    set(header "${CMAKE_MATCH_2}")
    set(ours "")
    set(bad FALSE)
    if(header MATCHES "^Q[A-Za-z]*$" OR header MATCHES "^Qt[A-Za-z]*/")
      if(NOT qt_${folder} STREQUAL "yes")
        set(bad TRUE)
      endif()
    elseif(header MATCHES "^([A-Za-z_]+)/" AND CMAKE_MATCH_1 IN_LIST own_folders)
      set(ours "${header}")
    elseif(bracket STREQUAL "\"")
      # A quoted name is a header beside the unit (a relative path is judged by where it leads) or none
      # of our units.
      if(EXISTS "${unit_dir}/${header}")
        file(REAL_PATH "${unit_dir}/${header}" resolved)
        file(REAL_PATH "${ROOT}" root)
        file(RELATIVE_PATH ours "${root}" "${resolved}")
      else()
        set(bad TRUE)
      endif()
    endif()
    if(ours)
      layer_of("${ours}" used)
      if(NOT used OR NOT used IN_LIST uses_${folder})
        set(bad TRUE)
      endif()
    endif()
    if(bad)
      list(APPEND offenders "${shown}: ${header}")
    endif()
  endforeach()
endforeach()
if(offenders)
  string(REPLACE ";" "\n" text "${offenders}")
  message(FATAL_ERROR "Includes outside their layer:\n${text}")
endif()
message(STATUS "Every include of ${tops} lies in its layer")
