#include "app/app_icon.h"

#include <array>

namespace quellbit {

namespace {
// 3 x 5 letters, one string a row, '#' for a black pixel.
using Glyph = std::array<const char *, 5>;
constexpr Glyph kL = {"#..", "#..", "#..", "#..", "###"};
constexpr Glyph kC = {".##", "#..", "#..", "#..", ".##"};
constexpr Glyph kD = {"##.", "#.#", "#.#", "#.#", "##."};
} // namespace

QImage appIconImage()
{
    const QRgb olive = qRgb(176, 176, 0);
    const QRgb green = qRgb(0, 144, 0);
    const QRgb black = qRgb(0, 0, 0);

    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(olive);
    for (int x = 0; x < 16; ++x) {
        icon.setPixel(x, 2, black);
        icon.setPixel(x, 12, black);
        for (int y = 3; y <= 11; ++y)
            icon.setPixel(x, y, green);
    }
    const std::array<const Glyph *, 3> letters = {&kL, &kC, &kD};
    for (int n = 0; n < 3; ++n)
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if ((*letters[n])[row][col] == '#')
                    icon.setPixel(3 + 4 * n + col, 5 + row, black);
    return icon;
}

QIcon appIcon()
{
    return QIcon(QPixmap::fromImage(appIconImage()));
}

} // namespace quellbit
