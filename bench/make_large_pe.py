#!/usr/bin/env python3
"""Writes a large resource DLL for the decompile benchmark (stdlib only, deterministic).

usage: make_large_pe.py OUT.dll [OUT.res]

About 3,000 resources and 8 MB of resource data in the proportions of a system shell library:
icons and icon groups, bitmaps (some 32-bit with alpha), string tables, dialogs, version
information and raw data.
"""
import random
import struct
import sys

RSRC_RVA = 0x2000


def dib(width, height, bits, rng):
    stride = ((width * bits + 31) // 32) * 4
    palette = (4 << bits) if bits <= 8 else 0
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, stride * height, 0, 0, 0, 0)
    return header + bytes(rng.getrandbits(8) for _ in range(palette)) + rng.randbytes(stride * height)


def icon_image(size, bits, rng):
    stride_and = ((size + 31) // 32) * 4
    return dib(size, size * 2, bits, rng)[: 40 + (4 << bits if bits <= 8 else 0) + ((size * bits + 31) // 32) * 4 * size] + bytes(stride_and * size)


def string_block(rng):
    out = b""
    for _ in range(16):
        n = rng.randrange(0, 40)
        out += struct.pack("<H", n) + "".join(chr(rng.randrange(32, 127)) for _ in range(n)).encode("utf-16-le")
    return out


def dialog(rng):
    """A DLGTEMPLATE without controls whose title varies the size."""
    title = "".join(chr(rng.randrange(65, 91)) for _ in range(rng.randrange(50, 500)))
    out = struct.pack("<IIHhhhhHH", 0x80C80880, 0, 0, 0, 0, 200, 100, 0, 0)
    return out + (title + "\0").encode("utf-16-le")


def version():
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x10000, 1, 0, 1, 0, 1, 0x3F, 0, 4, 2, 0, 0)
    body = struct.pack("<HHH", 0, len(fixed), 0) + key
    body += bytes(-len(body) % 4) + fixed
    return struct.pack("<H", len(body)) + body[2:]


def resources(rng):
    res = []  # (type, name, lang, data)
    icon_id = 1
    for group in range(1, 301):
        entries = b""
        count = 0
        for size, bits in ((16, 4), (16, 8), (32, 8), (32, 32), (48, 32)):
            if rng.random() < 0.3 and count:
                continue
            image = icon_image(size, bits, rng)
            res.append((3, icon_id, 1033, image))
            entries += struct.pack("<BBBBHHIH", size, size, 0, 0, 1, bits, len(image), icon_id)
            icon_id += 1
            count += 1
        res.append((14, group, 1033, struct.pack("<HHH", 0, 1, count) + entries))
    for n in range(1, 201):
        bits = 32 if n % 4 == 0 else 24 if n % 4 == 1 else 8
        w = rng.randrange(16, 160)
        res.append((2, n, 1033, dib(w, rng.randrange(16, 120), bits, rng)))
    for block in range(1, 151):
        res.append((6, block, 1033, string_block(rng)))
    for n in range(1, 401):
        res.append((5, 100 + n, 1033, dialog(rng)))
    res.append((16, 1, 1033, version()))
    for n in range(1, 801):
        res.append((10, n, 1033, rng.randbytes(rng.randrange(100, 4000))))
    res.sort(key=lambda r: (r[0], r[1], r[2]))
    return res


def section(res):
    tree = {}
    for t, n, l, d in res:
        tree.setdefault(t, {}).setdefault(n, {})[l] = d
    out = bytearray()
    entries = []  # (offset of the data-entry field, data)

    def directory(children, leaf):
        at = len(out)
        out.extend(struct.pack("<IIHHHH", 0, 0, 0, 0, 0, len(children)))
        slots = len(out)
        out.extend(bytes(8 * len(children)))
        for i, (key, child) in enumerate(sorted(children.items())):
            struct.pack_into("<I", out, slots + 8 * i, key)
            if leaf:
                entries.append((slots + 8 * i + 4, child))
            else:
                struct.pack_into("<I", out, slots + 8 * i + 4, 0x80000000 | len(out))
                directory(child, leaf=isinstance(next(iter(child.values())), bytes))
        return at

    directory(tree, leaf=False)
    data_entries = []
    for field, data in entries:
        struct.pack_into("<I", out, field, len(out))
        data_entries.append((len(out), data))
        out.extend(bytes(16))
    for at, data in data_entries:
        while len(out) % 8:
            out.append(0)
        struct.pack_into("<II", out, at, RSRC_RVA + len(out), len(data))
        out.extend(data)
    return bytes(out)


def pe(rsrc):
    raw_rsrc = (len(rsrc) + 0x1FF) & ~0x1FF
    text = b"\xc3" + bytes(0x1FF)
    nt = 0x80
    headers = bytearray(0x400)
    headers[0:2] = b"MZ"
    struct.pack_into("<I", headers, 0x3C, nt)
    struct.pack_into("<IHHIIIHH", headers, nt, 0x4550, 0x14C, 2, 0, 0, 0, 224, 0x2102)
    opt = nt + 24
    image_size = RSRC_RVA + ((len(rsrc) + 0xFFF) & ~0xFFF)
    struct.pack_into("<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII", headers, opt, 0x10B, 2, 40, 0x200, raw_rsrc, 0,
                     0, 0x1000, 0x2000, 0x10000000, 0x1000, 0x200, 4, 0, 1, 0, 4, 0, 0, image_size,
                     0x400, 0, 2, 0x140, 0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    struct.pack_into("<II", headers, opt + 96 + 16, RSRC_RVA, len(rsrc))
    table = opt + 224
    struct.pack_into("<8sIIIIIIHHI", headers, table, b".text", 1, 0x1000, 0x200, 0x400, 0, 0, 0, 0, 0x60000020)
    struct.pack_into("<8sIIIIIIHHI", headers, table + 40, b".rsrc", len(rsrc), RSRC_RVA, raw_rsrc, 0x600,
                     0, 0, 0, 0, 0x40000040)
    return bytes(headers) + text + rsrc + bytes(raw_rsrc - len(rsrc))


def res_file(res):
    """The same resources as a compiled resource script (.res): a sequence of headers and data."""
    def ident(value):
        return struct.pack("<HH", 0xFFFF, value)

    def record(type_id, name_id, lang, data):
        header = ident(type_id) + ident(name_id)
        header += struct.pack("<IHHII", 0, 0x1030, lang, 0, 0)
        out = struct.pack("<II", len(data), 8 + len(header)) + header + data
        return out + bytes(-len(out) % 4)

    return record(0, 0, 0, b"") + b"".join(record(t, n, l, d) for t, n, l, d in res)


def main():
    rng = random.Random(20261206)
    res = resources(rng)
    rsrc = section(res)
    with open(sys.argv[1], "wb") as f:
        f.write(pe(rsrc))
    if len(sys.argv) > 2:
        with open(sys.argv[2], "wb") as f:
            f.write(res_file(res))
    print(f"{sys.argv[1]}: {len(res)} resources, {len(rsrc) / 1e6:.1f} MB resource section")


if __name__ == "__main__":
    main()
