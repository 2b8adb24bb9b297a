# Fails when the editor's text is converted through the code page outside the units allowed to: the
# Qt conversions of Windows-1252 text (FromWin1252; ToWin1252, which only the tests have), the
# editor's shown form (FromShownText) and a byte or character converted by hand (Win1252ToUnicode,
# CharToWin1252). Everywhere else the text crosses into Qt, a file or another program through
# FromEditorText/ToEditorText (or EditorTextToUtf8 and the file routines of platform/core), which keep
# a held character and never hand out its mark.
# Fails as well on Qt's own conversions of a string that is not a literal in the folders that hold
# the editor's text (app, components, editor, toolbars): QString::fromLatin1, fromLocal8Bit,
# fromStdString, fromUtf8, QLatin1String and a QString made from 8-bit text, and toLatin1,
# toLocal8Bit, toStdString and toUtf8 on the way back. Each reads the editor's Windows-1252 bytes as
# another coding, or drops a held character. A conversion of something that is not the editor's text
# (an object's name, a shortcut, a number, a file name already in Qt's form) says so with the marker
# comment "// Not editor text: <why>" on its line; a QString made from a QChar or made empty converts
# nothing, and a QByteArray's own bytes (toByteArray().toStdString()) are copied as they are.
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
  # A glyph of the editor's font is drawn for one byte of the code page.
  "platform/Fonts.cpp|Win1252ToUnicode"
  # A Windows-1252 document's bytes: each one a file cannot hold is written as its reference.
  "app/model/DocumentBytes.cpp|Win1252ToUnicode")

# Qt's conversions of 8-bit text and back, in the folders that hold the editor's text.
set(qt_folders app components editor toolbars)
set(qt_conversion "(^|[^A-Za-z0-9_])(QString::from(Latin1|Local8Bit|StdString|Utf8)|QLatin1String(View)?|QString) *\\(|(\\.|->)(toLatin1|toLocal8Bit|toStdString|toUtf8) *\\(")
# What may follow a conversion's "(": a string literal (with any prefix), nothing, or a QChar.
set(converts_nothing "^ *((u8|u|U|L)?R?\"|\\)|QChar *[({])")
set(not_editor_text "// Not editor text: [^ ]")
# Units whose Qt conversions are of no editor text, where their line carries no marker; "unit|conversion"
# allows `conversion` ("QLatin1String", ".toStdString"...) in that unit alone.
set(qt_allowed
  # The style sheet editor names its controls and fills its unit lists with ASCII identifiers.
  "app/dialogs/uFormCSS.cpp|QLatin1String" "app/dialogs/uFormCSS.cpp|QString::fromStdString"
  "app/dialogs/uFormCSS.cpp|QString::fromLatin1"
  # A stored property's QChar made a one-character string.
  "components/KrProps.cpp|QString"
  # The registry section of a form's storage, a name the program gives.
  "components/FormPlace.h|QString::fromStdString" "components/FormPlace.h|.toStdString"
  # The character set names of the editor's options, ASCII.
  "editor/dialogs/SynElemFDialog.cpp|QString::fromLatin1")

include(${CMAKE_CURRENT_LIST_DIR}/CheckSourceLines.cmake)

# Names the line at the first match of the regex in the variable `regex` that the macro `match` does
# not exempt and the list `allow_list` does not allow in its unit. `match` reads the match's groups
# ("(" regex ")(.*)$") into `call`, the text after it into `rest`, and sets `exempt` for a match that
# converts nothing. (The regex goes by name: a macro's argument would lose a level of its escapes.)
macro(judge_calls regex match allow_list)
  set(rest "${code}")
  while(rest MATCHES "(${${regex}})(.*)$")
    cmake_language(CALL ${match})
    if(NOT exempt AND NOT "${shown}|${call}" IN_LIST ${allow_list})
      list(APPEND offenders "${shown}: ${code}")
      break()
    endif()
  endwhile()
endmacro()

macro(code_page_match)
  set(call "${CMAKE_MATCH_3}")
  set(rest "${CMAKE_MATCH_4}")
  set(exempt FALSE)
endmacro()

macro(qt_conversion_match)
  set(rest "${CMAKE_MATCH_8}")
  set(exempt FALSE)
  if(CMAKE_MATCH_3)
    set(call "${CMAKE_MATCH_3}")
    if(rest MATCHES "${converts_nothing}")
      set(exempt TRUE)
    endif()
  else()
    set(call ".${CMAKE_MATCH_7}")
    # A QByteArray's bytes are copied as they are.
    if(call STREQUAL ".toStdString" AND code MATCHES "toByteArray\\(\\) *\\.toStdString")
      set(exempt TRUE)
    endif()
  endif()
endmacro()

macro(judge_code_page_call)
  judge_calls(code_page_call code_page_match allowed)
endmacro()

macro(judge_qt_conversion)
  if(NOT line MATCHES "${not_editor_text}")
    judge_calls(qt_conversion qt_conversion_match qt_allowed)
  endif()
endmacro()

# The core routines define the code page and the held characters over it.
judge_code_lines("${folders}" "^platform/core/" "${code_page_call}" judge_code_page_call)
set(all_offenders ${offenders})
judge_code_lines("${qt_folders}" "^$" "${qt_conversion}" judge_qt_conversion)
list(APPEND all_offenders ${offenders})
report_offenders("${all_offenders}"
                 "The editor's text converted through the code page or by Qt outside its gate (above): use FromEditorText/ToEditorText, or mark what is no editor text"
                 "The editor's text of ${folders} crosses into Qt, files and programs through its one gate")
