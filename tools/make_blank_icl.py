#!/usr/bin/env python3
"""Writes a 16-bit icon library: an NE executable that carries only resources.

With no arguments it writes data/blank.icl, the empty library that Vellum
rebuilds icon libraries from.  The function ne_library() is also used by the
recipe of the test fixtures (tests/data/src/make_icl.py).

Layout (all libraries this script writes):

  0x00  DOS header (64 bytes): e_lfarlc 0x40, e_lfanew 0x80
  0x40  DOS stub: prints "This program requires Microsoft Windows." and exits
  0x80  NE header (64 bytes), library module for Windows 3.10, no segments
  0xC0  non-resident name table: the description (ordinal 0), then a 0 byte
  0xE8  resource table (byte 232; ne_rsrctab 0x68)
        resident name table: the module name (ordinal 0), then a 0 byte
        module reference table: empty
        imported name table: one 0 byte
        entry table: no bundles (2 zero bytes)
        the resources, each at a multiple of 2^shift, padded to it
        2 zero bytes (when there are resources: readers measure the last
        resource up to two bytes before the end of the file)

NE resource table:
  rscAlignShift   u16
  TYPEINFO        rtTypeID u16 (0x8000 | type), rtResourceCount u16, u32 0
    NAMEINFO      rnOffset u16, rnLength u16 (both in 2^shift units),
                  rnFlags u16, rnID u16 (0x8000 | id), rnHandle u16 0, rnUsage u16 0
  u16 0 (end of types), u8 0 (no resource names)

Only the standard library is used; two runs give identical bytes.
Usage: make_blank_icl.py [OUTPUT]   (default: data/blank.icl beside tools/)
"""

import os
import struct
import sys

DOS_STUB_CODE = bytes([
    0x0E,              # push cs
    0x1F,              # pop ds
    0xBA, 0x0E, 0x00,  # mov dx, 000Eh   (the message below)
    0xB4, 0x09,        # mov ah, 09h     (print string)
    0xCD, 0x21,        # int 21h
    0xB8, 0x01, 0x4C,  # mov ax, 4C01h   (exit with code 1)
    0xCD, 0x21,        # int 21h
]) + b"This program requires Microsoft Windows.\r\n$"

NE_HEADER_AT = 0x80
NAME_TABLE_AT = 0xC0
RESOURCE_TABLE_AT = 0xE8
RESOURCE_FLAGS = 0x1030  # moveable, pure, discardable


def dos_header():
    stub = DOS_STUB_CODE.ljust(64, b"\0")
    header = struct.pack(
        "<2s13H8sHH20sI",
        b"MZ",
        NE_HEADER_AT,  # e_cblp: bytes in the last 512-byte page (header + stub)
        1,             # e_cp: pages
        0,             # e_crlc: relocations
        4,             # e_cparhdr: header paragraphs
        0, 0xFFFF,     # e_minalloc, e_maxalloc
        0, 0xB8,       # e_ss, e_sp
        0,             # e_csum
        0, 0,          # e_ip, e_cs
        0x40,          # e_lfarlc: 0x40 or more marks a new-style executable
        0,             # e_ovno
        b"\0" * 8,     # e_res
        0, 0,          # e_oemid, e_oeminfo
        b"\0" * 20,    # e_res2
        NE_HEADER_AT,  # e_lfanew
    )
    assert len(header) == 64
    return header + stub


def name_table(name):
    """One length-prefixed name with ordinal 0, then the terminating 0 byte."""
    return bytes([len(name)]) + name + b"\0\0" + b"\0"


def align(value, shift):
    unit = 1 << shift
    return (value + unit - 1) // unit * unit


def resource_table(types, shift, first_offset):
    """types: [(type_id, [(res_id, data), ...]), ...] in table order.
    Returns the table and the data block that starts at first_offset."""
    table = struct.pack("<H", shift)
    data = bytearray()
    at = first_offset
    for type_id, resources in types:
        table += struct.pack("<HHI", 0x8000 | type_id, len(resources), 0)
        for res_id, blob in resources:
            padded = align(len(blob), shift)
            table += struct.pack("<6H", at >> shift, padded >> shift, RESOURCE_FLAGS,
                                 0x8000 | res_id, 0, 0)
            data += blob + b"\0" * (padded - len(blob))
            at += padded
    table += b"\0\0" + b"\0"
    return table, bytes(data)


def ne_header(table_size, tail, description_size):
    resident = RESOURCE_TABLE_AT + table_size
    imported = resident + tail["resident"]
    entries = imported + tail["imported"]
    rel = lambda offset: offset - NE_HEADER_AT
    header = struct.pack(
        "<2sBBHHIHHHHIIHHHHHHHHIHHHBBHHHH",
        b"NE", 5, 10,
        rel(entries), tail["entries"],   # ne_enttab, ne_cbenttab
        0,                               # ne_crc
        0x8000,                          # ne_flags: library module
        0, 0, 0,                         # ne_autodata, ne_heap, ne_stack
        0, 0,                            # ne_csip, ne_sssp
        0, 0,                            # ne_cseg, ne_cmod
        description_size,                # ne_cbnrestab
        rel(NAME_TABLE_AT),              # ne_segtab (no segments)
        rel(RESOURCE_TABLE_AT),          # ne_rsrctab
        rel(resident),                   # ne_restab
        rel(imported),                   # ne_modtab (empty)
        rel(imported),                   # ne_imptab
        NAME_TABLE_AT,                   # ne_nrestab (from the start of the file)
        0, 9, 0,                         # ne_cmovent, ne_align, ne_cres
        2, 0,                            # ne_exetyp (Windows), ne_flagsothers
        0, 0, 0,                         # ne_pretthunks, ne_psegrefbytes, ne_swaparea
        0x030A,                          # ne_expver: Windows 3.10
    )
    assert len(header) == 64
    return header


def ne_library(types, shift=4, module=b"BLANK", description=b"Vellum icon library"):
    description_table = name_table(description)
    assert NAME_TABLE_AT + len(description_table) <= RESOURCE_TABLE_AT
    resident = name_table(module)
    tail = resident + b"\0" + b"\0\0"  # resident names, imported names, entry table
    sizes = {"resident": len(resident), "imported": 1, "entries": 2}
    table_size = len(resource_table(types, shift, 0)[0])
    first = align(RESOURCE_TABLE_AT + table_size + len(tail), shift)
    table, data = resource_table(types, shift, first)
    out = bytearray(dos_header())
    out += ne_header(len(table), sizes, len(description_table))
    out += description_table
    out += b"\0" * (RESOURCE_TABLE_AT - len(out))
    out += table + tail
    out += b"\0" * (first - len(out))
    if types:
        out += data + b"\0\0"
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "blank.icl")
    with open(output, "wb") as f:
        f.write(ne_library([], shift=0, description=b"Vellum blank icon library"))


if __name__ == "__main__":
    main()
