#pragma once

// The picture decoders of `prepare`. Each reads the whole file's bytes,
// judges them and hands the picture on row by row; each failure is a
// Failure naming the file and saying exactly why.

#include "prepare/picture_rows.h"

#include <cstdint>
#include <span>
#include <string>

namespace quellbit {

// PNG of every colour type and bit depth, interlaced or not (libpng).
// 16-bit samples are rounded to 8 bits; a palette's or a colour key's
// transparency becomes alpha.
void decodePng(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows);

// Bitmaps of 1, 2, 4, 8, 16, 24 and 32 bits per pixel: uncompressed, bit
// fields (with alpha where the header gives an alpha mask), RLE8 and RLE4,
// bottom-up and top-down; 12-byte core headers and info headers of 40 bytes
// or more.
void decodeBitmap(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows);

// PBM, PGM and PPM, plain (P1-P3) and raw (P4-P6), any maxval up to 65535.
// The first picture of the file.
void decodeNetpbm(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows);

// JPEG (libjpeg): greyscale, colour and CMYK, baseline and progressive,
// turned as its EXIF orientation says.
void decodeJpeg(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows);

// GIF (giflib): frame `frame` (1 the first) as a viewer shows it, the frames
// before it drawn underneath as they ask; what no frame covers is
// transparent.
void decodeGif(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows, int frame);

// WebP (libwebp), lossy or lossless, still or animated (frame `frame`, 1 the
// first, as a viewer shows it).
void decodeWebp(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows, int frame);

// The decoder the bytes call for; `frame` (1 the first) picks a frame of an
// animation, and any other picture has frame 1 only. Anything else is a
// Failure naming what the file seems to be: "a TIFF picture; prepare reads
// PNG, JPEG, GIF, WebP, BMP, PBM, PGM and PPM pictures".
void decodePicture(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows, int frame = 1);

// The kinds of picture decodePicture() reads, for messages.
inline constexpr char kPicturesRead[] = "PNG, JPEG, GIF, WebP, BMP, PBM, PGM and PPM pictures";

} // namespace quellbit
