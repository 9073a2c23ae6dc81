#pragma once

// Lengths in twips (1/1440 inch) and screen pixels at the screen's
// resolution: 15 twips make one pixel at 96 dots per inch, 12 at 120.
//
// The windows are laid out from twips at the screen's resolution and draw
// their pictures one dot per screen pixel, so the toolkit's own scaling is
// turned off: one widget pixel is always one device pixel. A resolution of
// 120 dots per inch (Xft.dpi, or QT_FONT_DPI) makes the window and its fonts
// 1.25 times as large, never the dots of a picture. A scale factor asked of
// the toolkit (QT_SCALE_FACTOR) is taken as a resolution: 2 is 192 dots per
// inch, or twice QT_FONT_DPI where that is set (Xft.dpi is then not read).

#include <QRect>

class QWidget;

namespace quellbit {

inline constexpr int kTwipsPerInch = 1440;

// Call before the application object exists: turns the toolkit's scaling
// off and turns QT_SCALE_FACTOR into QT_FONT_DPI.
void takeOverScreenScaling();

// Twips per pixel across and down (15 at 96 dots per inch).
double twipsPerPixelX();
double twipsPerPixelY();

int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);
double pixelsToTwipsX(int pixels);
double pixelsToTwipsY(int pixels);

// The rectangle in pixels of a place given in twips.
QRect twipsRect(double left, double top, double width, double height);

// Places `widget` at Left/Top in its parent, sized Width x Height, all in
// twips.
void placeInTwips(QWidget *widget, double left, double top, double width, double height);

} // namespace quellbit
