#!/usr/bin/env python3
"""Tells what a screenshot of the full-screen saver shows, in terms of its own images.

    screen.py ASSETS SHOT.ppm

ASSETS is the folder with logo.bmp, logo_mask.bmp and picture_NNN.bmp; SHOT a binary PPM
of the whole screen. Prints one line:

    black                                  nothing but black
    logo=X,Y                               black and the logo at (X, Y)
    picture=NNN@X,Y                        black and picture NNN, whole, at (X, Y)
    picture=NNN@X,Y logo=X,Y               both, the logo laid over the picture
    other box=X,Y,W,H                      anything else, with the box around what is not black

A description is given only when the screen equals that composition pixel for pixel:
black, the picture copied whole, the logo laid on with dest = (dest AND mask) OR logo.
Stdlib only.
"""

import glob
import os
import struct
import sys

BLACK = b"\0\0\0"
SEGMENT = 12  # pixels in a probe: long enough to occur by chance nowhere else


def read_bmp(path):
    """(width, height, rows): rows top-down as RGB bytes; 8-bit paletted or 24-bit."""
    with open(path, "rb") as file:
        data = file.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    header, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    bottom_up = height > 0
    height = abs(height)
    stride = (width * bits + 31) // 32 * 4
    if bits == 8:
        colours = struct.unpack_from("<I", data, 14 + 32)[0] or 256
        table = data[14 + header:14 + header + 4 * colours]
        palette = [bytes((table[4 * i + 2], table[4 * i + 1], table[4 * i])) for i in range(colours)]
    elif bits != 24:
        raise SystemExit(f"{path}: {bits} bits per pixel is not supported")
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y if bottom_up else y) * stride
        if bits == 8:
            rows.append(b"".join(palette[i] for i in data[start:start + width]))
        else:
            raw = data[start:start + 3 * width]
            row = bytearray(raw)
            row[0::3], row[2::3] = raw[2::3], raw[0::3]
            rows.append(bytes(row))
    return width, height, rows


def read_ppm(path):
    with open(path, "rb") as file:
        data = file.read()
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise SystemExit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position + 1:position + 1 + 3 * width * height]
    return width, height, pixels


class Image:
    def __init__(self, name, width, height, rows, mask=None):
        self.name, self.width, self.height, self.rows, self.mask = name, width, height, rows, mask

    def probes(self):
        """(x, y, bytes) segments spread over the image, each of more than one colour;
        for the logo only where it is opaque, since elsewhere the background shows."""
        result = []
        for fy in (0.02, 0.25, 0.5, 0.75, 0.97):
            for fx in (0.02, 0.3, 0.6, 0.9):
                x = min(int(self.width * fx), self.width - SEGMENT)
                y = min(int(self.height * fy), self.height - 1)
                segment = self.rows[y][3 * x:3 * (x + SEGMENT)]
                if self.mask and self.mask[y][3 * x:3 * (x + SEGMENT)] != BLACK * SEGMENT:
                    continue
                if segment != segment[:3] * SEGMENT:
                    result.append((x, y, segment))
        return result


def find(screen, width, image):
    """Top-left corners where any probe of the image occurs on the screen."""
    stride = 3 * width
    places = set()
    for x, y, segment in image.probes():
        index = screen.find(segment)
        while index >= 0:
            if index % 3 == 0 and index % stride + len(segment) <= stride:
                places.add((index % stride // 3 - x, index // stride - y))
            index = screen.find(segment, index + 1)
    return sorted(places)


def compose(width, height, picture, logo):
    canvas = [bytearray(BLACK * width) for _ in range(height)]
    for image, (left, top) in filter(lambda layer: layer[0], (picture, logo)):
        x0, x1 = max(left, 0), min(left + image.width, width)
        if x0 >= x1:
            continue
        for y in range(max(top, 0), min(top + image.height, height)):
            source = image.rows[y - top][3 * (x0 - left):3 * (x1 - left)]
            if image.mask:
                mask = image.mask[y - top][3 * (x0 - left):3 * (x1 - left)]
                under = int.from_bytes(canvas[y][3 * x0:3 * x1], "big")
                source = ((under & int.from_bytes(mask, "big")) |
                          int.from_bytes(source, "big")).to_bytes(len(mask), "big")
            canvas[y][3 * x0:3 * x1] = source
    return b"".join(canvas)


def describe(assets, shot):
    width, height, screen = read_ppm(shot)
    logo = Image("logo", *read_bmp(os.path.join(assets, "logo.bmp")),
                 mask=read_bmp(os.path.join(assets, "logo_mask.bmp"))[2])
    pictures = [Image(os.path.basename(path)[8:11], *read_bmp(path))
                for path in sorted(glob.glob(os.path.join(assets, "picture_*.bmp")))]

    logo_places = [(logo, place) for place in find(screen, width, logo)]
    picture_places = [(picture, place) for picture in pictures
                      for place in find(screen, width, picture)]
    for picture in [(None, None)] + picture_places:
        for logo_place in [(None, None)] + logo_places:
            if compose(width, height, picture, logo_place) == screen:
                words = []
                if picture[0]:
                    words.append("picture=%s@%d,%d" % ((picture[0].name,) + picture[1]))
                if logo_place[0]:
                    words.append("logo=%d,%d" % logo_place[1])
                return " ".join(words) or "black"

    rows = [y for y in range(height)
            if screen[3 * width * y:3 * width * (y + 1)] != BLACK * width]
    if not rows:
        return "black"
    left, right = width, 0
    for y in rows:
        row = screen[3 * width * y:3 * width * (y + 1)]
        left = min(left, (len(row) - len(row.lstrip(b"\0"))) // 3)
        right = max(right, (len(row.rstrip(b"\0")) + 2) // 3)
    return "other box=%d,%d,%d,%d" % (left, rows[0], right - left, rows[-1] - rows[0] + 1)

if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    print(describe(sys.argv[1], sys.argv[2]))
