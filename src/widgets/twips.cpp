#include "widgets/twips.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quellbit {

namespace {

double dpiX()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double dpiY()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : 96.0;
}

int roundToInt(double value) { return static_cast<int>(std::lround(value)); }

} // namespace

void takeOverScreenScaling()
{
    // A fractional device pixel ratio (1.25 at 120 dots per inch) draws every
    // fourth dot of a picture twice; even a ratio of 2 cannot give a picture
    // box an odd number of device pixels. So the toolkit scales nothing, and
    // the windows follow the resolution themselves.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return;
    bool ok = false;
    const double factor = qgetenv("QT_SCALE_FACTOR").toDouble(&ok);
    qunsetenv("QT_SCALE_FACTOR");
    if (!ok || !std::isfinite(factor) || factor <= 0.0)
        return; // the toolkit ignores such a value as well
    const int base = qEnvironmentVariableIntValue("QT_FONT_DPI");
    const long dpi = std::lround((base > 0 ? base : 96) * std::min(factor, 16.0));
    qputenv("QT_FONT_DPI", QByteArray::number(qlonglong(std::max(dpi, 1L))));
}

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
