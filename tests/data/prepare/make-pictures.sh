#!/usr/bin/env bash
# Makes the small pictures of this folder with common tools: Pillow,
# ImageMagick 6 and netpbm. Every picture shows the same 8 x 4 pattern (X a
# dark pixel, . a light or transparent one):
#
#     XXX....X
#     X...XX..
#     .X.X..X.
#     X....XXX
#
# Dark pixels are dark colours or greys of 10-72, light ones light colours or
# greys of 180-242, each pixel its own value, so that palettes fill up and a
# mixed-up pixel order shows. Where a format holds transparency, the light
# pixels are transparent black instead: composited on white they are white.
# Run it in this folder; it overwrites the pictures.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
only=${1:-}

libraries_only() { [ "$only" = libraries ]; }

libraries_only || python3 - "$work" <<'PY'
import sys
from PIL import Image
work = sys.argv[1]
pattern = ["XXX....X", "X...XX..", ".X.X..X.", "X....XXX"]
def dark(x, y): return pattern[y][x] == "X"
def rgb(x, y):
    i = y * 8 + x
    return ((i * 7) % 60, (i * 13) % 50, 40 + i % 30) if dark(x, y) else (200 + i % 55, 190 + i % 60, 170 + i % 80)
def grey(x, y):
    i = y * 8 + x
    return 10 + 2 * i if dark(x, y) else 180 + 2 * i
def make(mode, value):
    im = Image.new(mode, (8, 4))
    for y in range(4):
        for x in range(8):
            im.putpixel((x, y), value(x, y))
    return im

make("RGB", rgb).save(f"{work}/colour.ppm")
make("L", grey).save(f"{work}/grey.pgm")
make("L", lambda x, y: grey(x, y) if dark(x, y) else 0).save(f"{work}/grey-keyed.pgm")
make("RGB", lambda x, y: rgb(x, y) if dark(x, y) else (0, 0, 0)).save(f"{work}/colour-keyed.ppm")
make("1", lambda x, y: 0 if dark(x, y) else 1).save("png-grey1.png")
make("L", grey).save("png-grey8.png")
make("LA", lambda x, y: (grey(x, y), 255) if dark(x, y) else (0, 0)).save("png-grey-alpha8.png")
make("RGB", rgb).save("png-rgb8.png")
make("RGBA", lambda x, y: rgb(x, y) + (255,) if dark(x, y) else (0, 0, 0, 0)).save("png-rgba8.png")
make("RGBA", lambda x, y: rgb(x, y) + (255,) if dark(x, y) else (0, 0, 0, 0)).save(f"{work}/rgba.png")
# Palettes of 2, 4, 16 and 32 colours, stored in 1, 2, 4 and 8 bits.
for bits, colours in ((1, 2), (2, 4), (4, 16), (8, 32)):
    im = make("RGB", rgb).quantize(colors=colours, method=Image.Quantize.MEDIANCUT)
    im.save(f"png-palette{bits}.png", bits=bits)
im = make("P", lambda x, y: 0 if dark(x, y) else 1)
im.putpalette([30, 20, 60, 0, 0, 0])
im.save("png-palette-trns.png", transparency=1)
make("1", lambda x, y: 0 if dark(x, y) else 1).save("bmp-1-pillow.bmp")
make("RGB", rgb).quantize(colors=32).save("bmp-8-pillow.bmp")
make("L", grey).save("bmp-8-grey-pillow.bmp")
make("RGB", rgb).save("bmp-24-pillow.bmp")
PY
if ! libraries_only; then

