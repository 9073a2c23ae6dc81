#include "app/globals.h"

namespace quellbit {

BITMAPFILEHEADER BmpFileHeader;
BITMAPINFOHEADER BmpInfoHeader;
ScanRange ScanBounds;
QString OutFilePath;

} // namespace quellbit
