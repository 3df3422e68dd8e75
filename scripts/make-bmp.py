#!/usr/bin/env python3
"""Writes a 24-bit BMP picture of gradients from a colour, for the scripts'
generated galleries: make-bmp.py PATH WIDTH HEIGHT RED GREEN BLUE"""
import struct
import sys


def bmp(path, w, h, colour):
    stride = (w * 3 + 3) & ~3
    rows = b''
    for y in range(h):
        line = bytes(b for x in range(w)
                     for b in ((colour[2] + 2 * x) % 256, (colour[1] + 2 * y) % 256, colour[0]))
        rows += line + b'\0' * (stride - w * 3)
    header = struct.pack('<2sIHHI', b'BM', 54 + len(rows), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, 'wb') as out:
        out.write(header + info + rows)


if __name__ == '__main__':
    path, width, height, red, green, blue = sys.argv[1:7]
    bmp(path, int(width), int(height), (int(red), int(green), int(blue)))
