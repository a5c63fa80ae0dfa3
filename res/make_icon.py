#!/usr/bin/env python3
"""Draws the program icon and writes it as a Windows .ico file.

Usage: make_icon.py OUTPUT.ico

The icon holds three 32-bit images with an alpha channel, 48x48, 32x32 and
16x16 in that order: a white mouse pointer with a dark outline over a blue
round badge, with amber rings around the pointer's tip for the click. Every
pixel is drawn from shapes sampled on a fine grid, so the edges are
anti-aliased, and the output is the same byte for byte on every run.
"""

import math
import struct
import sys
from dataclasses import dataclass

# Samples per pixel along each axis; 8x8 keeps the soft edges smooth without
# making the build slow.
SUBSAMPLES = 8

# The pointer outline in its own units: tip at the origin, 17.6 units tall.
ARROW = (
    (0.0, 0.0),
    (0.0, 15.5),
    (3.8, 11.9),
    (6.3, 17.6),
    (9.2, 16.4),
    (6.8, 10.9),
    (11.6, 10.9),
)
ARROW_HEIGHT = 17.6

BADGE_TOP = (0x45, 0xA2, 0xFF)
BADGE_BOTTOM = (0x15, 0x5C, 0xD0)
BADGE_RIM = (0x0C, 0x38, 0x80)
RIPPLE = (0xFF, 0xC8, 0x2E)
RIPPLE_OUTER = (0xFF, 0xF4, 0xD0)
POINTER_FILL = (0xFF, 0xFF, 0xFF)
POINTER_SHADE = (0xE4, 0xE9, 0xF0)
POINTER_EDGE = (0x18, 0x1E, 0x28)


@dataclass(frozen=True)
class Layout:
    """Where the parts sit in one image size.

    Positions are fractions of the image width; line widths are in pixels so
    that the small image keeps lines of one whole pixel. The 16x16 image has a
    larger pointer and a single ring, since finer detail is lost there.
    """

    size: int
    tip: tuple          # pointer tip (x, y)
    arrow_height: float
    rings: tuple        # (radius, colour, opacity) around the tip, innermost first
    ring_width: float   # pixels
    outline: float      # pixels
    rim: float          # pixels
    shadow: float       # pixels the pointer's shadow falls right and down; 0 for none


LAYOUTS = (
    Layout(48, (0.40, 0.30), 0.56, ((0.135, RIPPLE, 0.95), (0.245, RIPPLE_OUTER, 0.85)), 2.2, 1.6, 1.6, 1.5),
    Layout(32, (0.40, 0.30), 0.57, ((0.14, RIPPLE, 0.95), (0.25, RIPPLE_OUTER, 0.85)), 1.6, 1.2, 1.1, 1.0),
    Layout(16, (0.375, 0.28125), 0.62, ((0.20, RIPPLE, 1.0),), 1.3, 1.0, 0.0, 0.0),
)

BADGE_CENTRE = (0.5, 0.5)
BADGE_RADIUS = 0.47


def point_in_polygon(x, y, poly):
    inside = False
    count = len(poly)
    for i in range(count):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % count]
        if (y1 > y) != (y2 > y):
            crossing = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
            if x < crossing:
                inside = not inside
    return inside


def distance_to_outline(x, y, poly):
    best = math.inf
    count = len(poly)
    for i in range(count):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % count]
        dx, dy = x2 - x1, y2 - y1
        t = ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)
        t = min(1.0, max(0.0, t))
        best = min(best, math.hypot(x - (x1 + t * dx), y - (y1 + t * dy)))
    return best


def over(dst, colour, alpha):
    """Paints a straight colour with the given opacity over a premultiplied pixel."""
    r, g, b = colour
    return (
        r * alpha + dst[0] * (1.0 - alpha),
        g * alpha + dst[1] * (1.0 - alpha),
        b * alpha + dst[2] * (1.0 - alpha),
        alpha + dst[3] * (1.0 - alpha),
    )


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


