// The size of a picture the platform's image reader understands, for ImgSize.
#include "app/host/ImgSize.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool GetPictureSize(const std::string& fileName, int& width, int& height)
{
    // Opened by its bytes: a name that spells no text has no Qt spelling that finds it. The reader
    // then knows the kind of picture from its contents.
    // Not waited on: a named pipe answering to the name would hold the program up; only a regular
    // file is a picture.
    const int handle = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return false;
    struct stat status {};
    QFile file;
    if (fstat(handle, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(handle);
        return false;
    }
    QImageReader reader(&file);
    QSize size = reader.size();
    // Readers that cannot tell the size from the header alone give it once the picture is read.
    if (!size.isValid())
        size = reader.read().size();
    if (size.isEmpty())
        return false;
    width = size.width();
    height = size.height();
    return true;
}
