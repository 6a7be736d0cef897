#!/usr/bin/env python3
"""Writes the icon, cursor, bitmap and text inputs of the test fixtures.

Every file is built byte by byte from fixed pixel patterns, so two runs give
identical files.  Only the standard library is used.

Layouts written here:
  BMP file  = BITMAPFILEHEADER (14) + BITMAPINFOHEADER (40) + colour table
              + pixel rows, bottom-up, each padded to 4 bytes.
  ICO/CUR   = ICONDIR (6) + one ICONDIRENTRY (16) per image + images; an
              image is BITMAPINFOHEADER with the height doubled, colour table,
              XOR rows, then the 1-bit AND mask rows (bottom-up, padded to 4).
              In a .cur file the two u16 fields of the directory entry that
              an .ico uses for planes and bit count hold the hot spot x, y.

Usage: make_images.py OUTPUT_FOLDER
"""

import os
import struct
import sys

# ---------------------------------------------------------------- palettes

PAL1 = [(0, 0, 0), (255, 255, 255)]

# The 16 colours of the standard VGA palette, as (r, g, b).
PAL4 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# 6x6x6 colour cube followed by a 40-step grey ramp: 256 entries.
PAL8 = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PAL8 += [(i * 255 // 39,) * 3 for i in range(40)]
assert len(PAL8) == 256


# ---------------------------------------------------------------- pixel data

def row_bytes(width, bpp):
    """Stored length of one pixel row: whole bits rounded up to 4 bytes."""
    return ((width * bpp + 31) // 32) * 4


def pack_rows(width, height, bpp, pixel):
    """Pixel rows bottom-up.  pixel(x, y) gives a palette index for 1/4/8 bpp,
    (r, g, b) for 24 bpp and (r, g, b, a) for 32 bpp; y = 0 is the top row."""
    out = bytearray()
    stride = row_bytes(width, bpp)
    for y in reversed(range(height)):
        row = bytearray()
        if bpp in (1, 4, 8):
            per_byte = 8 // bpp
            for x0 in range(0, width, per_byte):
                byte = 0
                for i in range(per_byte):
                    x = x0 + i
                    value = pixel(x, y) if x < width else 0
                    byte |= value << (8 - bpp * (i + 1))
                row.append(byte)
        elif bpp == 24:
            for x in range(width):
                r, g, b = pixel(x, y)
                row += bytes((b, g, r))
        elif bpp == 32:
            for x in range(width):
                r, g, b, a = pixel(x, y)
                row += bytes((b, g, r, a))
        else:
            raise ValueError(bpp)
        row += bytes(stride - len(row))
        out += row
    return bytes(out)


def pack_mask(width, height, transparent):
    """AND mask rows bottom-up; a set bit marks a transparent pixel."""
    return pack_rows(width, height, 1, lambda x, y: 1 if transparent(x, y) else 0)


def palette_bytes(palette):
    return b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)


def info_header(width, height, bpp, image_size, colours_used=0, ppm=0):
    # BITMAPINFOHEADER: size, width, height, planes, bit count, compression,
    # image size, x/y pixels per metre, colours used, colours important.
    # Icon images carry 0 pixels per metre; the bitmap files say 72 dpi.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0,
                       image_size, ppm, ppm, colours_used, 0)


# ---------------------------------------------------------------- patterns

def radial_alpha(size, x, y):
    """Alpha falling off from the centre: 255 inside, a soft ring, 0 outside."""
    c = (size - 1) / 2.0
    d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5 / (size / 2.0)
    if d <= 0.5:
        return 255
    if d >= 1.0:
        return 0
    return int(round(255 * (1.0 - d) / 0.5))


def rgba_pattern(size, tint):
    """Gradient picture with a radial alpha channel (many distinct alpha values)."""
    tr, tg, tb = tint

    def pixel(x, y):
        r = (x * 255 // (size - 1) + tr) // 2
        g = (y * 255 // (size - 1) + tg) // 2
        b = tb
        return (r, g, b, radial_alpha(size, x, y))
    return pixel


def rgb_pattern(width, height, tint):
    tr, tg, tb = tint

    def pixel(x, y):
        return ((x * 255 // max(width - 1, 1) + tr) // 2,
                (y * 255 // max(height - 1, 1) + tg) // 2, tb)
    return pixel


def corner_clear(size):
    """The four corner pixels are transparent in the AND mask."""
    last = size - 1
    return lambda x, y: x in (0, last) and y in (0, last)


# ---------------------------------------------------------------- images

def dib_image(size, bpp, pixel, mask):
    """One icon/cursor image: header with doubled height, palette, XOR, AND."""
    palette = {1: PAL1, 4: PAL4, 8: PAL8}.get(bpp, [])
    xor = pack_rows(size, size, bpp, pixel)
    and_mask = pack_mask(size, size, mask)
    return (info_header(size, size * 2, bpp, len(xor) + len(and_mask))
            + palette_bytes(palette) + xor + and_mask)


def icon_image(size, bpp):
    """The test picture at a given size and depth."""
    if bpp == 1:
        # 4x4 checkerboard cells.
        return dib_image(size, 1, lambda x, y: ((x // 4) + (y // 4)) & 1, corner_clear(size))
    if bpp == 4:
        return dib_image(size, 4, lambda x, y: (x + y) % 16, corner_clear(size))
    if bpp == 8:
        return dib_image(size, 8, lambda x, y: (y * size + x) % 256, corner_clear(size))
    if bpp == 24:
        return dib_image(size, 24, rgb_pattern(size, size, (255, 0, 0)), corner_clear(size))
    if bpp == 32:
        pixel = rgba_pattern(size, (0, 0, 255))
        return dib_image(size, 32, pixel, lambda x, y: pixel(x, y)[3] == 0)
    raise ValueError(bpp)


def colour_count(bpp):
    return {1: 2, 4: 16}.get(bpp, 0)


def icon_file(images, cursor=False):
    """images: list of (size, bpp, image bytes, hot spot or None)."""
    header = struct.pack("<HHH", 0, 2 if cursor else 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, bpp, data, hotspot in images:
        w = size if size < 256 else 0
        if cursor:
            f1, f2 = hotspot
        else:
            f1, f2 = 1, bpp  # planes, bit count
        entries += struct.pack("<BBBBHHII", w, w, colour_count(bpp), 0, f1, f2, len(data), offset)
        offset += len(data)
    return header + entries + b"".join(img[2] for img in images)


def bmp_file(width, height, bpp, pixel, palette=None, colours_used=0):
    if palette is None:
        palette = {1: PAL1, 4: PAL4, 8: PAL8}.get(bpp, [])
    if colours_used:
        palette = palette[:colours_used]
    pixels = pack_rows(width, height, bpp, pixel)
    info = info_header(width, height, bpp, len(pixels), colours_used, ppm=2835)
    table = palette_bytes(palette)
    off = 14 + len(info) + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", off + len(pixels), 0, 0, off)
    return file_header + info + table + pixels


def magenta_border(width, height, inner):
    """Key-colour (magenta) frame around an inner picture."""
    def pixel(x, y):
        if x == 0 or y == 0 or x == width - 1 or y == height - 1:
            return (255, 0, 255)
        return inner(x, y)
    return pixel


def utf16_text(text):
    """UTF-16LE with byte-order mark and CR LF line ends, as theme text files are."""
    return b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le")


# ---------------------------------------------------------------- outputs

def outputs():
    files = {}

    # Icons.
    files["depths.ico"] = icon_file([(16, b, icon_image(16, b), None) for b in (1, 4, 8, 24, 32)])
    files["app.ico"] = icon_file([(32, 32, icon_image(32, 32), None),
                                  (16, 8, icon_image(16, 8), None)])

    # Cursors: hot spots are deliberately not (0, 0).
    arrow_mono = dib_image(32, 1, lambda x, y: 0 if x <= y and x < 12 and y < 20 else 1,
                           lambda x, y: not (x <= y and x < 12 and y < 20))
    arrow_alpha = dib_image(16, 32, rgba_pattern(16, (0, 255, 0)),
                            lambda x, y: radial_alpha(16, x, y) == 0)
    files["arrow.cur"] = icon_file([(32, 1, arrow_mono, (5, 3)),
                                    (16, 32, arrow_alpha, (7, 9))], cursor=True)
    hand = dib_image(32, 4, lambda x, y: (x // 2 + y // 2) % 16, corner_clear(32))
    files["hand.cur"] = icon_file([(32, 4, hand, (10, 12))], cursor=True)

    # Bitmaps.
    files["b1.bmp"] = bmp_file(16, 16, 1, lambda x, y: ((x // 4) + (y // 4)) & 1)
    files["b4.bmp"] = bmp_file(16, 16, 4, lambda x, y: (x + 2 * y) % 16)
    files["b8.bmp"] = bmp_file(16, 16, 8, lambda x, y: (y * 16 + x) % 256)
    files["b8pal16.bmp"] = bmp_file(16, 16, 8, lambda x, y: (x ^ y) % 16, colours_used=16)
    files["b24.bmp"] = bmp_file(13, 11, 24, rgb_pattern(13, 11, (0, 255, 0)))
    files["b32.bmp"] = bmp_file(16, 16, 32, rgba_pattern(16, (255, 255, 0)))
    files["en.bmp"] = bmp_file(8, 8, 24, lambda x, y: (0, 0, 255))      # blue: LANG 1033
    files["de.bmp"] = bmp_file(8, 8, 24, lambda x, y: (255, 204, 0))    # gold: LANG 1031
    files["logo.bmp"] = bmp_file(24, 24, 32, rgba_pattern(24, (255, 0, 128)))
    files["banner.bmp"] = bmp_file(20, 8, 24, magenta_border(20, 8, rgb_pattern(20, 8, (128, 128, 255))))
    files["photo.bmp"] = bmp_file(8, 8, 4, lambda x, y: (x * y) % 16)

    # Visual-style bitmaps and text files.
    files["normal_button.bmp"] = bmp_file(16, 16, 32, rgba_pattern(16, (192, 192, 192)))
    files["blue_button.bmp"] = bmp_file(16, 16, 32, rgba_pattern(16, (0, 64, 255)))
    files["blue_background.bmp"] = bmp_file(12, 6, 24, magenta_border(12, 6, rgb_pattern(12, 6, (0, 0, 255))))
    files["themes.ini"] = utf16_text(
        "; Fixture theme\n[Theme]\nDisplayName=Fixture\n\n"
        "[File.Blue]\nColorSchemes=Normal, Large\nSizes=Normal\n")
    files["blue_normal.ini"] = utf16_text(
        "[Button.PushButton]\nImageFile=BLUE_BUTTON_BMP\nImageCount=1\nTransparent=True\n")
    files["blue_large.ini"] = utf16_text(
        "[Button.PushButton]\nImageFile=NORMAL_BUTTON_BMP\nContentMargins=2, 2, 2, 2\n")
    return files


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_images.py OUTPUT_FOLDER")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in sorted(outputs().items()):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
