#!/usr/bin/env python3
"""Writes the sparse index.dat shapes of the index_dat_fuzz corpus (tests/stores/sparse_file.h
reads them): files that claim 2 GiB and hold a megabyte or less, whose every budget would
follow the claimed size. Run it from the repository's root after changing a shape."""

import os
import struct

GIB2 = 0x7FFFFFF0  # the claimed size: just under the largest offset a file records
CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "index_dat_fuzz")


class Shape:
    def __init__(self, size):
        self.text = b"MVSPARSE" + struct.pack("<Q", size)

    def data(self, offset, data):
        self.text += b"D" + struct.pack("<QI", offset, len(data)) + data
        return self

    def fill(self, offset, length, byte):
        self.text += b"F" + struct.pack("<QI", offset, length) + bytes([byte])
        return self


def header(shape, first_table):
    return shape.data(28, struct.pack("<ii", GIB2, first_table))


def table(blocks, next_table):
    """A table's 16-byte head: "HASH", its blocks, the next table, a sequence number; its
    entries follow."""
    return b"HASH" + struct.pack("<iii", blocks, next_table, 0)


def url_record(filetime, text=b""):
    # "URL ", the time at 16, the text's offset at 52 (0x68), the text.
    record = bytearray(0x68)
    record[0:4] = b"URL "
    record[16:24] = struct.pack("<Q", filetime)
    record[52] = 0x68
    return bytes(record) + text


def one_text_many_entries():
    """One record with a text of 1 MiB, named by all 3,198 entries of a table."""
    s = header(Shape(GIB2), 0x4000)
    blocks = 200  # (200 * 128 - 16) / 8 = 3,198 entries
    s.data(0x4000, table(blocks, 0) + struct.pack("<ii", 0, 0x10000) * 3198)
    s.data(0x10000, url_record(0x01D0000000000000))
    return s.fill(0x10068, 1 << 20, ord("a"))


def overlapping_texts():
    """3,198 records four bytes apart, each a "URL " whose text runs on into one long text
    of 1 MiB: distinct records, every one of them about a megabyte of text."""
    s = header(Shape(GIB2), 0x4000)
    entries = b"".join(struct.pack("<ii", 0, 0x10000 + 4 * k) for k in range(3198))
    s.data(0x4000, table(200, 0) + entries)
    s.data(0x10000, b"URL " * 3212)
    return s.fill(0x10000 + 4 * 3212, 1 << 20, ord("b"))


def chained_tables():
    """5,000 tables of one block chained across the claimed 2 GiB, their entries in holes
    but for a URL in the first and the last."""
    step = 0x68000
    s = header(Shape(GIB2), 0x4000)
    last = 0x4000 + 4999 * step
    for i in range(5000):
        at = 0x4000 + i * step
        s.data(at, table(1, 0 if i == 4999 else at + step))
    s.data(0x4000 + 16, struct.pack("<ii", 0, 0x5000))
    s.data(0x5000, url_record(0x01D1000000000000, b"http://first.example/\0"))
    s.data(last + 16, struct.pack("<ii", 0, last + 0x1000))
    return s.data(last + 0x1000, url_record(0x01D2000000000000, b"http://last.example/\0"))


def wide_tables_over_holes():
    """Four tables that claim 8 MiB of entries each, all of them in holes but the first."""
    span = 8 << 20
    s = header(Shape(GIB2), 0x4000)
    for i in range(4):
        at = 0x4000 + i * span
        s.data(at, table(span // 128, 0 if i == 3 else at + span))
    s.data(0x4000 + 16, struct.pack("<ii", 0, 0x5000))
    return s.data(0x5000, url_record(0x01D3000000000000, b"http://wide.example/\0"))


def main():
    shapes = {
        "sparse-one-text-many-entries": one_text_many_entries(),
        "sparse-overlapping-texts": overlapping_texts(),
        "sparse-chained-tables": chained_tables(),
        "sparse-wide-tables-over-holes": wide_tables_over_holes(),
    }
    for name, shape in shapes.items():
        with open(os.path.join(CORPUS, name), "wb") as out:
            out.write(shape.text)


if __name__ == "__main__":
    main()
