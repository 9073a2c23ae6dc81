// Writes the window icon as PNG files for the desktop entry, in the layout of
// the hicolor icon theme: FOLDER/16x16/apps/quellbit.png is the 16 x 16
// drawing itself, the larger sizes are the same scaled up by whole factors
// (48 by three) without smoothing, so the pixels stay sharp.

#include "app/app_icon.h"

#include <QDir>
#include <QImage>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon FOLDER\n");
        return 2;
    }
    const QImage icon = quellbit::appIconImage();
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 32, 48, 64, 128}) {
        const QString apps = QStringLiteral("%1x%1/apps").arg(size);
        const QImage scaled = icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!folder.mkpath(apps) || !scaled.save(folder.filePath(apps + QStringLiteral("/quellbit.png")), "PNG")) {
            std::fprintf(stderr, "make_icon: cannot write the %d x %d icon\n", size, size);
            return 1;
        }
    }
    return 0;
}
