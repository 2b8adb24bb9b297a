# Fails when a unit includes anything outside what its folder may use: a header of a folder its row
# does not name (a layer above, a sibling, the tests), a Qt header in a folder that must stay free of
# Qt, or a quoted name that is none of our headers; and when a folder holds code but has no row of its
# own. Every include is read, in quotes or angle brackets, and judged by the file it leads to: its
# path with every "." and ".." resolved ("platform/../app/x.h" is app/x.h), the way the compiler walks it.
# Run with -DROOT=<source folder>.
cmake_minimum_required(VERSION 3.25)

# The layers, one row per folder: whether its units may include Qt, and the folders besides its own
# that they may include. A unit belongs to the row of its own folder, and a folder of code without one
# fails the check instead of taking its parent's: what a new folder may use is decided when it is made.
# A header it includes belongs to the most specific row whose folder holds it. The order is
# platform <- components <- editor <- highlight, toolbars <- app; within app/, model <- host, widgets
# <- dialogs, panels <- window <- main.cpp. "resources" holds the string table's text.
set(layer_table
  # folder          | Qt  | may include
  "resources        | no  |"
  # The highlighting scripts' shared parts: script text, which includes nothing of ours.
  "resources/scripts | no |"
  "platform/core    | no  | resources"
  "platform         | yes | platform/core resources"
  "editor/model     | no  | platform/core resources"
  # The control prints through the support components' preview and never opens its own dialogs.
  "editor           | yes | editor/model components components/core platform platform/core resources"
  "editor/dialogs   | yes | editor editor/model platform platform/core resources"
  "highlight        | no  | editor/model platform/core resources"
  # The script compiler the build runs: a program over the highlighting.
  "highlight/tools  | no  | highlight editor/model platform/core resources"
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

# Where the include `spelled` leads from the folder `base`, relative to the top of the tree: through
# links where the file is there, else with "." and ".." resolved by the spelling; "../..." when it
# leads out of the tree.
file(REAL_PATH "${ROOT}" root)
function(lead_of base spelled result)
  set(path "${base}/${spelled}")
  if(IS_ABSOLUTE "${spelled}")
    set(path "${spelled}")
  endif()
  if(EXISTS "${path}")
    file(REAL_PATH "${path}" path)
  else()
    cmake_path(NORMAL_PATH path)
  endif()
  file(RELATIVE_PATH relative "${root}" "${path}")
  set(${result} "${relative}" PARENT_SCOPE)
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
list(SORT units)
set(rowless)
foreach(unit ${units})
  file(RELATIVE_PATH shown "${ROOT}" "${unit}")
  get_filename_component(unit_dir "${unit}" DIRECTORY)
  file(RELATIVE_PATH folder "${ROOT}" "${unit_dir}")
  if(NOT folder IN_LIST layers)
    # Named once; its units have no row to be judged by until it gets one.
    if(NOT folder IN_LIST rowless)
      list(APPEND rowless "${folder}")
      list(APPEND offenders "${folder}/: code in a folder with no row of its own")
    endif()
    continue()
  endif()
  file(REAL_PATH "${unit_dir}" unit_dir)
  file(STRINGS ${unit} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)[>\"]")
      list(APPEND offenders "${shown}: unreadable include: ${line}")
      continue()
    endif()
    set(bracket "${CMAKE_MATCH_1}")
    set(header "${CMAKE_MATCH_2}")
    # Read from the top of the tree, where the compiler looks for our headers.
    lead_of("${root}" "${header}" leads)
    set(ours "")
    set(bad FALSE)
    if(leads MATCHES "^Q[A-Za-z]*$" OR leads MATCHES "^Qt[A-Za-z]*/")
      if(NOT qt_${folder} STREQUAL "yes")
        set(bad TRUE)
      endif()
    elseif(leads MATCHES "^([A-Za-z_]+)/" AND CMAKE_MATCH_1 IN_LIST own_folders)
      set(ours "${leads}")
    elseif(bracket STREQUAL "\"")
      # A quoted name is a header beside the unit (a relative path is judged by where it leads) or none
      # of our units.
      if(EXISTS "${unit_dir}/${header}")
        lead_of("${unit_dir}" "${header}" ours)
      else()
        set(bad TRUE)
      endif()
    elseif(leads MATCHES "^\\.\\./")
      # Angle brackets that climb out of the tree lead to nothing a unit may use.
      set(bad TRUE)
    endif()
    if(ours)
      layer_of("${ours}" used)
      if(ours MATCHES "^\\.\\./" OR NOT used OR NOT used IN_LIST uses_${folder})
        set(bad TRUE)
      endif()
    endif()
    if(bad)
      if(ours AND NOT ours STREQUAL header)
        list(APPEND offenders "${shown}: ${header} (leads to ${ours})")
      else()
        list(APPEND offenders "${shown}: ${header}")
      endif()
    endif()
  endforeach()
endforeach()
if(offenders)
  # One offender a line as written: an error message would be wrapped at the width of a terminal.
  string(REPLACE ";" "\n" text "${offenders}")
  list(LENGTH offenders count)
  message("Includes outside their layer, and folders without a row:\n${text}")
  message(FATAL_ERROR "${count} offenders")
endif()
message(STATUS "Every include of ${tops} lies in its layer")
