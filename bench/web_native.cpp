// The native core beside the browser page (web_bench.mjs): the time of what
// one Convert in the page runs, the accepted picture scanned into the data
// file's text, here natively. Prints the mean of COUNT conversions in
// microseconds (the picture is decoded before the clock starts).

#include "convert/scan.h"
#include "intake/picture_intake.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    using namespace quellbit;
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: %s PICTURE.bmp COUNT\n", argv[0]);
        return 2;
    }
    const PictureIntake intake = takePicture(argv[1]);
    if (intake.verdict != Verdict::Accepted) {
        std::fprintf(stderr, "%s is not accepted\n", argv[1]);
        return 1;
    }
    const std::int32_t onColor = colorValue(intake.headers.palette0);
    std::size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        bytes += convertToText(intake.raster, onColor).size();
    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    std::printf("%.2f\n", bytes ? took.count() / count : 0.0);
    return 0;
}
