#!/usr/bin/env python3
"""Draws Plochar's icons and writes them as .ico files.

Each icon holds images of 16, 20, 24, 28, 32 and 48 pixels (the small icon at
100, 125, 150, 175 and 200 % scaling, the large one at 100 and 150 %), each
twice: 32-bit with an alpha channel, and an 8-bit fallback with a fixed palette and a 1-bit mask for
systems and displays without alpha. The pictures are drawn from simple shapes
in a unit square, 4x4 supersampled, so the output depends on nothing but this
script: running it again gives the same bytes.

    python3 tools/make_icons.py resources/icons
"""
import math
import struct
import sys
from pathlib import Path

SUPER = 4

SKY = (70, 130, 215)
HILL = (60, 160, 70)
HILL_DARK = (40, 115, 50)
SUN = (250, 210, 60)
FRAME = (90, 60, 30)
GREY = (150, 150, 150)
PAUSE = (220, 40, 40)
BUSY = (245, 150, 20)
WHITE = (255, 255, 255)
BLACK = (20, 20, 20)


def in_rect(x, y, x0, y0, x1, y1):
    return x0 <= x < x1 and y0 <= y < y1


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def landscape(x, y):
    """A framed picture: sky, sun and a hill. Returns a colour or None."""
    if not in_rect(x, y, 0.04, 0.12, 0.96, 0.88):
        return None
    if not in_rect(x, y, 0.11, 0.19, 0.89, 0.81):
        return FRAME
    hill = 0.62 + 0.12 * math.cos((x - 0.35) * 5.0)
    if y > hill:
        return HILL if y < hill + 0.08 else HILL_DARK
    if in_circle(x, y, 0.68, 0.36, 0.1):
        return SUN
    return SKY


def running(x, y):
    return landscape(x, y)


def paused(x, y):
    # Two bars over the picture, which fades to grey.
    if in_rect(x, y, 0.52, 0.46, 0.66, 0.98) or in_rect(x, y, 0.76, 0.46, 0.90, 0.98):
        return PAUSE
    if in_rect(x, y, 0.48, 0.42, 0.94, 1.0):
        return WHITE if not in_rect(x, y, 0.66, 0.46, 0.76, 0.98) else None
    c = landscape(x, y)
    if c is None:
        return None
    g = (c[0] * 30 + c[1] * 59 + c[2] * 11) // 100
    return (g, g, g)


def busy(x, y):
    # A clock face over the picture.
    if in_circle(x, y, 0.70, 0.70, 0.29):
        if not in_circle(x, y, 0.70, 0.70, 0.24):
            return BLACK
        hand_v = in_rect(x, y, 0.675, 0.50, 0.725, 0.72)
        hand_h = in_rect(x, y, 0.68, 0.675, 0.86, 0.725)
        return BLACK if hand_v or hand_h else BUSY
    return landscape(x, y)


def tab_collection(x, y):
    # A stack of three pictures.
    for dx, dy in ((0.24, 0.0), (0.12, 0.12)):
        if in_rect(x, y, 0.08 + dx, 0.06 + dy, 0.66 + dx, 0.56 + dy):
            edge = not in_rect(x, y, 0.13 + dx, 0.11 + dy, 0.61 + dx, 0.51 + dy)
            return FRAME if edge else WHITE
    if in_rect(x, y, 0.04, 0.30, 0.70, 0.92):
        if not in_rect(x, y, 0.09, 0.35, 0.65, 0.87):
            return FRAME
        return HILL if y > 0.68 else SKY
    return None


def tab_logo(x, y):
    # A start-up screen: a monitor with four coloured panes.
    if in_rect(x, y, 0.40, 0.82, 0.60, 0.92) or in_rect(x, y, 0.28, 0.90, 0.72, 0.97):
        return GREY
    if not in_rect(x, y, 0.04, 0.08, 0.96, 0.84):
        return None
    if not in_rect(x, y, 0.10, 0.14, 0.90, 0.78):
        return BLACK
    panes = ((0.26, 0.26, (230, 60, 40)), (0.54, 0.26, (60, 170, 60)),
             (0.26, 0.48, (50, 110, 220)), (0.54, 0.48, (245, 200, 40)))
    for px, py, colour in panes:
        if in_rect(x, y, px, py, px + 0.2, py + 0.18):
            return colour
    return (0, 0, 90)


def tab_settings(x, y):
    # A cog wheel.
    dx, dy = x - 0.5, y - 0.5
    r = math.hypot(dx, dy)
    angle = math.atan2(dy, dx)
    tooth = math.cos(angle * 8) > 0.2
    outer = 0.46 if tooth else 0.34
    if r > outer:
        return None
    if r < 0.14:
        return None
    return (110, 110, 125) if r > 0.2 else (70, 70, 80)


GREEN = (40, 150, 60)
RED = (200, 40, 40)
BLUE = (40, 80, 190)


