#!/usr/bin/env python3
"""Writes icons.icl, the 16-bit icon library of the NE tests.

Resources, in table order (the types are stored 14 before 3 on purpose, so
that a reader that sorts them has something to do):

  14 icon group    1  icons 1, 2, 3
   3 icon          1  16x16 4 bpp  (image 2 of img/depths.ico)
   3 icon          2  16x16 8 bpp  (image 3)
   3 icon          3  16x16 32 bpp with alpha (image 5)
  12 cursor group  1  cursor 1
   1 cursor        1  32x32 4 bpp, hot spot (10,12) (img/hand.cur)

Alignment shift 4: every resource starts at a multiple of 16 and is padded
to it. The file layout is that of tools/make_blank_icl.py, whose writer this
script uses.

Usage: make_icl.py IMAGE_FOLDER OUTPUT
"""

import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "..", "..", "tools"))
from make_blank_icl import ne_library  # noqa: E402


def directory(path):
    """[(16-byte directory entry, image bytes)] of an .ico or .cur file."""
    data = open(path, "rb").read()
    count = struct.unpack_from("<H", data, 4)[0]
    images = []
    for i in range(count):
        entry = data[6 + 16 * i:22 + 16 * i]
        size, offset = struct.unpack_from("<II", entry, 8)
        images.append((entry, data[offset:offset + size]))
    return images


def icon_group(entries):
    """GRPICONDIR: u16 0, u16 1, u16 count; per icon the first 12 bytes of its
    directory entry and the u16 resource ID."""
    group = struct.pack("<HHH", 0, 1, len(entries))
    for res_id, entry in entries:
        group += entry[:12] + struct.pack("<H", res_id)
    return group


def cursor_group(res_id, image):
    """CURSORDIR entry: u16 width, u16 height (doubled), u16 planes,
    u16 bit count, u32 bytes (image + 4 hot-spot bytes), u16 resource ID."""
    width, height = struct.unpack_from("<ii", image, 4)
    planes, bits = struct.unpack_from("<HH", image, 12)
    return struct.pack("<HHH", 0, 2, 1) + struct.pack(
        "<HHHHIH", width, height, planes, bits, len(image) + 4, res_id)


def main():
    images, output = sys.argv[1], sys.argv[2]
    depths = directory(os.path.join(images, "depths.ico"))
    icons = [depths[1], depths[2], depths[4]]
    (cur_entry, cur_image), = directory(os.path.join(images, "hand.cur"))
    hot_x, hot_y = struct.unpack_from("<HH", cur_entry, 4)
    types = [
        (14, [(1, icon_group([(i + 1, entry) for i, (entry, _) in enumerate(icons)]))]),
        (3, [(i + 1, image) for i, (_, image) in enumerate(icons)]),
        (12, [(1, cursor_group(1, cur_image))]),
        (1, [(1, struct.pack("<HH", hot_x, hot_y) + cur_image)]),
    ]
    with open(output, "wb") as f:
        f.write(ne_library(types, shift=4, module=b"ICONS",
                           description=b"Vellum test icon library"))


if __name__ == "__main__":
    main()
