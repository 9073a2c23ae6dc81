#pragma once

// The decoded picture as the window shows it: a core raster of colour values
// becomes a QImage, one pixel for each, in exactly those colours.

#include "common/raster.h"

#include <QImage>

namespace quellbit {

// A Format_RGB32 image of the raster's size; pixel (x, y) has the colour
// value of raster pixel (x, y), y = 0 the top row.
QImage rasterImage(const Raster &raster);

} // namespace quellbit
