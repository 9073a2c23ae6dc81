#include "app/globals.h"

namespace quellbit {

BITMAPINFOHEADER BmpInfoHeader;
ScanRange ScanBounds;
QString OutFilePath;
std::string OutFilePathBytes;

} // namespace quellbit
