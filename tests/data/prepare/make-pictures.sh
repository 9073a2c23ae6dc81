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

python3 - "$work" <<'PY'
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
