#!/usr/bin/env python3
"""Writes groupend.icl and padded.icl, the icon libraries of the tests of where
a resource ends.

groupend.icl, alignment shift 4 (units of 16 bytes), in table order:

   3 icon        1  16x16 1 bpp  (image 1 of img/depths.ico), 176 bytes
   3 icon        2  16x16 4 bpp  (image 2), 296 bytes + 8 of padding
   3 icon        3  16x16 8 bpp  (image 3), 1384 bytes + 8 of padding
  14 icon group  1  icons 1, 2, 3: 6 + 3 * 14 = 48 bytes, three whole units,
                    and the last bytes of the file (nothing follows them)

padded.icl, alignment shift 5 (units of 32 bytes), in table order:

   3 icon         1  16x16 24 bpp (image 4 of img/depths.ico), 872 bytes + 24
   3 icon         2  16x16 32 bpp (image 5), 1128 bytes + 24
   3 icon         3  32x32 PNG stream (made here), 1891 bytes + 29
  14 icon group   1  icons 1, 2, 3
  14 icon group   2  icon 3
   1 cursor       1  32x32 4 bpp, hot spot (10,12) (img/hand.cur): 4 + 744
                     bytes + 20
  12 cursor group 1  cursor 1
  then the two zero bytes every library of tools/make_blank_icl.py ends with

The table's length fields count whole units, so they include the padding.

Usage: make_icl_ends.py IMAGE_FOLDER OUTPUT_FOLDER
"""

import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_icl import cursor_group, directory, icon_group, ne_library  # noqa: E402


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data)))


def png_image():
    """A 32x32 RGBA PNG: a red-blue gradient, its corners transparent."""
    rows = b""
    for y in range(32):
        row = b"\0"  # filter type 0
        for x in range(32):
            corner = (x < 4 or x > 27) and (y < 4 or y > 27)
            row += bytes([x * 8, 96, y * 8, 0 if corner else 255])
        rows += row
    ihdr = struct.pack(">IIBBBBB", 32, 32, 8, 6, 0, 0, 0)  # 8 bits, RGBA
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr)
            + png_chunk(b"IDAT", zlib.compress(rows, 9)) + png_chunk(b"IEND", b""))


def png_entry(png):
    """The first 12 bytes of the directory entry of a 32x32 32-bit image."""
    return struct.pack("<BBBBHHI", 32, 32, 0, 0, 1, 32, len(png))


def group_end(images):
    depths = directory(os.path.join(images, "depths.ico"))[:3]
    group = icon_group([(i + 1, entry) for i, (entry, _) in enumerate(depths)])
    assert len(group) == 48
    types = [
        (3, [(i + 1, image) for i, (_, image) in enumerate(depths)]),
        (14, [(1, group)]),
    ]
    library = ne_library(types, shift=4, module=b"GROUPEND",
                         description=b"Vellum group-end test library")
    # The writer ends every library with two zero bytes; this one ends with its group.
    assert library.endswith(group + b"\0\0")
    return library[:-2]


def padded(images):
    depths = directory(os.path.join(images, "depths.ico"))
    png = png_image()
    icons = [depths[3], depths[4], (png_entry(png), png)]
    (cur_entry, cur_image), = directory(os.path.join(images, "hand.cur"))
    hot_x, hot_y = struct.unpack_from("<HH", cur_entry, 4)
    cursor = struct.pack("<HH", hot_x, hot_y) + cur_image
    for _, image in icons:
        assert len(image) % 32 != 0
    assert len(cursor) % 32 != 0
    types = [
        (3, [(i + 1, image) for i, (_, image) in enumerate(icons)]),
        (14, [(1, icon_group([(i + 1, entry) for i, (entry, _) in enumerate(icons)])),
              (2, icon_group([(3, icons[2][0])]))]),
        (1, [(1, cursor)]),
        (12, [(1, cursor_group(1, cur_image))]),
    ]
    return ne_library(types, shift=5, module=b"PADDED",
                      description=b"Vellum padded test library")


def main():
    images, output = sys.argv[1], sys.argv[2]
    for name, build in (("groupend.icl", group_end), ("padded.icl", padded)):
        with open(os.path.join(output, name), "wb") as f:
            f.write(build(images))


if __name__ == "__main__":
    main()
