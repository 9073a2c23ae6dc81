#include "convert/scan.h"
#include "imaging/bitmap_image.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::puts("quellbit-cli: under construction");
    return 0;
}
