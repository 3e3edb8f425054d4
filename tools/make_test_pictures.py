#!/usr/bin/env python3
"""Writes BMP files of every form the picture pipeline reads into a folder:
1, 4, 8, 16, 24 and 32 bits, core and info headers (40, 108, 124 bytes),
BI_RGB, BI_BITFIELDS, RLE8 and RLE4, both row orders, short colour tables, a
gap before the pixels, sizes from 1 x 1 to wider than tall and taller than
wide. Deterministic: the same files every run.

    make_test_pictures.py OUT_DIR
"""
import os
import random
import struct
import sys


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def rle_rows(width, height, rle4, rnd):
    """RLE data: runs, absolute runs, a delta now and then, end of picture."""
    out = bytearray()
    y = 0
    while y < height:
        x = 0
        while x < width:
            n = min(width - x, rnd.randint(1, 40))
            if rnd.random() < 0.5 and n >= 3:
                values = [rnd.randrange(16 if rle4 else 256) for _ in range(n)]
                data = bytearray()
                if rle4:
                    for i in range(0, n, 2):
                        hi = values[i]
                        lo = values[i + 1] if i + 1 < n else 0
                        data.append(hi << 4 | lo)
                else:
                    data = bytearray(values)
                if len(data) % 2:
                    data.append(0)
                out += bytes([0, n]) + data
            else:
                v = rnd.randrange(256)
                out += bytes([n, v])
            x += n
        if rnd.random() < 0.1 and y + 2 < height:
            out += bytes([0, 2, rnd.randrange(4), 1])  # delta: skip a row, keep x
            y += 1
        out += bytes([0, 0])
        y += 1
    out += bytes([0, 1])
    return bytes(out)


def bmp(width, height, bits, compression=0, header=40, top_down=False, entries=None, masks=None, gap=0, seed=0):
    rnd = random.Random(seed * 7919 + width * 31 + height * 17 + bits)
    rows = abs(height)
    core = header == 12
    if entries is None:
        entries = 1 << bits if bits <= 8 else 0
    table = bytearray()
    for i in range(entries):
        b, g, r = rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)
        table += bytes([b, g, r]) if core else bytes([b, g, r, 0])
    if compression in (1, 2):
        pixels = rle_rows(width, rows, compression == 2, rnd)
    else:
        # Smooth gradients with noise: both distinct rows and repeated colours.
        s = stride(width, bits)
        pixels = bytearray(s * rows)
        for y in range(rows):
            for i in range(s):
                pixels[y * s + i] = (i * 3 + y * 5 + rnd.randrange(8)) & 255
    if core:
        head = struct.pack("<IHHHH", 12, width, rows, 1, bits)
    else:
        stored_height = -rows if top_down else rows
        clr_used = entries if bits <= 8 and entries != 1 << bits else 0
        head = struct.pack("<IiiHHIIiiII", header, width, stored_height, 1, bits, compression,
                           len(pixels) if compression else 0, 2835, 2835, clr_used, 0)
        extra = bytearray(header - 40)
        if compression == 3:
            mask_bytes = struct.pack("<III", *masks)
            if header == 40:
                head += mask_bytes
            else:
                extra[0:12] = mask_bytes
        head += bytes(extra)
    off = 14 + len(head) + len(table) + gap
    data = head + table + bytes(gap) + pixels
    return struct.pack("<HIHHI", 0x4D42, 14 + len(data), 0, 0, off) + data


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    sizes = [(1, 1), (3, 2), (17, 9), (9, 23), (64, 48), (301, 203), (640, 480), (1024, 300)]
    pictures = {}
    for w, h in sizes:
        for bits in (1, 4, 8, 24, 32, 16):
            pictures[f"rgb{bits}_{w}x{h}.bmp"] = bmp(w, h, bits)
            pictures[f"rgb{bits}_{w}x{h}_topdown.bmp"] = bmp(w, h, bits, top_down=True)
        pictures[f"core8_{w}x{h}.bmp"] = bmp(w, h, 8, header=12)
        pictures[f"core24_{w}x{h}.bmp"] = bmp(w, h, 24, header=12)
        pictures[f"bf565_{w}x{h}.bmp"] = bmp(w, h, 16, 3, masks=(0xF800, 0x07E0, 0x001F))
        pictures[f"bf32_{w}x{h}_v5.bmp"] = bmp(w, h, 32, 3, header=124, masks=(0xFF0000, 0xFF00, 0xFF), top_down=True)
        pictures[f"bf32_{w}x{h}_odd.bmp"] = bmp(w, h, 32, 3, header=108, masks=(0x3FF00000, 0xFFC00, 0x3FF))
        pictures[f"short8_{w}x{h}.bmp"] = bmp(w, h, 8, entries=20)
        pictures[f"short4_{w}x{h}_gap.bmp"] = bmp(w, h, 4, entries=5, gap=37)
        pictures[f"rle8_{w}x{h}.bmp"] = bmp(w, h, 8, 1)
        pictures[f"rle4_{w}x{h}.bmp"] = bmp(w, h, 4, 2)
    for name, data in pictures.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    print(len(pictures))


if __name__ == "__main__":
    main()
