// File names where they meet Qt: the one unit where a name changes between the file system's bytes
// and a Qt string, an address, a dropped or chosen file, or a field that shows it.
//
// Everywhere else a name is the file system's bytes; what the editor's text shows of it is
// FilePathText, what a page's text holds FilePathPageText (platform/core/CharacterReferences.h). The
// build's name check (tests/CheckFileNames.cmake) fails when Qt's own path calls or a Windows-1252
// conversion of a name appear outside this unit.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class QAction;
class QFileDialog;
class QLineEdit;
class QMimeData;
class QObject;
class QString;
class QTableWidgetItem;
class QUrl;

// A file name as Qt spells it and back. A byte that spells no UTF-8 character has no Qt character of
// its own: the shown text of such a name does not give the name back (see the kept names below).
QString FromFilePath(std::string_view path);
std::string ToFilePath(const QString& path);
// The file a "file:" address of this machine (no host, or "localhost") names: the bytes its path's
// escapes spell ("%E9" the byte E9; a "%" without two hex digits stands for itself). "" when it names
// no local file: another scheme or machine, a path that is not absolute, or an escaped NUL or "/"
// ("%2F" inside a name would make it the path of another file).
std::string FilePathOfUrl(const QUrl& url);
// The address of an absolute file name, each byte that is not plain ASCII escaped.
QUrl UrlOfFilePath(const std::string& path);
// The local files among the addresses a drag carries, in order.
std::vector<std::string> DroppedFilePaths(const QMimeData* data);
// The files a closed file dialog chose.
std::vector<std::string> SelectedFilePaths(const QFileDialog& dialog);
// Qt's form of a path (any separators) as the file system's native path.
std::string NativeFilePath(const QString& path);
std::string HomeFolderPath();
std::string RootFolderPath();
// The program's current folder, which no dialog changes.
std::string CurrentFolderPath();
// The folder holding `path` (its parent for a folder), as an absolute path; the path itself at the root.
std::string ParentFolderPath(const std::string& path);
bool IsRootFolder(const std::string& path);

// Fields that show a name keep the name's bytes beside the text they show: reading one gives those
// bytes while the text is still what they show, and the text as typed once it was changed. A name
// that is not valid UTF-8 so survives a dialog's OK that did not touch it.
std::string KeptFilePath(const QString& shown, std::string_view kept);
void ShowFilePath(QLineEdit* edit, const std::string& path);
std::string FilePathOf(const QLineEdit* edit);
void ShowFilePath(QTableWidgetItem* item, const std::string& path);
std::string FilePathOf(const QTableWidgetItem* item);
// A menu item whose hint is a program's or a document's path.
void SetPathHint(QAction* item, const std::string& path);
std::string PathHintOf(const QAction* item);
// A text property of an object (a control's hint) that shows a path: the property gets the text the
// path spells, the object keeps the path's bytes beside it, and reading gives them back while the
// property still shows them (a stored form keeps a Latin-1 name so).
void SetPathProperty(QObject* object, const char* property, const std::string& path);
std::string PathPropertyOf(const QObject* object, const char* property);
