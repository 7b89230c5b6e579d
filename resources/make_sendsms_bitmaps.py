#!/usr/bin/env python3
"""Draws the Send SMS window's toolbar strips, band background, logo and
icon. Run once when the glyphs change; the outputs are committed.

    python3 resources/make_sendsms_bitmaps.py

Toolbar strips hold eight square images side by side, 8 bits per pixel, on
the grey that toolbars map to the button face: send, options, help, schedule,
delivery reports, advanced (closed), advanced (open), spare.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

FACE = (192, 192, 192)
PALETTE = [FACE, (0, 0, 0), (0, 90, 170), (255, 255, 255), (0, 150, 60), (200, 40, 40), (120, 120, 120),
           (240, 200, 40)]
GREY_BAND = [(236 - i, 240 - i, 248 - i // 2) for i in range(0, 48, 2)]


def bmp8(width, height, pixels, palette):
    """pixels[y][x] palette indexes, top row first."""
    stride = (width + 3) & ~3
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    table += b"\0" * (4 * (256 - len(palette)))
    rows = b""
    for y in range(height - 1, -1, -1):
        row = bytes(pixels[y])
        rows += row + b"\0" * (stride - width)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    return header + info + table + rows


def glyph(kind, size):
    """One size x size image as palette indexes."""
    img = [[0] * size for _ in range(size)]
    s = size / 19.0

    def put(x, y, colour):
        xi, yi = int(x), int(y)
        if 0 <= xi < size and 0 <= yi < size:
            img[yi][xi] = colour

    def rect(x0, y0, x1, y1, colour, fill=None):
        x0, y0, x1, y1 = int(x0 * s), int(y0 * s), int(x1 * s), int(y1 * s)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    put(x, y, colour)
                elif fill is not None:
                    put(x, y, fill)

    def line(x0, y0, x1, y1, colour):
        x0, y0, x1, y1 = x0 * s, y0 * s, x1 * s, y1 * s
        steps = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(steps + 1):
            t = i / steps
            put(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, colour)

    def path(colour, *points):
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            line(x0, y0, x1, y1, colour)

    def circle(cx, cy, r, colour, fill=None):
        for y in range(size):
            for x in range(size):
                d = ((x + 0.5) / s - cx) ** 2 + ((y + 0.5) / s - cy) ** 2
                if abs(d ** 0.5 - r) < 0.7:
                    img[y][x] = colour
                elif fill is not None and d ** 0.5 < r:
                    img[y][x] = fill

    if kind == "send":
        rect(2, 5, 14, 14, 1, 3)
        path(1, (2, 5), (8, 10), (14, 5))
        path(4, (12, 2), (17, 2), (15, 0))
        path(4, (17, 2), (15, 4))
    elif kind == "options":
        circle(9, 9, 6, 6, 3)
        circle(9, 9, 2.5, 2)
        for (x0, y0, x1, y1) in ((9, 1, 9, 3), (9, 15, 9, 17), (1, 9, 3, 9), (15, 9, 17, 9)):
            line(x0, y0, x1, y1, 6)
    elif kind == "help":
        circle(9, 9, 8, 2, 2)
        path(3, (7, 6), (9, 4), (11, 6), (9, 9), (9, 11))
        rect(9, 13, 9, 14, 3)
    elif kind == "schedule":
        circle(9, 9, 7.5, 1, 3)
        path(1, (9, 4), (9, 9))
        path(5, (9, 9), (13, 9))
    elif kind == "reports":
        rect(3, 2, 15, 16, 1, 3)
        path(4, (5, 9), (8, 13), (13, 5))
    elif kind in ("advanced_closed", "advanced_open"):
        # Two chevrons, pointing down while the row is closed, up when open.
        tip, wing = (5, 0) if kind == "advanced_closed" else (0, 5)
        for top in (6, 9):
            path(1, (4, top + wing), (9, top + tip), (14, top + wing))
    elif kind == "spare":
        circle(9, 9, 3, 7, 7)
    return img


KINDS = ["send", "options", "help", "schedule", "reports", "advanced_closed", "advanced_open", "spare"]


def strip(size, width):
    """The images left-aligned in a strip of the given width (the 28-pixel
    strip is a few pixels wider than its images)."""
    images = [glyph(kind, size) for kind in KINDS]
    pixels = [sum((image[y] for image in images), []) for y in range(size)]
    pixels = [row + [0] * (width - len(row)) for row in pixels]
    return bmp8(width, size, pixels, PALETTE)


def band_background():
    width, height = 8, 48
    pixels = [[y // 2] * width for y in range(height)]
    return bmp8(width, height, pixels, GREY_BAND)


def logo():
    width, height = 20, 17
    img = glyph("send", 19)
    pixels = [[0] * width for _ in range(height)]
    for y in range(height):
        for x in range(min(width, 19)):
            pixels[y][x] = img[y][x]
    return bmp8(width, height, pixels, PALETTE)


def icon_image(size):
    """A speech bubble, 32 bits per pixel with its AND mask."""
    s = size / 16.0
    rgba = []
    for y in range(size - 1, -1, -1):
        for x in range(size):
            fx, fy = (x + 0.5) / s, (y + 0.5) / s
            inside = ((fx - 8) / 7) ** 2 + ((fy - 6.5) / 5.5) ** 2 <= 1 or (3 <= fx <= 6 and 10 <= fy <= 15 - (fx - 3))
            if inside:
                edge = ((fx - 8) / 6) ** 2 + ((fy - 6.5) / 4.5) ** 2 > 1 and fy < 12
                r, g, b = (0, 60, 130) if edge else (0, 110, 200)
                if (4 <= fx <= 12 and abs(fy - 5) < 0.7) or (4 <= fx <= 10 and abs(fy - 8) < 0.7):
                    r, g, b = 255, 255, 255
                rgba.append(struct.pack("<BBBB", b, g, r, 255))
            else:
                rgba.append(b"\0\0\0\0")
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return info + b"".join(rgba) + mask


def icon():
    images = [icon_image(16), icon_image(32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    outputs = {
        "SendSMSToolbar19.bmp": strip(19, 152),
        "SendSMSToolbar28.bmp": strip(28, 228),
        "SendSMSToolbar38.bmp": strip(38, 304),
        "ToolbarBackground.bmp": band_background(),
        "SendSMSLogo.bmp": logo(),
        "SendSMS.ico": icon(),
    }
    for name, data in outputs.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
