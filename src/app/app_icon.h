#pragma once

#include <QIcon>
#include <QImage>

namespace quellbit {

// The 16 x 16 window icon of both windows: olive ground, black lines on rows
// 2 and 12, a green band between them carrying "LCD" in black 3 x 5 letters
// on rows 5 to 9.
QImage appIconImage();
QIcon appIcon();

} // namespace quellbit
