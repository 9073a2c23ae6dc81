#pragma once

// `prepare`: any picture into a 240 x 128 one-bit bitmap that the window
// and `convert` accept. The picture is decoded (PNG, JPEG, GIF, WebP, BMP,
// PBM, PGM, PPM), scaled onto the canvas in linear light (canvas.h), toned
// to black and white dots (tone.h) and written as a one-bit bitmap whose black dots a Normal
// conversion makes the 1 bits.

#include "prepare/canvas.h"
#include "prepare/tone.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace quellbit {

struct PrepareOptions {
    Sizing sizing = Sizing::Fit;
    std::int32_t cropX = 0; // Sizing::Crop: the picture's pixel at the canvas's top left
    std::int32_t cropY = 0;
    Tone tone = Tone::Threshold;
    int threshold = kDefaultThreshold; // percent, 1 to 100
    bool invert = false;
    int frame = 1; // of an animation, 1 the first
};

struct PreparedPicture {
    std::int32_t sourceWidth = 0;
    std::int32_t sourceHeight = 0;
    Placement placement;
    // 240 x 128 dots, y = 0 the top row: 1 black, 0 white.
    std::vector<std::uint8_t> black;

    std::size_t blackDots() const;
    // The one-bit bitmap file: 40-byte info header, palette black then
    // white, every size filled in.
    std::string bitmap() const;
};

// Decodes the whole file's bytes (`name` for messages) and prepares the
// picture. Throws Failure naming the file when it is no picture prepare
// reads (saying what it seems to be) or cannot be decoded (saying why).
PreparedPicture preparePicture(
    std::span<const std::uint8_t> bytes, const std::string &name, const PrepareOptions &options);

// The same for a picture decoded elsewhere (by a web browser): `decode`
// hands the picture on to the rows it is given, as a decoder does
// (picture_rows.h), calling checkPictureSize() before begin(). `name`
// names the picture when memory runs out.
PreparedPicture prepareDecoded(
    const std::function<void(PictureRows &)> &decode, const PrepareOptions &options, const std::string &name);

// Whether the first bytes of a picture settle prepare: its headers say it is
// larger than prepare takes, which preparePicture then says for them as for
// the whole file (readWholeFile's HeadSettles). `frame` as in the options.
bool prepareSettledBy(std::span<const std::uint8_t> head, int frame);

// One line on what was done:
// "photo.png 1024 x 768 -> fit 171 x 128, Floyd-Steinberg, 38 % black -> photo-lcd.bmp".
std::string describePreparation(const std::string &picture, const PreparedPicture &prepared,
    const PrepareOptions &options, const std::string &output);

// Where prepare writes by default: beside the picture, its name with
// "-lcd.bmp" in place of its extension ("pics/photo.png" -> "pics/photo-lcd.bmp",
// "notes" -> "notes-lcd.bmp", ".hidden" -> ".hidden-lcd.bmp").
std::string preparedPath(const std::string &picturePath);

// The command that makes an acceptable copy of the picture at `picturePath`,
// quoted for a POSIX shell where needed: "quellbit-cli prepare 'my photo.bmp'".
std::string prepareCommand(const std::string &picturePath);

// For `info` on a picture the window refuses, the line that ends its
// report: "make a copy:    quellbit-cli prepare photo.png  (writes
// photo-lcd.bmp, 240 x 128 at 1 bit)\n" when prepare reads the picture in
// `bytes`; empty when it cannot (the report has said why).
std::string prepareSuggestion(std::span<const std::uint8_t> bytes, const std::string &picturePath);

} // namespace quellbit