# netpbm: plain and raw, other maxvals, PNG of 2, 4 and 16 bits, colour keys,
# interlacing, 4-bit and core-header bitmaps.
pamdepth 3 "$work/grey.pgm" | pnmtopng > png-grey2.png
pamdepth 15 "$work/grey.pgm" | pnmtopng > png-grey4.png
pamdepth 65535 "$work/grey.pgm" | pnmtopng -force > png-grey16.png
pnmtopng -force -transparent=rgb:00/00/00 "$work/grey-keyed.pgm" > png-grey-key.png
pnmtopng -force -transparent=rgb:00/00/00 "$work/colour-keyed.ppm" > png-rgb-key.png
pnmtopng -force -interlace "$work/colour.ppm" > png-interlaced-rgb8.png
pamthreshold -simple -threshold=0.5 "$work/grey.pgm" | pnmtopng -interlace > png-interlaced-grey1.png
pamthreshold -simple -threshold=0.5 "$work/grey.pgm" | pamtopnm > pbm-raw.pbm
pnmtoplainpnm pbm-raw.pbm > pbm-plain.pbm
cp "$work/grey.pgm" pgm-raw.pgm
pnmtoplainpnm pgm-raw.pgm > pgm-plain.pgm
pamdepth 65535 pgm-raw.pgm > pgm-raw16.pgm
cp "$work/colour.ppm" ppm-raw.ppm
pnmtoplainpnm ppm-raw.ppm > ppm-plain.ppm
pamdepth 15 ppm-raw.ppm > ppm-raw-maxval15.ppm
pamdepth 1000 ppm-raw.ppm > ppm-raw-maxval1000.ppm
pnmquant 16 "$work/colour.ppm" 2>/dev/null | ppmtobmp -bpp=4 2>/dev/null > bmp-4-netpbm.bmp
pnmquant 200 "$work/colour.ppm" 2>/dev/null | ppmtobmp -os2 -bpp=8 2>/dev/null > bmp-8-core-netpbm.bmp

# ImageMagick: 16-bit PNG, and the bitmaps it writes: the 108-byte header by
# default, RLE8, 16 bits as 5-5-5, 5-6-5 and 1-5-5-5 with alpha, 32 bits with
# alpha.
convert "$work/grey.pgm" -depth 16 -define png:bit-depth=16 -define png:color-type=0 png-grey16-magick.png
convert "$work/rgba.png" -colorspace Gray -depth 16 -define png:bit-depth=16 -define png:color-type=4 png-grey-alpha16.png
convert "$work/colour.ppm" -depth 16 -define png:bit-depth=16 -define png:color-type=2 png-rgb16.png
convert "$work/rgba.png" -depth 16 -define png:bit-depth=16 -define png:color-type=6 png-rgba16.png
convert pbm-raw.pbm -monochrome BMP:bmp-1-v4-magick.bmp
convert "$work/colour.ppm" -type palette -compress RLE BMP3:bmp-rle8-magick.bmp
convert "$work/colour.ppm" -define bmp:subtype=RGB555 BMP:bmp-16-555-magick.bmp
convert "$work/colour.ppm" -define bmp:subtype=RGB565 BMP:bmp-16-565-magick.bmp
convert "$work/rgba.png" -define bmp:subtype=ARGB1555 BMP:bmp-16-1555-alpha-magick.bmp
convert "$work/rgba.png" BMP:bmp-32-alpha-magick.bmp
fi

