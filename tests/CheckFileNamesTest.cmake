# The file name check on two small trees: the clean one passes, the faulty one fails naming exactly its
# offending lines, each with its file. Run with -DCHECK=<the check's script> -DTREES=<folder of the two trees>.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/CheckTrees.cmake)
run_check_on_trees(${CHECK} ${TREES} faulty_err)
set(expected
  "editor/Drop.cpp: files->Add(ToWin1252(url.toLocalFile()))"
  "editor/Drop.cpp: QUrl address(const std::string& path) { return QUrl::fromLocalFile(QString::fromUtf8(path.c_str()))"
  "components/Folder.cpp: std::string home() { return QFile::encodeName(QDir::homePath()).toStdString()"
  "components/Folder.cpp: QString shown(const std::string& name) { return QFile::decodeName("
  "components/Folder.cpp: bool root(const QString& path) { return QDir(path).isRoot()"
  "components/Folder.cpp: QString parent(const QString& path) { return QFileInfo(path).absolutePath()"
  "app/dialogs/Options.cpp: edit->setText(FromWin1252(config.LibraryDir + \"/\" + config.ModelFileName))"
  "app/dialogs/Options.cpp: config.Program = dialog.selectedFiles().front()"
  "app/dialogs/Options.cpp: QString library(const Config& config) { return QString::fromStdString(config.LibraryDir)"
  "app/dialogs/Options.cpp: std::string self() { return QCoreApplication::applicationFilePath().toStdString()"
  "toolbars/Bar.cpp: std::string shownName(const std::string& name) { return ToWin1252(QString::fromLocal8Bit(")
foreach(offender ${expected})
  string(FIND "${faulty_err}" "${offender}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The check did not name \"${offender}\":\n${faulty_err}")
  endif()
endforeach()
# Nothing else: the gate's own units and the comments are never named.
foreach(passing "platform/FileNameQt.h:" "// ")
  string(FIND "${faulty_err}" "${passing}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "The check named \"${passing}\":\n${faulty_err}")
  endif()
endforeach()
string(REGEX MATCHALL "\n[a-z]+/[A-Za-z/]+\\.(cpp|h): " named "\n${faulty_err}")
list(LENGTH named count)
list(LENGTH expected wanted)
if(NOT count EQUAL wanted)
  message(FATAL_ERROR "The check named ${count} lines, not ${wanted}:\n${faulty_err}")
endif()
