// Pictures loaded by file extension: GIF through the program's own codec, JPEG through libjpeg, BMP through the platform's reader.
#include "components/JpegImage.h"

#include <algorithm>

#include "components/JpegDecode.h"
#include "components/KrGIF.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kInvalidImageText = 65230;

} // namespace

QImage LoadJpegImage(const std::vector<uint8_t>& bytes, bool* corrupted)
{
    TJpegPicture picture = DecodeJpeg(bytes.data(), bytes.size());
    if (corrupted)
        *corrupted = picture.Corrupted;
    const TRgbImage& rgb = picture.Image;
    QImage image(rgb.Width, rgb.Height, QImage::Format_RGB888);
    for (int y = 0; y < rgb.Height; ++y)
        std::copy_n(rgb.At(0, y), static_cast<size_t>(rgb.Width) * 3, image.scanLine(y));
    return image;
}

QImage LoadPicture(const std::string& fileName)
{
    std::string extension = AsciiLowerCase(ExtractFileExt(fileName));
    if (extension == ".gif") {
        TGIFImage gif;
        gif.LoadFromFile(fileName);
        QImage bitmap;
        gif.AssignTo(bitmap);
        return bitmap;
    }
    std::string bytes = ReadFileBytes(fileName);
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    if (extension == ".jpg" || extension == ".jpeg")
        return LoadJpegImage(data);
    QImage bitmap;
    if (extension != ".bmp" || !bitmap.loadFromData(data.data(), static_cast<int>(data.size()), "BMP"))
        throw EInvalidGraphic(LoadResString(kInvalidImageText));
    return bitmap;
}
