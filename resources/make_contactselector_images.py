#!/usr/bin/env python3
"""Draws the recipient selector's row icons and the help button's picture.
Run once when the pictures change; the outputs are committed.

    python3 resources/make_contactselector_images.py

Icons (16, 24 and 32 pixels, 32 bits per pixel with an AND mask): a contact,
a distribution list, a mobile number and another number. The help picture is
one 20 by 20 image, 24 bits per pixel, on the mask colour RGB(212, 208, 200).
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MASK = (212, 208, 200)
BLUE = (30, 90, 180)
DARK = (40, 40, 40)
SKIN = (240, 200, 160)
GREEN = (0, 140, 70)
GREY = (110, 110, 110)
WHITE = (255, 255, 255)


def person(x, y, cx, cy, scale, shirt):
    """A head and shoulders centred on (cx, cy), in unit coordinates."""
    if (x - cx) ** 2 + (y - cy + 0.18 * scale) ** 2 <= (0.16 * scale) ** 2:
        return SKIN
    if y > cy + 0.02 * scale and (x - cx) ** 2 / (0.3 * scale) ** 2 + (y - cy - 0.36 * scale) ** 2 / (
            0.34 * scale) ** 2 <= 1 and y < cy + 0.42 * scale:
        return shirt
    return None


def contact(x, y):
    return person(x, y, 0.5, 0.45, 1.6, BLUE)


def distribution_list(x, y):
    return person(x, y, 0.62, 0.42, 1.1, GREEN) or person(x, y, 0.36, 0.52, 1.1, BLUE)


def mobile(x, y):
    if 0.3 <= x <= 0.7 and 0.08 <= y <= 0.92:
        if 0.36 <= x <= 0.64 and 0.18 <= y <= 0.62:
            return (170, 220, 250)
        if (x - 0.5) ** 2 + (y - 0.77) ** 2 <= 0.06 ** 2:
            return GREY
        return DARK
    return None


def other_number(x, y):
    if 0.12 <= x <= 0.88 and 0.5 <= y <= 0.88:
        return GREY
    if 0.08 <= x <= 0.92 and 0.22 <= y <= 0.36:
        return DARK
    if (0.08 <= x <= 0.25 or 0.75 <= x <= 0.92) and 0.36 <= y <= 0.5:
        return DARK
    if (x - 0.5) ** 2 + (y - 0.68) ** 2 <= 0.1 ** 2:
        return WHITE
    return None


def help_picture(x, y):
    r = math.hypot(x - 0.5, y - 0.5)
    if r > 0.47:
        return None
    # A question mark: an arc, a stem and a dot.
    arc = abs(math.hypot(x - 0.5, y - 0.38) - 0.15) <= 0.055 and not (y > 0.38 and x < 0.5)
    stem = 0.45 <= x <= 0.56 and 0.5 <= y <= 0.66
    dot = (x - 0.5) ** 2 + (y - 0.79) ** 2 <= 0.065 ** 2
    return WHITE if arc or stem or dot else BLUE


def render(draw, size):
    """Rows top first; None where the picture is transparent."""
    samples = 3
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = []
            for sy in range(samples):
                for sx in range(samples):
                    hits.append(draw((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size))
            coloured = [h for h in hits if h is not None]
            if len(coloured) * 2 < len(hits):
                row.append(None)
            else:
                row.append(tuple(sum(c[i] for c in coloured) // len(coloured) for i in range(3)))
        rows.append(row)
    return rows


def icon_image(rows):
    size = len(rows)
    xor = b""
    for row in reversed(rows):
        for pixel in row:
            if pixel is None:
                xor += b"\0\0\0\0"
            else:
                xor += struct.pack("<BBBB", pixel[2], pixel[1], pixel[0], 255)
    stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel is None:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def write_icon(name, draw):
    images = [icon_image(render(draw, size)) for size in (16, 24, 32)]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip((16, 24, 32), images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(directory + entries + b"".join(images))


def write_bmp24(name, draw, size):
    rows = render(draw, size)
    stride = (size * 3 + 3) & ~3
    data = b""
    for row in reversed(rows):
        line = b"".join(struct.pack("<BBB", *reversed(p if p else MASK)) for p in row)
        data += line + b"\0" * (stride - len(line))
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    write_icon("SelectorContact.ico", contact)
    write_icon("SelectorDistributionList.ico", distribution_list)
    write_icon("SelectorMobileNumber.ico", mobile)
    write_icon("SelectorOtherNumber.ico", other_number)
    write_bmp24("HelpButton.bmp", help_picture, 20)
