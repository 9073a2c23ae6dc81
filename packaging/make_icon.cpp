// Writes the window icon as PNG files for the desktop entry: the 16 x 16
// drawing itself and the same scaled up without smoothing.

#include "app/app_icon.h"

#include <QImage>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icon OUT16.png OUT48.png\n");
        return 2;
    }
    const QImage icon = quellbit::appIconImage();
    const bool ok = icon.save(QString::fromLocal8Bit(argv[1]), "PNG")
        && icon.scaled(48, 48, Qt::IgnoreAspectRatio, Qt::FastTransformation)
               .save(QString::fromLocal8Bit(argv[2]), "PNG");
    return ok ? 0 : 1;
}
