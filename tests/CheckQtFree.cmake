# Fails when a unit of a checked folder includes anything outside what that folder may use: a unit of
# a layer it may not use (one above it, a widget folder of ours for a Qt-free one, the editor for the
# toolbars, the main window's header for a dialog or a panel) and, in a Qt-free folder, a Qt header. Every include is read, in quotes or angle brackets.
# Run with -DROOT=<source folder>.
cmake_minimum_required(VERSION 3.25)

# Each folder with the folders its units may include ("resources" holds the string table's text).
set(layer_platform_core platform/core resources)
set(layer_editor_model editor/model platform/core resources)
set(layer_highlight highlight editor/model platform/core resources)
set(layer_components_core components/core platform/core resources)
set(layer_app_model app/model components/core editor/model platform/core resources)
# The toolbars show nothing of the editor: they use the support components and the platform only.
set(layer_toolbars toolbars components platform resources)
# The dialogs and the panels may use every layer and the application's other units, but reach the
# main window only through its host (app/window/WindowHost.h), never through the window's own header.
set(layer_app_dialogs app components toolbars editor highlight platform resources)
set(layer_app_panels app components toolbars editor highlight platform resources)
set(forbidden_app_dialogs app/window/uFormPrincipal.h)
set(forbidden_app_panels app/window/uFormPrincipal.h)
set(folders platform/core editor/model highlight components/core app/model toolbars app/dialogs app/panels)
# The checked folders whose units are widgets and may include Qt.
set(qt_folders toolbars app/dialogs app/panels)
# The project's own top folders: a header of one of them in angle brackets is still ours.
set(own_folders app editor platform highlight components toolbars resources bench tests)

set(offenders)
foreach(folder ${folders})
  string(REPLACE "/" "_" key "${folder}")
  set(allowed ${layer_${key}})
  file(GLOB_RECURSE units ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.inc)
  foreach(unit ${units})
    get_filename_component(unit_dir "${unit}" DIRECTORY)
    file(STRINGS ${unit} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)[>\"]")
        list(APPEND offenders "${unit}: unreadable include: ${line}")
        continue()
      endif()
      set(bracket "${CMAKE_MATCH_1}")
      set(header "${CMAKE_MATCH_2}")
      set(bad FALSE)
      if(header MATCHES "^Q[A-Za-z]*$" OR header MATCHES "^Qt[A-Za-z]*/")
        if(NOT folder IN_LIST qt_folders)
          set(bad TRUE)
        endif()
      elseif(header MATCHES "^([A-Za-z_]+)/")
        # A header of ours, by its top folder: it must lie in a folder this one may use.
        set(top "${CMAKE_MATCH_1}")
        if(top IN_LIST own_folders)
          set(bad TRUE)
          foreach(prefix ${allowed})
            string(LENGTH "${prefix}/" length)
            string(SUBSTRING "${header}" 0 ${length} start)
            if(start STREQUAL "${prefix}/")
              set(bad FALSE)
            endif()
          endforeach()
          # A header of a folder it may use can still be one this folder must not include.
          if(header IN_LIST forbidden_${key})
            set(bad TRUE)
          endif()
        elseif(bracket STREQUAL "\"")
          # A quoted path that names no folder of ours is none of our units.
          set(bad TRUE)
        endif()
      elseif(bracket STREQUAL "\"" AND NOT EXISTS "${unit_dir}/${header}")
        # A header beside the unit is the unit's own; any other bare quoted name is unknown.
        set(bad TRUE)
      endif()
      if(bad)
        file(RELATIVE_PATH shown "${ROOT}" "${unit}")
        list(APPEND offenders "${shown}: ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(offenders)
  string(REPLACE ";" "\n" text "${offenders}")
  message(FATAL_ERROR "Includes outside their layer:\n${text}")
endif()
message(STATUS "Every include of ${folders} lies in its layer")
