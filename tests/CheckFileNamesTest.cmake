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
# Nothing else: the gate's own units and the comments are never named.
set(passing "platform/FileNameQt.h:" "// ")
expect_named_exactly("${faulty_err}" "\n[a-z]+/[A-Za-z/]+\\.(cpp|h): " "${expected}" "${passing}")
