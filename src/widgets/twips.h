#pragma once

// Lengths in twips (1/1440 inch) and screen pixels at the screen's logical
// resolution: 15 twips make one pixel at 96 dots per inch.

#include <QRect>

class QWidget;

namespace quellbit {

inline constexpr int kTwipsPerInch = 1440;

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
