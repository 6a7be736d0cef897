#!/usr/bin/env python3
"""Decodes the PNG files ColorizePngWriter left in a folder with nothing but zlib and struct, and
compares their pixels with values worked out by hand from the colorizer's formulas."""
import struct
import sys
import zlib

# (red, green, blue, alpha) per pixel, rows top first.
EXPECTED = {
    # Hue 256: R' = (R + G + 1) / 2, G' = (G + B + 1) / 2, B' = (R + B + 1) / 2.
    "hue.png": [[(150, 50, 100, 255), (128, 128, 255, 128), (15, 25, 20, 0)],
                [(2, 3, 2, 7), (255, 255, 255, 255), (0, 0, 0, 1)]],
    # Saturation +255: luminance 124 and 105; distances grow by 255/256, then clamp.
    "saturation.png": [[(175, 117, 77, 200), (255, 96, 0, 50)]],
    # Brightness +50 along the gamma curve: 127 -> 177, 255 stays, 0 -> 1.
    "gamma.png": [[(177, 255, 1, 9)]],
}


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(data, width, height, bpp):
    stride = width * bpp
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, raw = data[pos], bytearray(data[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = raw[i - bpp] if i >= bpp else 0
            up = previous[i]
            upleft = previous[i - bpp] if i >= bpp else 0
            predictor = [0, left, up, (left + up) // 2, paeth(left, up, upleft)][kind]
            raw[i] = (raw[i] + predictor) & 0xFF
        rows.append(raw)
        previous = raw
    return rows


def decode(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG signature"
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        assert zlib.crc32(kind + body) == crc, "bad CRC in " + kind.decode()
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert (depth, colour, interlace) == (8, 6, 0), "expected 8-bit RGBA, not interlaced"
    rows = unfilter(zlib.decompress(idat), width, height, 4)
    return [[tuple(row[4 * x:4 * x + 4]) for x in range(width)] for row in rows]


def main():
    folder = sys.argv[1]
    failures = 0
    for name, expected in EXPECTED.items():
        actual = decode(folder + name)
        if actual != expected:
            failures += 1
            print("%s: expected %s, decoded %s" % (name, expected, actual))
        else:
            print("%s: ok" % name)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
