// ImgSize: the width and height of a picture file, read from its header without decoding it.
#pragma once

#include <cstdint>
#include <string>

class TStream;

// The size of the picture in the file, chosen by its extension (".gif", ".jpg", ".jpeg", ".png"
// from their headers; ".bmp", ".ico", ".wmf", ".emf" through the picture reader). False with 0 x 0
// when the file does not exist, cannot be read or its header does not match; True when a height
// other than 0 was found.
bool GetImageSize(const std::string& fileName, uint16_t& width, uint16_t& height);

// The header readers over a stream at its start. Each leaves 0 x 0 and returns False when the bytes
// are not a header of its kind or end too early.
bool GetGIFSize(TStream& stream, uint16_t& width, uint16_t& height);
bool GetJPEGSize(TStream& stream, uint16_t& width, uint16_t& height);
bool GetPNGSize(TStream& stream, uint16_t& width, uint16_t& height);

// A big-endian 16-bit word from the stream's position; False when fewer than two bytes remain.
bool ReadWordBE(TStream& stream, uint16_t& value);

// The size of a picture the platform's image reader understands; False when it cannot read it.
bool GetPictureSize(const std::string& fileName, int& width, int& height);