# JPEG, GIF and WebP by ImageMagick (one GIF by netpbm), from the pictures above (ppm-raw.ppm is
# the colour pattern, pgm-raw.pgm the grey one, png-rgba8.png the one with
# transparency): this part runs on its own too, with `make-pictures.sh
# libraries`. JPEGs at quality 100 without colour subsampling, so that every
# pixel keeps its side of the threshold.
libraries() {
    convert pgm-raw.pgm -quality 100 jpeg-grey.jpg
    convert ppm-raw.ppm -quality 100 -sampling-factor 1x1 jpeg-rgb.jpg
    convert ppm-raw.ppm -quality 100 -sampling-factor 1x1 -interlace JPEG jpeg-progressive.jpg
    convert ppm-raw.ppm -quality 100 -sampling-factor 1x1 -colorspace CMYK jpeg-cmyk.jpg
    # The pattern stored turned, with the EXIF orientation that turns it
    # back: 6 (a quarter clockwise, as phones write), 3 (half round) and
    # 7 (mirrored along the other diagonal).
    convert ppm-raw.ppm -rotate 270 -quality 100 -sampling-factor 1x1 "$work/turned6.jpg"
    convert ppm-raw.ppm -rotate 180 -quality 100 -sampling-factor 1x1 "$work/turned3.jpg"
    convert ppm-raw.ppm -transverse -quality 100 -sampling-factor 1x1 "$work/turned7.jpg"
    for o in 6 3 7; do with_orientation $o "$work/turned$o.jpg" "jpeg-exif$o.jpg"; done
    convert ppm-raw.ppm gif-palette.gif
    # ImageMagick 6 stores the rows of so small an interlaced GIF in the
    # wrong order (it reads them back scrambled too); netpbm's is right.
    pnmquant 256 ppm-raw.ppm 2>/dev/null | ppmtogif -interlace 2>/dev/null > gif-interlaced.gif
    convert png-rgba8.png gif-transparent.gif
    # Two frames: the pattern, then a 4 x 4 black block over its right half
    # (drawn over the first frame, which stays).
    convert -dispose none ppm-raw.ppm \( -size 4x4 xc:black -repage 8x4+4+0 \) gif-animated.gif
    convert ppm-raw.ppm -define webp:lossless=true webp-lossless.webp
    convert ppm-raw.ppm -quality 95 -define webp:lossless=false webp-lossy.webp
    convert png-rgba8.png -define webp:lossless=true webp-alpha.webp
    convert -dispose none ppm-raw.ppm \( -size 4x4 xc:black -repage 8x4+4+0 \) \
        -define webp:lossless=true webp-animated.webp
    light_chunks
}

# PNGs that say how their values map to light, written byte by byte:
# gAMA 1.0 (linear values: dark 10-39, light 70-99, which an sRGB reading
# would make all dark), and the pattern's sRGB greys with both an sRGB chunk
# and gAMA 1.0 (the sRGB chunk wins, as in browsers).
light_chunks() {
    python3 - <<'PY'
import struct, zlib
pattern = ["XXX....X", "X...XX..", ".X.X..X.", "X....XXX"]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
def grey_png(name, value, extra):
    rows = b"".join(b"\0" + bytes(value(x, y) for x in range(8)) for y in range(4))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 8, 4, 8, 0, 0, 0, 0))
    png += b"".join(chunk(k, d) for k, d in extra)
    png += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
    open(name, "wb").write(png)
dark = lambda x, y: pattern[y][x] == "X"
gamma1 = (b"gAMA", struct.pack(">I", 100000))
grey_png("png-gamma1.png", lambda x, y: (10 if dark(x, y) else 70) + (y * 8 + x) % 30, [gamma1])
grey_png("png-srgb-gamma1.png", lambda x, y: (10 if dark(x, y) else 180) + 2 * (y * 8 + x), [(b"sRGB", b"\0"), gamma1])
PY
}

# JPEG bytes with an APP1 "Exif" segment holding one orientation, put after
# the JFIF segment: with_orientation N IN OUT.
with_orientation() {
    python3 - "$@" <<'PY'
import struct, sys
orientation, source, target = int(sys.argv[1]), sys.argv[2], sys.argv[3]
data = open(source, "rb").read()
tiff = b"MM\0*" + struct.pack(">I", 8) + struct.pack(">H", 1) \
    + struct.pack(">HHIHH", 0x0112, 3, 1, orientation, 0) + struct.pack(">I", 0)
segment = b"Exif\0\0" + tiff
app1 = b"\xFF\xE1" + struct.pack(">H", len(segment) + 2) + segment
at = 2
if data[2:4] == b"\xFF\xE0":
    at = 4 + struct.unpack(">H", data[4:6])[0]
open(target, "wb").write(data[:at] + app1 + data[at:])
PY
}

libraries
