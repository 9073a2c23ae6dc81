#pragma once

// Files a user might pick by mistake or that arrive damaged, each with what
// the program must make of it: converted, rejected by the acceptance test
// (the limits message), or a failure naming the file and the reason. Shared
// by the command-line and the window tests so both front ends answer alike.

#include "support/bmp_writer.h"

#include <QBuffer>
#include <QDir>
#include <QImage>

#include <random>
#include <vector>

namespace testbmp {

enum class Outcome { Converted, Rejected, Failed };

struct HostileCase {
    const char *name;    // row name, reads like the rule
    QByteArray bytes;    // the file's content
    Outcome outcome;
    const char *reason;  // part of the message (empty for Converted and Rejected)
};

inline QByteArray cut(const QByteArray &bytes, int size)
{
    return bytes.left(size);
}

inline QByteArray withField32(QByteArray bytes, int offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

inline QByteArray withField16(QByteArray bytes, int offset, std::uint16_t value)
{
    bytes[offset] = char(value & 0xFF);
    bytes[offset + 1] = char(value >> 8);
    return bytes;
}

inline std::vector<HostileCase> hostileCases()
{
    Layout good;
    good.pixel = [](int x, int y) { return (x + y) % 3 == 0 ? 1 : 0; };
    const QByteArray bmp = build(good);

    Layout onePalette = good;
    onePalette.clrUsed = 1;
    onePalette.palette = {kWhite};
    onePalette.pixel = [](int, int) { return 0; };

    QByteArray png;
    {
        QImage image(240, 128, QImage::Format_Mono);
        image.fill(0);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    QByteArray noise(4096, '\0');
    std::mt19937 generator(20261206);
    for (char &c : noise)
        c = char(generator() & 0xFF);

    const char *shortHeaders = "a bitmap's two headers take 54 bytes";
    const char *shortPalette = "before the end of its two palette entries";
    return {
        {"empty file", QByteArray(), Outcome::Failed, "ends after 0 bytes"},
        {"cut after 1 byte", cut(bmp, 1), Outcome::Failed, shortHeaders},
        {"cut after 13 bytes", cut(bmp, 13), Outcome::Failed, shortHeaders},
        {"cut after the file header (14)", cut(bmp, 14), Outcome::Failed, shortHeaders},
        {"cut one byte short of the info header (53)", cut(bmp, 53), Outcome::Failed, shortHeaders},
        {"cut after the info header (54)", cut(bmp, 54), Outcome::Failed, shortPalette},
        {"cut inside the first palette entry (57)", cut(bmp, 57), Outcome::Failed, shortPalette},
        {"cut inside the second palette entry (61)", cut(bmp, 61), Outcome::Failed, shortPalette},
        {"cut inside the pixel data", cut(bmp, 62 + 64 * 32 + 5), Outcome::Failed, "pixel data ends after row 64 of 128"},
        {"huge dimensions", withField32(withField32(bmp, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF), Outcome::Rejected, ""},
        {"negative dimensions", withField32(withField32(bmp, 18, std::uint32_t(-240)), 22, std::uint32_t(-128)),
         Outcome::Rejected, ""},
        {"bit count 0", withField16(bmp, 28, 0), Outcome::Rejected, ""},
        {"bit count 32767", withField16(bmp, 28, 0x7FFF), Outcome::Rejected, ""},
        {"bit count -1", withField16(bmp, 28, 0xFFFF), Outcome::Rejected, ""},
        {"run-length compression claimed", withField32(bmp, 30, 1), Outcome::Failed, "cannot be decoded"},
        {"bit-field compression claimed", withField32(bmp, 30, 3), Outcome::Failed, "cannot be decoded"},
        {"palette of one entry converts", build(onePalette), Outcome::Converted, ""},
        {"a PNG named .bmp", png, Outcome::Rejected, ""},
        {"random bytes named .bmp", noise, Outcome::Rejected, ""},
    };
}

} // namespace testbmp
