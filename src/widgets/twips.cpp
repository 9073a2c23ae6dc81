#include "widgets/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace quellbit {

namespace {

QScreen *screen()
{
    QScreen *s = QGuiApplication::primaryScreen();
    return s;
}

double dpiX()
{
    const QScreen *s = screen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double dpiY()
{
    const QScreen *s = screen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

int roundToInt(double value) { return static_cast<int>(std::lround(value)); }

} // namespace

double twipsPerPixelX() { return kTwipsPerInch / dpiX(); }
double twipsPerPixelY() { return kTwipsPerInch / dpiY(); }

int twipsToPixelsX(double twips) { return roundToInt(twips / twipsPerPixelX()); }
int twipsToPixelsY(double twips) { return roundToInt(twips / twipsPerPixelY()); }
double pixelsToTwipsX(int pixels) { return pixels * twipsPerPixelX(); }
double pixelsToTwipsY(int pixels) { return pixels * twipsPerPixelY(); }

QRect twipsRect(double left, double top, double width, double height)
{
    return QRect(twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width), twipsToPixelsY(height));
}

void placeInTwips(QWidget *widget, double left, double top, double width, double height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

} // namespace quellbit
