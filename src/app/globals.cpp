#include "app/globals.h"

namespace quellbit {

BITMAPINFOHEADER BmpInfoHeader;
ScanRange ScanBounds;
QString OutFilePath;

} // namespace quellbit
