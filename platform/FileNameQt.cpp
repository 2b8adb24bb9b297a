// File names where they meet Qt: conversions between the file system's bytes and Qt's strings.
#include "platform/FileNameQt.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTableWidgetItem>
#include <QUrl>
#include <QVariant>

#include "platform/core/CharacterReferences.h"

namespace {

// Where a field keeps the bytes of the name it shows.
constexpr const char* kKeptPathProperty = "keptFilePath";
constexpr int kKeptPathRole = Qt::UserRole + 0x4b50;

QByteArray bytesOf(std::string_view path)
{
    return QByteArray(path.data(), static_cast<qsizetype>(path.size()));
}

std::string keptOf(const QVariant& kept)
{
    return kept.toByteArray().toStdString();
}

// Where an object keeps the bytes of the path one of its properties shows.
QByteArray keptPropertyOf(const char* property)
{
    return QByteArray(kKeptPathProperty) + ':' + property;
}

} // namespace

QString FromFilePath(std::string_view path)
{
    return QFile::decodeName(bytesOf(path));
}

std::string ToFilePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::string FilePathOfUrl(const QUrl& url)
{
    // Only this machine's files: another host's file is not the one of that path here.
    const QString host = url.host();
    if (!url.isLocalFile() || (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0))
        return {};
    // No name holds a NUL, and an escaped "/" would make a name the path of another file: such an
    // address names no file of this machine.
    const std::string encoded = url.path(QUrl::FullyEncoded).toStdString();
    for (const char* escape : {"%00", "%2F", "%2f"})
        if (encoded.find(escape) != std::string::npos)
            return {};
    // The escapes stand for the name's bytes: "%E9" of a Latin-1 name is the byte E9, which no Qt
    // character would give back.
    std::string path = DecodeAddressEscapes(encoded);
    return path.starts_with('/') ? path : std::string();
}

QUrl UrlOfFilePath(const std::string& path)
{
    // Built from the escaped bytes, not from Qt's characters, so that every name has its own address.
    return QUrl::fromEncoded("file://" + bytesOf(path).toPercentEncoding("/"), QUrl::StrictMode);
}

std::vector<std::string> DroppedFilePaths(const QMimeData* data)
{
    std::vector<std::string> files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (std::string file = FilePathOfUrl(url); !file.empty())
                files.push_back(std::move(file));
    return files;
}

std::vector<std::string> SelectedFilePaths(const QFileDialog& dialog)
{
    std::vector<std::string> files;
    for (const QString& file : dialog.selectedFiles())
        files.push_back(ToFilePath(file));
    return files;
}

std::string NativeFilePath(const QString& path)
{
    return ToFilePath(QDir::toNativeSeparators(path));
}

std::string HomeFolderPath()
{
    return NativeFilePath(QDir::homePath());
}

std::string CurrentFolderPath()
{
    return NativeFilePath(QDir::currentPath());
}

std::string RootFolderPath()
{
    return NativeFilePath(QDir::rootPath());
}

std::string ParentFolderPath(const std::string& path)
{
    return NativeFilePath(QFileInfo(FromFilePath(path)).dir().absolutePath());
}

bool IsRootFolder(const std::string& path)
{
    return QDir(FromFilePath(path)).isRoot();
}

std::string KeptFilePath(const QString& shown, std::string_view kept)
{
    return shown == FromFilePath(kept) ? std::string(kept) : ToFilePath(shown);
}

void ShowFilePath(QLineEdit* edit, const std::string& path)
{
    edit->setText(FromFilePath(path));
    edit->setProperty(kKeptPathProperty, bytesOf(path));
}

std::string FilePathOf(const QLineEdit* edit)
{
    return KeptFilePath(edit->text(), keptOf(edit->property(kKeptPathProperty)));
}

void ShowFilePath(QTableWidgetItem* item, const std::string& path)
{
    item->setText(FromFilePath(path));
    item->setData(kKeptPathRole, bytesOf(path));
}

std::string FilePathOf(const QTableWidgetItem* item)
{
    return KeptFilePath(item->text(), keptOf(item->data(kKeptPathRole)));
}

void SetPathHint(QAction* item, const std::string& path)
{
    item->setStatusTip(FromFilePath(path));
    item->setProperty(kKeptPathProperty, bytesOf(path));
}

std::string PathHintOf(const QAction* item)
{
    return KeptFilePath(item->statusTip(), keptOf(item->property(kKeptPathProperty)));
}

void SetPathProperty(QObject* object, const char* property, const std::string& path)
{
    // The bytes first: a control whose setter reads them back finds them already there.
    object->setProperty(keptPropertyOf(property).constData(), bytesOf(path));
    object->setProperty(property, FromFilePath(path));
}

std::string PathPropertyOf(const QObject* object, const char* property)
{
    const QVariant kept = object->property(keptPropertyOf(property).constData());
    return KeptFilePath(object->property(property).toString(), keptOf(kept));
}
