#!/usr/bin/env python3
"""Converts an X window dump (xwd, 24- or 32-bit TrueColor) to a PNG file.

Usage: xwd2png.py IN.xwd OUT.png
"""
import struct
import sys
import zlib


def shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def convert(src, dst):
    data = open(src, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    if bits_per_pixel not in (24, 32):
        sys.exit(f"xwd2png: {bits_per_pixel}-bit dumps are not supported")
    pixels = data[header_size + 12 * ncolors:]
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"
    shifts = [shift_of(m) for m in (red_mask, green_mask, blue_mask)]
    rows = bytearray()
    for y in range(height):
        line = pixels[y * bytes_per_line:(y + 1) * bytes_per_line]
        rows.append(0)
        for x in range(width):
            chunk = line[x * step:x * step + step]
            if step == 3:
                chunk += b"\0" if order == "<" else b""
                chunk = chunk if order == "<" else b"\0" + chunk
            (value,) = struct.unpack(order + "I", chunk)
            for mask, shift in zip((red_mask, green_mask, blue_mask), shifts):
                rows.append((value & mask) >> shift)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 6))
    png += chunk(b"IEND", b"")
    open(dst, "wb").write(png)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    convert(sys.argv[1], sys.argv[2])
