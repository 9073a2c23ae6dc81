#pragma once

// Program-wide state, alive for the whole run: the info header of the last
// bitmap read, the scan bounds and the path of the current picture's data
// file, as shown and as the bytes the file is opened by.

#include "convert/scan.h"
#include "intake/bitmap_header.h"

#include <QString>

#include <string>

namespace quellbit {

extern BITMAPINFOHEADER BmpInfoHeader;
extern ScanRange ScanBounds;
extern QString OutFilePath;
extern std::string OutFilePathBytes;

} // namespace quellbit
