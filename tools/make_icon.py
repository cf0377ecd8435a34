#!/usr/bin/env python3
"""Draws the program icon (res/update.ico): a blue disc with a white down arrow,
32x32 and 16x16, 32-bit colour with alpha."""
import struct
import sys


def image(size):
    pixels = []
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    for y in range(size - 1, -1, -1):  # bottom-up rows
        for x in range(size):
            dx, dy = x - c, y - c
            inside = dx * dx + dy * dy <= r * r
            u, v = x / size, y / size
            shaft = abs(u - 0.5) < 0.09 and 0.18 < v < 0.58
            head = 0.5 <= v < 0.8 and abs(u - 0.5) < (0.8 - v) * 0.9
            if not inside:
                pixels.append(b"\0\0\0\0")
            elif shaft or head:
                pixels.append(bytes((255, 255, 255, 255)))
            else:
                pixels.append(bytes((200, 120, 30, 255)))  # BGRA
    xor = b"".join(pixels)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * mask_row * size
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main(path):
    sizes = [32, 16]
    blobs = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, b in zip(sizes, blobs):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(b), offset)
        offset += len(b)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/update.ico")
