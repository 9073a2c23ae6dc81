#pragma once

// Windows: the picture decoders that would need a library the system does
// not have read through Windows' own imaging component (WIC) instead, every
// format to RGBA.

#include "prepare/picture_rows.h"

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

namespace quellbit {

// Decodes the first frame of a picture in `container` (GUID_ContainerFormatPng...);
// a failure is Failure(name, "the KIND data cannot be read: " and the reason).
void decodeThroughImaging(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows,
                          const GUID &container, const std::string &kind);

} // namespace quellbit