class Scene:
    """The icon's shapes for one image size, in that image's pixel coordinates."""

    def __init__(self, layout):
        size = layout.size
        self.layout = layout
        self.centre = (BADGE_CENTRE[0] * size, BADGE_CENTRE[1] * size)
        self.radius = BADGE_RADIUS * size
        self.tip = (layout.tip[0] * size, layout.tip[1] * size)
        scale = layout.arrow_height * size / ARROW_HEIGHT
        self.arrow = tuple((self.tip[0] + ax * scale, self.tip[1] + ay * scale) for ax, ay in ARROW)
        self.arrow_top = self.tip[1]
        self.arrow_bottom = max(y for _, y in self.arrow)
        self.rings = tuple((r * size, colour, opacity) for r, colour, opacity in layout.rings)

    def sample(self, x, y):
        """The premultiplied colour (r, g, b, alpha) of the scene at one point."""
        lay = self.layout
        pixel = (0.0, 0.0, 0.0, 0.0)

        from_centre = math.hypot(x - self.centre[0], y - self.centre[1])
        if from_centre <= self.radius:
            depth = (y - (self.centre[1] - self.radius)) / (2.0 * self.radius)
            inside_rim = from_centre <= self.radius - lay.rim
            pixel = over(pixel, mix(BADGE_TOP, BADGE_BOTTOM, depth) if inside_rim else BADGE_RIM, 1.0)
            if inside_rim:
                from_tip = math.hypot(x - self.tip[0], y - self.tip[1])
                for radius, colour, opacity in self.rings:
                    if abs(from_tip - radius) <= lay.ring_width / 2.0:
                        pixel = over(pixel, colour, opacity)

        if lay.shadow > 0.0:
            sx, sy = x - lay.shadow, y - lay.shadow
            if point_in_polygon(sx, sy, self.arrow) or distance_to_outline(sx, sy, self.arrow) <= lay.outline:
                pixel = over(pixel, (0, 0, 0), 0.30)

        inside = point_in_polygon(x, y, self.arrow)
        if inside or distance_to_outline(x, y, self.arrow) <= lay.outline:
            if inside:
                # A faint shade towards the tail gives the pointer some body.
                t = (y - self.arrow_top) / (self.arrow_bottom - self.arrow_top)
                pixel = over(pixel, mix(POINTER_FILL, POINTER_SHADE, t), 1.0)
            else:
                pixel = over(pixel, POINTER_EDGE, 1.0)
        return pixel


def render(layout):
    """Rows of straight (b, g, r, a) pixels, top row first."""
    scene = Scene(layout)
    size = layout.size
    offsets = [(i + 0.5) / SUBSAMPLES for i in range(SUBSAMPLES)]
    count = SUBSAMPLES * SUBSAMPLES
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for oy in offsets:
                for ox in offsets:
                    sr, sg, sb, sa = scene.sample(px + ox, py + oy)
                    r += sr
                    g += sg
                    b += sb
                    a += sa
            alpha = round(255.0 * a / count)
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                # .ico images carry straight, not premultiplied, colour.
                row.append(tuple(min(255, round(c / a)) for c in (b, g, r)) + (alpha,))
        rows.append(row)
    return rows


def encode_image(rows):
    """One image as stored in an .ico: BITMAPINFOHEADER, BGRA pixels, AND mask."""
    size = len(rows)
    mask_stride = (size + 31) // 32 * 4
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom row first
        for pixel in row:
            pixels += bytes(pixel)
        bits = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                        # biSize
        size,                      # biWidth
        2 * size,                  # biHeight: the colour bitmap and the mask together
        1,                         # biPlanes
        32,                        # biBitCount
        0,                         # biCompression: BI_RGB
        len(pixels) + len(mask),   # biSizeImage
        0, 0, 0, 0,
    )
    return header + bytes(pixels) + bytes(mask)


def build_icon():
    images = [encode_image(render(layout)) for layout in LAYOUTS]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for layout, image in zip(LAYOUTS, images):
        directory += struct.pack("<BBBBHHII", layout.size, layout.size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def main(argv):
    if len(argv) != 2:
        print("usage: make_icon.py OUTPUT.ico", file=sys.stderr)
        return 2
    with open(argv[1], "wb") as out:
        out.write(build_icon())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
