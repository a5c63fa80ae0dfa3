#!/usr/bin/env python3
"""Checks the program icon that the build generates.

Usage: check_icon.py ICON.ico [--generator make_icon.py]

Reads the .ico on its own terms (it shares no code with the generator) and
checks the layout Windows expects: three 32-bit images, 48, 32 and 16 pixels,
each a BITMAPINFOHEADER, bottom-up BGRA pixels and an AND mask that agrees with
the alpha channel. It also checks that the images are drawn the right way up
with real transparency, and, given the generator, that running it again gives
the same bytes.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import unittest

# Image size and the bytes it takes: header, 4 bytes a pixel, and a 1-bit mask
# whose rows are padded to 32 bits.
EXPECTED_IMAGES = ((48, 40 + 48 * 48 * 4 + 8 * 48),
                   (32, 40 + 32 * 32 * 4 + 4 * 32),
                   (16, 40 + 16 * 16 * 4 + 4 * 16))
EXPECTED_FILE_SIZE = 15086
DIRECTORY_SIZE = 6 + 16 * len(EXPECTED_IMAGES)

ICON_PATH = None
GENERATOR_PATH = None


def parse_icon(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    entries = []
    for i in range(count):
        fields = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        entries.append(dict(zip(
            ("width", "height", "colours", "reserved", "planes", "bits", "bytes", "offset"), fields)))
    return {"reserved": reserved, "type": kind, "entries": entries}


def parse_image(data, entry):
    """The header fields, the pixels as (b, g, r, a) rows top row first, and the mask bits likewise."""
    offset = entry["offset"]
    names = ("size", "width", "height", "planes", "bits", "compression", "image_size",
             "x_ppm", "y_ppm", "colours_used", "colours_important")
    header = dict(zip(names, struct.unpack_from("<IiiHHIIiiII", data, offset)))
    width = header["width"]
    height = header["height"] // 2
    pixels_at = offset + header["size"]
    mask_at = pixels_at + width * height * 4
    mask_stride = (width + 31) // 32 * 4
    pixels, mask = [], []
    for y in range(height):
        row = pixels_at + y * width * 4
        pixels.append([tuple(data[row + 4 * x:row + 4 * x + 4]) for x in range(width)])
        bits = data[mask_at + y * mask_stride:mask_at + (y + 1) * mask_stride]
        mask.append([bool(bits[x // 8] & (0x80 >> (x % 8))) for x in range(width)])
    pixels.reverse()
    mask.reverse()
    return header, pixels, mask


def is_light(p):
    return p[3] == 255 and min(p[:3]) >= 0xD0


def is_dark(p):
    return p[3] == 255 and max(p[:3]) <= 0x50


def is_blue(p):
    b, _, r, a = p
    return a == 255 and b >= 0x90 and b - r >= 0x60


def is_amber(p):
    b, g, r, a = p
    return a == 255 and r >= 0xC0 and g >= 0x90 and r - b >= 0x50


class IconTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(ICON_PATH, "rb") as f:
            cls.data = f.read()
        cls.icon = parse_icon(cls.data)

    def images(self):
        """(size, header, pixels, mask) for each image the directory lists."""
        return [(entry["width"],) + parse_image(self.data, entry) for entry in self.icon["entries"]]

    def test_file_size(self):
        self.assertEqual(len(self.data), EXPECTED_FILE_SIZE)

    def test_directory(self):
        self.assertEqual(self.icon["reserved"], 0)
        self.assertEqual(self.icon["type"], 1, "type 1 is an icon, 2 a cursor")
        entries = self.icon["entries"]
        self.assertEqual([(e["width"], e["height"]) for e in entries],
                         [(size, size) for size, _ in EXPECTED_IMAGES])
        offset = DIRECTORY_SIZE
        for (size, length), entry in zip(EXPECTED_IMAGES, entries):
            with self.subTest(size=size):
                self.assertEqual((entry["colours"], entry["reserved"]), (0, 0))
                self.assertEqual((entry["planes"], entry["bits"]), (1, 32))
                self.assertEqual(entry["bytes"], length)
                self.assertEqual(entry["offset"], offset, "images follow one another without gaps")
            offset += length
        self.assertEqual(offset, len(self.data), "the last image ends the file")

    def test_image_headers(self):
        for size, header, _, _ in self.images():
            with self.subTest(size=size):
                self.assertEqual(header["size"], 40, "BITMAPINFOHEADER")
                self.assertEqual((header["width"], header["height"]), (size, 2 * size),
                                 "the height counts the colour bitmap and the mask")
                self.assertEqual((header["planes"], header["bits"], header["compression"]), (1, 32, 0))
                self.assertIn(header["image_size"], (0, size * size * 4 + (size + 31) // 32 * 4 * size))
                self.assertEqual((header["colours_used"], header["colours_important"]), (0, 0))

    def test_transparency(self):
        for size, _, pixels, _ in self.images():
            with self.subTest(size=size):
                corners = [pixels[y][x][3] for y in (0, size - 1) for x in (0, size - 1)]
                self.assertEqual(corners, [0, 0, 0, 0], "the round badge leaves the corners clear")
                middle = size // 2
                self.assertEqual(pixels[middle][middle][3], 255)
                alphas = [p[3] for row in pixels for p in row]
                opaque = alphas.count(255)
                self.assertGreater(opaque, size * size // 2)
                partial = sum(1 for a in alphas if 0 < a < 255)
                self.assertGreaterEqual(partial, size, "the badge's edge is anti-aliased")

    def test_mask_matches_alpha(self):
        for size, _, pixels, mask in self.images():
            with self.subTest(size=size):
                wrong = [(x, y) for y in range(size) for x in range(size)
                         if mask[y][x] != (pixels[y][x][3] == 0)]
                self.assertEqual(wrong, [], "mask bits are set exactly where alpha is 0")

    def test_artwork(self):
        for size, _, pixels, _ in self.images():
            with self.subTest(size=size):
                flat = [p for row in pixels for p in row]
                self.assertGreaterEqual(sum(map(is_light, flat)), size * size // 20, "white pointer")
                self.assertGreaterEqual(sum(map(is_dark, flat)), size * size // 40, "pointer outline")
                self.assertGreaterEqual(sum(map(is_blue, flat)), size * size // 5, "blue badge")
                # The ripple sits round the pointer's tip, up and to the left; this
                # also catches images stored top-down or with red and blue swapped.
                ripple = [(x, y) for y in range(size) for x in range(size) if is_amber(pixels[y][x])]
                self.assertGreaterEqual(len(ripple), size // 4, "click ripple")
                mean_x = sum(x for x, _ in ripple) / len(ripple)
                mean_y = sum(y for _, y in ripple) / len(ripple)
                self.assertLess(mean_x, size / 2)
                self.assertLess(mean_y, size / 2)

    def test_generator_reproduces_icon(self):
        if not GENERATOR_PATH:
            self.skipTest("no generator given")
        with tempfile.TemporaryDirectory() as tmp:
            outputs = []
            for name in ("first.ico", "second.ico"):
                path = os.path.join(tmp, name)
                subprocess.run([sys.executable, GENERATOR_PATH, path], check=True)
                with open(path, "rb") as f:
                    outputs.append(f.read())
        self.assertEqual(outputs[0], outputs[1], "two runs give the same bytes")
        self.assertEqual(outputs[0], self.data, "the built icon is up to date")


def main():
    global ICON_PATH, GENERATOR_PATH
    parser = argparse.ArgumentParser(description="Checks the generated program icon.")
    parser.add_argument("icon")
    parser.add_argument("--generator")
    args = parser.parse_args()
    ICON_PATH = args.icon
    GENERATOR_PATH = args.generator
    program = unittest.main(argv=[sys.argv[0], "-v"], exit=False)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
