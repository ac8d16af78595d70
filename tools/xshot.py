#!/usr/bin/env python3
"""Writes a PNG picture of the X screen as it shows now.

Usage: xshot.py OUT.png [X Y WIDTH HEIGHT]

Reads the root window's pixels straight from the X server (libX11 through
ctypes, nothing to install), so windows stacked over others come out as the
screen shows them; xwd's root dumps leave some of them black on a virtual
display. The display is $DISPLAY; 24-bit TrueColor screens only.
"""
import ctypes
import os
import struct
import sys
import zlib


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


def grab(name, rect):
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                              ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    display = x11.XOpenDisplay(name.encode() if name else None)
    if not display:
        sys.exit(f"xshot: cannot open display {name!r}")
    if rect is None:
        rect = (0, 0, x11.XDisplayWidth(display, 0), x11.XDisplayHeight(display, 0))
    left, top, width, height = rect
    z_pixmap = 2
    image = x11.XGetImage(display, x11.XDefaultRootWindow(display), left, top, width, height, 0xFFFFFFFF, z_pixmap)
    if not image:
        sys.exit("xshot: the server gave no image of that rectangle")
    im = image.contents
    if im.bits_per_pixel != 32:
        sys.exit(f"xshot: {im.bits_per_pixel}-bit screens are not supported")
    raw = ctypes.string_at(im.data, im.bytes_per_line * height)
    shifts = [(m & -m).bit_length() - 1 for m in (im.red_mask, im.green_mask, im.blue_mask)]
    masks = (im.red_mask, im.green_mask, im.blue_mask)
    rows = bytearray()
    for y in range(height):
        line = raw[y * im.bytes_per_line:y * im.bytes_per_line + 4 * width]
        rows.append(0)
        for (value,) in struct.iter_unpack("<I", line):
            for mask, shift in zip(masks, shifts):
                rows.append((value & mask) >> shift)
    return width, height, bytes(rows)


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 6))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 6):
        sys.exit(__doc__)
    rect = tuple(int(v) for v in sys.argv[2:6]) if len(sys.argv) == 6 else None
    write_png(sys.argv[1], *grab(os.environ.get("DISPLAY", ""), rect))
