// Pictures loaded by file extension: GIF through the program's own codec, JPEG through libjpeg, BMP through the platform's reader.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

// A JPEG file's picture; raises EInvalidGraphic when it cannot be decoded.
QImage LoadJpegImage(const std::vector<uint8_t>& bytes, bool* corrupted = nullptr);
// The picture of a ".gif", ".jpg"/".jpeg" or ".bmp" file (extension without case); raises
// EInvalidGraphic for other extensions and for files whose data cannot be read as their type.
QImage LoadPicture(const std::string& fileName);