def arrow(x, y, up):
    """A thick arrow along the middle, pointing up or down."""
    t = y if up else 1.0 - y
    if t < 0.5:
        return in_rect(x, y, 0.5 - t * 0.8, 0, 0.5 + t * 0.8, 1) and t > 0.08
    return in_rect(x, y, 0.36, 0, 0.64, 1) and t < 0.94


def coll_up(x, y):
    return GREEN if arrow(x, y, True) else None


def coll_down(x, y):
    return GREEN if arrow(x, y, False) else None


def coll_add(x, y):
    # A plus.
    if in_rect(x, y, 0.40, 0.10, 0.60, 0.90) or in_rect(x, y, 0.10, 0.40, 0.90, 0.60):
        return GREEN
    return None


def coll_remove(x, y):
    # A cross.
    near_diagonal = abs(x - y) < 0.12 or abs(x + y - 1.0) < 0.12
    return RED if near_diagonal and in_rect(x, y, 0.12, 0.12, 0.88, 0.88) else None


def coll_sort(x, y):
    # Bars growing downwards beside an arrow: from short names to long ones.
    for i, top in enumerate((0.12, 0.40, 0.68)):
        if in_rect(x, y, 0.08, top, 0.30 + 0.18 * i, top + 0.18):
            return BLUE
    if in_rect(x, y, 0.76, 0.10, 0.86, 0.70):
        return BLACK
    t = y - 0.62
    if 0 <= t < 0.30 and abs(x - 0.81) < (0.30 - t) * 0.6:
        return BLACK
    return None


def desktop_icon(x, y):
    """The sample desktop icon: a computer with its screen and base."""
    if in_rect(x, y, 0.12, 0.08, 0.88, 0.66):
        if in_rect(x, y, 0.20, 0.15, 0.80, 0.58):
            return SKY if y < 0.45 else HILL
        return GREY
    if in_rect(x, y, 0.40, 0.66, 0.60, 0.76) or in_rect(x, y, 0.22, 0.76, 0.78, 0.88):
        return (190, 190, 190)
    return None


ICONS = {
    "running.ico": running,
    "paused.ico": paused,
    "busy.ico": busy,
    "tab_collection.ico": tab_collection,
    "tab_logo.ico": tab_logo,
    "tab_settings.ico": tab_settings,
    "coll_sort.ico": coll_sort,
    "coll_up.ico": coll_up,
    "coll_down.ico": coll_down,
    "coll_remove.ico": coll_remove,
    "coll_add.ico": coll_add,
}


def render(draw, size):
    """Rows top to bottom of (r, g, b, a)."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(SUPER):
                for sx in range(SUPER):
                    c = draw((px + (sx + 0.5) / SUPER) / size, (py + (sy + 0.5) / SUPER) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append(tuple(round(v / hits) for v in acc) + (round(255 * hits / SUPER ** 2),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def palette():
    """A fixed palette: the 6x6x6 colour cube, then greys."""
    colours = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    colours += [(v, v, v) for v in range(8, 256, 10)][: 256 - len(colours)]
    while len(colours) < 256:
        colours.append((0, 0, 0))
    return colours


PALETTE = palette()


def nearest(c):
    best, best_d = 0, None
    for i, p in enumerate(PALETTE):
        d = (p[0] - c[0]) ** 2 + (p[1] - c[1]) ** 2 + (p[2] - c[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def mask_bytes(rows, size):
    """The 1-bit AND mask, bottom-up, rows padded to 32 bits."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def header(size, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def image32(rows, size):
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    return header(size, 32, 0) + bytes(pixels) + mask_bytes(rows, size)


def image8(rows, size):
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    stride = (size + 3) & ~3
    pixels = bytearray()
    cache = {}
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a >= 128:
                key = (r, g, b)
                if key not in cache:
                    cache[key] = nearest(key)
                line[x] = cache[key]
        pixels += line
    return header(size, 8, 256) + pal + bytes(pixels) + mask_bytes(rows, size)


def ico(draw):
    images = []
    for size in (16, 20, 24, 28, 32, 48):
        rows = render(draw, size)
        images.append((size, 32, image32(rows, size)))
        images.append((size, 8, image8(rows, size)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        colours = 0 if bits >= 8 else 1 << bits
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return out


def sample_bitmap(draw, size=32):
    """A 24-bit BMP twice as wide as tall: the picture on the left (black
    outside the icon), its mask on the right (white where the icon is)."""
    rows = render(draw, size)
    stride = (size * 2 * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a >= 128:
                line[3 * x:3 * x + 3] = bytes((b, g, r))
                line[3 * (size + x):3 * (size + x) + 3] = b"\xff\xff\xff"
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, size * 2, size, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    return struct.pack("<HIHHI", 0x4D42, 14 + len(info) + len(pixels), 0, 0, 14 + len(info)) + info + bytes(pixels)


def main():
    target = Path(sys.argv[1] if len(sys.argv) > 1 else "resources/icons")
    target.mkdir(parents=True, exist_ok=True)
    for name, draw in ICONS.items():
        (target / name).write_bytes(ico(draw))
    (target / "icon_sample.bmp").write_bytes(sample_bitmap(desktop_icon))


if __name__ == "__main__":
    main()
