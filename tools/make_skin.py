#!/usr/bin/env python3
"""Builds the product's default skin and the program's icon strip.

  make_skin.py skin SKIN_DIR OUT_DIR   ui.dat (code page 936, CR LF), one
                                       header picture per page, the footer
                                       and the icon strip, into OUT_DIR
  make_skin.py strip OUT.bmp           the icon strip alone (bitmap 129)

The skin's text is kept as UTF-8 with LF line ends in the source tree so that
it diffs and edits like any other source; the program reads it as code page
936, so it is converted here. Pictures are 24-bit uncompressed BMP files;
pure white is transparent where the program draws them, so white appears
only where the page background should show.
"""
import math
import os
import struct
import sys

BLUE = (30, 120, 200)  # the program icon's disc
FOOTER = (240, 244, 248)
FOOTER_RULE = (214, 224, 236)
EMBLEM_DISC = (250, 252, 254)  # near-white: drawn, not transparent
PAGE_EMBLEMS = ("list", "download", "check", "gear")  # pages 0 to 3
FRAME = 16
STRIP_FRAMES = 4


def write_bmp(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b), y from the top."""
    pad = b"\0" * ((4 - width * 3 % 4) % 4)
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row) + pad)
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + bits)


def read_ppm(path):
    """A binary PPM (P6, 8 bits a channel) as (width, height, rows of RGB tuples)."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        sys.exit(f"{path}: truncated")
    return width, height, [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
                           for y in range(height)]


# Emblem shapes in coordinates -1..1 across the emblem disc, y downwards.
def _segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def _list(u, v):
    for row in (-0.4, 0.0, 0.4):
        if abs(v - row) < 0.09 and -0.28 < u < 0.5:
            return True
        if math.hypot(u + 0.45, v - row) < 0.1:
            return True
    return False


def _download(u, v):
    shaft = abs(u) < 0.1 and -0.55 < v < 0.1
    head = -0.05 <= v < 0.38 and abs(u) < (0.38 - v) * 0.95
    tray = 0.5 < v < 0.62 and abs(u) < 0.5
    return shaft or head or tray


def _check(u, v):
    return min(_segment_distance(u, v, -0.45, 0.02, -0.12, 0.36),
               _segment_distance(u, v, -0.12, 0.36, 0.48, -0.34)) < 0.11


def _gear(u, v):
    r = math.hypot(u, v)
    if r < 0.2:
        return False  # the hub's hole
    tooth = math.cos(8 * math.atan2(v, u)) > 0.35
    return r < (0.58 if tooth else 0.44)


SHAPES = {"list": _list, "download": _download, "check": _check, "gear": _gear}


def header(source, emblem):
    """The banner with a near-white disc at its right carrying the page's emblem in blue."""
    width, height, rows = source
    cx, cy, radius = width - 44, height // 2 - 1, 22
    shape = SHAPES[emblem]
    samples = 4  # per side, for smooth edges

    def pixel(x, y):
        base = rows[y][x]
        if abs(x - cx) > radius + 1 or abs(y - cy) > radius + 1:
            return base
        disc = mark = 0
        for i in range(samples):
            for j in range(samples):
                sx = x + (i + 0.5) / samples - 0.5 - cx
                sy = y + (j + 0.5) / samples - 0.5 - cy
                if math.hypot(sx, sy) <= radius:
                    disc += 1
                    if shape(sx / (radius * 0.78), sy / (radius * 0.78)):
                        mark += 1
        n = samples * samples
        a, m = disc / n, mark / n
        inner = tuple(EMBLEM_DISC[k] * (1 - m / a) + BLUE[k] * (m / a) if a else 0 for k in range(3))
        return tuple(int(round(base[k] * (1 - a) + inner[k] * a)) for k in range(3))

    return width, height, pixel


def strip_pixel(x, y):
    """The program icon's disc with its arrow sliding down one step per frame; black is transparent."""
    frame, x = divmod(x, FRAME)
    c, r = (FRAME - 1) / 2.0, FRAME / 2.0 - 0.5
    if (x - c) ** 2 + (y - c) ** 2 > r * r:
        return (0, 0, 0)
    u, v = x / FRAME, (y - 2 * frame + 3) / FRAME
    shaft = abs(u - 0.5) < 0.09 and 0.18 < v < 0.58
    head = 0.5 <= v < 0.8 and abs(u - 0.5) < (0.8 - v) * 0.9
    return (255, 255, 255) if shaft or head else BLUE


def write_strip(path):
    write_bmp(path, FRAME * STRIP_FRAMES, FRAME, strip_pixel)


def write_text(src, dst):
    with open(src, encoding="utf-8") as f:
        text = f.read()
    with open(dst, "wb") as f:
        f.write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("gbk"))


def build_skin(skin_dir, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    source = read_ppm(os.path.join(skin_dir, "header-source.ppm"))
    for page, emblem in enumerate(PAGE_EMBLEMS):
        write_bmp(os.path.join(out_dir, f"header{page}.bmp"), *header(source, emblem))
    write_bmp(os.path.join(out_dir, "footer.bmp"), source[0], 48,
              lambda x, y: FOOTER_RULE if y == 0 else FOOTER)
    write_strip(os.path.join(out_dir, "icons.bmp"))
    write_text(os.path.join(skin_dir, "ui.dat"), os.path.join(out_dir, "ui.dat"))


def main(argv):
    if len(argv) == 4 and argv[1] == "skin":
        build_skin(argv[2], argv[3])
    elif len(argv) == 3 and argv[1] == "strip":
        write_strip(argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
