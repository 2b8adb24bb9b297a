# Fails when a file name is converted by hand outside the unit where names meet Qt
# (platform/FileNameQt.cpp and its header): a Qt path call (an address's local file, a file dialog's
# chosen files, QFile's name coding, the local 8-bit coding, QFileInfo, QDir's paths), or a Windows-1252
# or plain UTF-8 conversion applied to something that names a file. Each offending line is named with its file.
# Run with -DROOT=<source folder>.
cmake_minimum_required(VERSION 3.25)

set(gate "^platform/FileNameQt\\.(h|cpp)$")
set(folders app components editor highlight platform toolbars)
# QDir's flags (QDir::AllDirs, QDir::Filters) name no path; its functions and objects do.
set(qt_path_call "toLocalFile|fromLocalFile|selectedFiles|encodeName|decodeName|fromLocal8Bit|toLocal8Bit|QFileInfo|QDir *\\(|QDir::[a-z]|QDir +[A-Za-z_]")
set(win1252_call "(^|[^A-Za-z0-9_])(To|From)(Win1252|EditorText) *\\(")
# What names a file in the text that follows such a conversion, in the names this code gives it.
set(names_a_file "[Pp]ath|[Ff]ile[Nn]ame|[Ff]older|[Dd]ir([^a-z]|ectory|$)|LocalFile|Ruta|[Pp]rogram")
# A name taken into a Qt string as UTF-8 or Latin-1 text, or a Qt path given back so, by hand.
set(text_call "(^|[^A-Za-z0-9_])(QString::from(StdString|Utf8|Latin1) *\\()")
set(text_of_path "([Pp]ath|[Ff]ile[Nn]ame|[Ff]older|[Dd]irectory|[Pp]rogram)[A-Za-z]*\\(\\)\\.(toStdString|toUtf8|toLatin1)\\(\\)")

include(${CMAKE_CURRENT_LIST_DIR}/CheckSourceLines.cmake)

macro(judge_name_conversion)
  if(code MATCHES "${qt_path_call}" OR code MATCHES "${text_of_path}")
    list(APPEND offenders "${shown}: ${code}")
  elseif(code MATCHES "${text_call}(.*)$" AND CMAKE_MATCH_4 MATCHES "${names_a_file}")
    list(APPEND offenders "${shown}: ${code}")
  elseif(code MATCHES "(${win1252_call})(.*)$")
    # A name already in the editor's or a page's text form went through the gate's conversions.
    string(REGEX REPLACE "FilePath(Page)?Text *\\([^()]*(\\([^()]*\\)[^()]*)*\\)" "" rest "${CMAKE_MATCH_5}")
    if(rest MATCHES "${names_a_file}")
      list(APPEND offenders "${shown}: ${code}")
    endif()
  endif()
endmacro()

judge_code_lines("${folders}" "${gate}" "${qt_path_call}|${win1252_call}|${text_call}|${text_of_path}"
                 judge_name_conversion)
report_offenders("${offenders}" "File names converted outside platform/FileNameQt.cpp (above)"
                 "Every file name of ${folders} meets Qt through platform/FileNameQt.cpp")
