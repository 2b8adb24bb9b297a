// The size of a picture the platform's image reader understands, for ImgSize.
#include "app/host/ImgSize.h"

#include <QImage>
#include <QImageReader>
#include <QSize>

#include "platform/FileNameQt.h"
#include "platform/core/SysUtils.h"

bool GetPictureSize(const std::string& fileName, int& width, int& height)
{
    QImageReader reader(FromFilePath(fileName));
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
