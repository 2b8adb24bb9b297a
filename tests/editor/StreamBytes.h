// Test helpers: a setting object's stream form as bytes, and loading an object from a prefix of bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/model/Settings.h"

inline std::vector<uint8_t> streamOf(const TSM_Base& object)
{
    TMemoryStream stream;
    object.SaveToStream(stream);
    return stream.Bytes();
}

// Loads from the first `length` bytes only, as a stream cut short would give them.
inline void loadBytes(TSM_Base& object, const std::vector<uint8_t>& bytes, size_t length)
{
    TCustomMemoryStream stream(bytes.data(), static_cast<int64_t>(length));
    object.LoadFromStream(stream);
}
