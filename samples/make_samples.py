#!/usr/bin/env python3
"""Writes the sample pictures: 240 x 128, 1 bit per pixel, 40-byte info
header, palette black (entry 0) then white (entry 1). Black is the ink, so a
Normal conversion turns the drawn dots into 1 bits.

Run from anywhere: python3 samples/make_samples.py
"""

import os
import struct

WIDTH, HEIGHT = 240, 128
INK, PAPER = 0, 1  # palette indices: black, white

# A 5 x 7 block font, just the letters the pictures need.
FONT = {
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    " ": ["00000"] * 7,
}


def blank():
    return [[PAPER] * WIDTH for _ in range(HEIGHT)]


def fill(pic, x0, y0, w, h, value=INK):
    for y in range(max(y0, 0), min(y0 + h, HEIGHT)):
        for x in range(max(x0, 0), min(x0 + w, WIDTH)):
            pic[y][x] = value


def text(pic, x0, y0, s, scale, gap):
    """Draws `s` with its top-left corner at (x0, y0); returns the width."""
    x = x0
    for ch in s:
        for row, bits in enumerate(FONT[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    fill(pic, x + col * scale, y0 + row * scale, scale, scale)
        x += 5 * scale + gap
    return x - x0 - gap


def text_width(s, scale, gap):
    return len(s) * (5 * scale + gap) - gap


def test_pattern():
    pic = blank()
    # Border two dots wide, a grid every 16 dots, both diagonals.
    fill(pic, 0, 0, WIDTH, 2)
    fill(pic, 0, HEIGHT - 2, WIDTH, 2)
    fill(pic, 0, 0, 2, HEIGHT)
    fill(pic, WIDTH - 2, 0, 2, HEIGHT)
    for x in range(16, WIDTH, 16):
        for y in range(0, HEIGHT, 2):
            pic[y][x] = INK
    for y in range(16, HEIGHT, 16):
        for x in range(0, WIDTH, 2):
            pic[y][x] = INK
    for x in range(WIDTH):
        y = x * (HEIGHT - 1) // (WIDTH - 1)
        pic[y][x] = INK
        pic[HEIGHT - 1 - y][x] = INK
    # Text-like blocks: "lines" of words of different lengths.
    words = [[5, 3, 7, 2], [4, 6, 3], [2, 5, 4, 3]]
    for line, lengths in enumerate(words):
        x = 20
        for n in lengths:
            fill(pic, x, 22 + line * 10, n * 4, 5)
            x += n * 4 + 4
    # Grey steps: every other dot, every fourth dot, solid.
    for i, step in enumerate((4, 2, 1)):
        for y in range(96, 112):
            for x in range(150 + i * 24, 170 + i * 24):
                if (x + y) % step == 0:
                    pic[y][x] = INK
    text(pic, 150, 22, "240X128", 2, 2)
    return pic


def logo():
    pic = blank()
    word, scale, gap = "QUELLBIT", 5, 5
    w = text_width(word, scale, gap)
    x0 = (WIDTH - w) // 2
    text(pic, x0, 24, word, scale, gap)
    fill(pic, x0, 24 + 7 * scale + 8, w, 3)
    sub = "LCD 240X128"
    text(pic, (WIDTH - text_width(sub, 2, 2)) // 2, 90, sub, 2, 2)
    return pic


def checkerboard():
    pic = blank()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if (x // 8 + y // 8) % 2 == 0:
                pic[y][x] = INK
    return pic


def bmp_bytes(pic):
    row_bytes = (WIDTH + 31) // 32 * 4
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])  # blue, green, red, reserved
    off_bits = 14 + 40 + len(palette)
    image_size = row_bytes * HEIGHT
    data = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up: last row first
        row = bytearray(row_bytes)
        for x in range(WIDTH):
            if pic[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    file_header = struct.pack("<2sIHHI", b"BM", off_bits + image_size, 0, 0, off_bits)
    info_header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 1, 0, image_size, 2835, 2835, 2, 2)
    return file_header + info_header + palette + bytes(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, make in (("test_pattern.bmp", test_pattern), ("logo.bmp", logo),
                       ("checkerboard.bmp", checkerboard)):
        with open(os.path.join(here, name), "wb") as f:
            f.write(bmp_bytes(make()))


if __name__ == "__main__":
    main()
