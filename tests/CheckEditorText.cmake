# Fails when the editor's text is converted through the code page outside the units allowed to: the
# Qt conversions of Windows-1252 text (FromWin1252; ToWin1252, which only the tests have), the
# editor's shown form (FromShownText) and a byte or character converted by hand (Win1252ToUnicode,
# CharToWin1252). Everywhere else the text crosses into Qt, a file or another program through
# FromEditorText/ToEditorText (or EditorTextToUtf8 and the file routines of platform/core), which keep
# a held character and never hand out its mark.
# Each offending line is named with its file. Run with -DROOT=<source folder>.
cmake_minimum_required(VERSION 3.25)

set(folders app components editor highlight platform toolbars)
set(code_page_call "(^|[^A-Za-z0-9_])(FromWin1252|ToWin1252|FromShownText|Win1252ToUnicode|CharToWin1252) *\\(")
# Where a code-page conversion is the right one; "unit|call" allows `call` in that unit alone.
set(allowed
  # The gate itself: its conversions and the string table's text.
  "platform/Win1252Qt.h|FromWin1252" "platform/Win1252Qt.h|FromShownText"
  "platform/Win1252Qt.cpp|FromWin1252" "platform/Win1252Qt.cpp|FromShownText"
  # The editor paints and measures its text as the author sees it, one glyph per byte (the mark as
  # "&"), so that columns on the screen are offsets in the line.
  "editor/Painter.cpp|FromShownText" "editor/WordWrap.cpp|FromShownText" "editor/TextMetrics.cpp|FromShownText"
  "editor/CodeMemoPaint.cpp|FromShownText"
  # A typed key: a character Windows-1252 has is typed as its byte, any other one goes in held.
  "editor/CodeMemoQt.cpp|CharToWin1252"
  # The characters of a key press that a list's incremental search and a combo's typing compare with
  # their Windows-1252 items.
  "platform/Keys.cpp|CharToWin1252"
  # A glyph of the editor's font is drawn for one byte of the code page.
  "platform/Fonts.cpp|Win1252ToUnicode"
  # A Windows-1252 document's bytes: each one a file cannot hold is written as its reference.
  "app/model/DocumentBytes.cpp|Win1252ToUnicode")

include(${CMAKE_CURRENT_LIST_DIR}/CheckSourceLines.cmake)

macro(judge_code_page_call)
  set(rest "${code}")
  while(rest MATCHES "${code_page_call}(.*)$")
    set(call "${CMAKE_MATCH_2}")
    set(rest "${CMAKE_MATCH_3}")
    if(NOT "${shown}|${call}" IN_LIST allowed)
      list(APPEND offenders "${shown}: ${code}")
      break()
    endif()
  endwhile()
endmacro()

# The core routines define the code page and the held characters over it.
judge_code_lines("${folders}" "^platform/core/" "${code_page_call}" judge_code_page_call)
report_offenders("${offenders}"
                 "The editor's text converted through the code page outside its gate (above): use FromEditorText/ToEditorText"
                 "The editor's text of ${folders} crosses into Qt, files and programs through its one gate")
