#!/usr/bin/env python3
"""Draws the program's icon (res/VeltoPrinterDriverSetup.ico, 32x32 and 16x16) and its logo
(res/logo.bmp, 308 x 87, 1 bit per pixel). Standard library only; run again after a change:
    python3 scripts/make-art.py
"""
import os
import struct

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")

# 5 x 7 block letters for the logo.
GLYPHS = {
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "E": ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"],
    "L": ["X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"],
    "T": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
}


def logo_pixels(width=308, height=87):
    """True = black ink."""
    ink = [[False] * width for _ in range(height)]
    # frame, 3 pixels wide, 4 pixels in from the edge
    for y in range(4, height - 4):
        for x in range(4, width - 4):
            if x < 7 or x >= width - 7 or y < 7 or y >= height - 7:
                ink[y][x] = True
    # a receipt with a torn edge on the left
    for y in range(16, 72):
        for x in range(18, 50):
            edge = y >= 66 and ((x - 18) // 4) % 2 == (y - 66) // 3 % 2
            border = x in (18, 49) or y == 16
            lines = y in (26, 34, 42, 50, 58) and 23 <= x <= 44
            if border or lines or edge:
                ink[y][x] = True
    # the word, 7 pixels per cell
    scale, word = 7, "VELTO"
    text_w = len(word) * 6 * scale - scale
    left, top = 62 + (width - 62 - 14 - text_w) // 2, (height - 7 * scale) // 2
    for i, ch in enumerate(word):
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit != "X":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        ink[top + row * scale + dy][left + (i * 6 + col) * scale + dx] = True
    return ink


def write_mono_bmp(path, ink):
    height, width = len(ink), len(ink[0])
    stride = ((width + 31) // 32) * 4
    rows = []
    for y in reversed(range(height)):  # BMP rows run bottom-up
        row = bytearray(stride)
        for x in range(width):
            if not ink[y][x]:  # palette entry 1 = white
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    image = b"".join(rows)
    palette = struct.pack("<4B4B", 0, 0, 0, 0, 255, 255, 255, 0)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(image), 2835, 2835, 2, 2)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + image)


def icon_pixels(size):
    """BGRA rows, top-down: a printer with a sheet of paper."""
    s = size / 32.0
    body, paper, slot, stripe = (60, 60, 60, 255), (255, 255, 255, 255), (20, 20, 20, 255), (160, 100, 0, 255)
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = colour

    rect(8, 2, 24, 14, paper)      # paper above the printer
    rect(2, 12, 30, 28, body)      # body
    rect(6, 15, 26, 17, slot)      # paper slot
    rect(4, 24, 28, 26, stripe)    # blue band (BGRA: blue 160, green 100)
    rect(8, 17, 24, 30, paper)     # receipt coming out
    for y in (20, 23, 26):
        rect(10, y, 22, y + 1, slot)
    return px


def icon_image(size):
    px = icon_pixels(size)
    xor = b"".join(bytes(c for p in row for c in p) for row in reversed(px))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        line = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + bytes(mask)


def write_ico(path, sizes=(32, 16)):
    images = [icon_image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    write_mono_bmp(os.path.join(RES, "logo.bmp"), logo_pixels())
    write_ico(os.path.join(RES, "VeltoPrinterDriverSetup.ico"))
