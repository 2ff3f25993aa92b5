#!/usr/bin/python3
"""Draws every picture, icon and cursor that Velmora's window definitions embed.

    /usr/bin/python3 resources/pictures/make_pictures.py

Needs Debian's python3-pil, fonts-wine (Tahoma) and fonts-dejavu-core. All artwork is drawn
here from geometry, gradients and text; random details are seeded, so every run writes the
same files into the folder of this script.
"""

import io
import math
import random
import struct
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

OUT = Path(__file__).resolve().parent

# --- palette -------------------------------------------------------------------------------
# The buttons are style 7: a silver face, sky-blue when hovered and pressed.
FACE = (0xD8, 0xD8, 0xD8)
HOVER = (0xA5, 0xDB, 0xF7)
PRESSED = (0x92, 0xCE, 0xEF)
NAVY = (18, 44, 100)
DEEP_BLUE = (26, 66, 148)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

EXAMPLE_IP = "192.0.2.45"          # a documentation address: no real visitor's
USERBAR_SERVICE = "userbar.example"
IP_IMAGE_SERVICE = "ip.example"

FONT_FILES = {
    ("tahoma", False): ["/usr/share/wine/fonts/tahoma.ttf",
                        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"],
    ("tahoma", True): ["/usr/share/wine/fonts/tahomabd.ttf",
                       "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"],
    ("mono", True): ["/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"],
    # Wine's Tahoma Bold is bold only at small sizes; large titles use DejaVu.
    ("display", True): ["/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"],
}


def font(size, bold=False, family="tahoma"):
    for path in FONT_FILES[(family, bold)]:
        if Path(path).exists():
            return ImageFont.truetype(path, size, layout_engine=ImageFont.Layout.BASIC)
    raise SystemExit(f"no font for {family} (install fonts-wine and fonts-dejavu-core)")


# --- colour and gradients ------------------------------------------------------------------

def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(len(a)))


def ramp(stops, t):
    """Colour at t in 0..1 along [(position, colour), ...] sorted by position."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0))
    return stops[-1][1]


def vertical_gradient(width, height, stops, curve=1.0):
    column = Image.new("RGB", (1, height))
    column.putdata([ramp(stops, (y / max(height - 1, 1)) ** curve) for y in range(height)])
    return column.resize((width, height), Image.NEAREST)


def horizontal_gradient(width, height, stops):
    row = Image.new("RGB", (width, 1))
    row.putdata([ramp(stops, x / max(width - 1, 1)) for x in range(width)])
    return row.resize((width, height), Image.NEAREST)


def linear_mask(size, p0, p1):
    """An L mask rising from 0 at p0 to 255 at p1, constant beyond both."""
    (x0, y0), (x1, y1) = p0, p1
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    source = Image.new("L", (1, 768))
    source.putdata([0] * 256 + list(range(256)) + [255] * 256)
    a, b = dx / length2 * 255, dy / length2 * 255
    c = -(x0 * dx + y0 * dy) / length2 * 255 + 256
    return source.transform(size, Image.AFFINE, (0, 0, 0, a, b, c), resample=Image.NEAREST)


def radial_glow(size, centre, radius, colour, strength=255):
    """A soft round light: an RGBA layer fading out from the centre."""
    layer = Image.new("RGBA", size, colour + (0,))
    m = Image.new("L", size, 0)
    cx, cy = centre
    ImageDraw.Draw(m).ellipse((cx - radius / 2, cy - radius / 2, cx + radius / 2, cy + radius / 2),
                              fill=strength)
    layer.putalpha(m.filter(ImageFilter.GaussianBlur(radius / 3)))
    return layer


def noise(size, seed, amplitude):
    """Film grain: an L image around 128 to add with offset -128."""
    rnd = random.Random(seed)
    data = bytes(128 - amplitude + (b * (2 * amplitude + 1) >> 8) for b in rnd.randbytes(size[0] * size[1]))
    return Image.frombytes("L", size, data)


def add_grain(image, seed, amplitude=4):
    grain = noise(image.size, seed, amplitude).convert("RGB")
    return ImageChops.add(image.convert("RGB"), grain, 1.0, -128)


# --- supersampled vector artwork -----------------------------------------------------------

def dilate(m, radius):
    """Grows a 0/255 mask by about radius pixels, with round corners."""
    if radius <= 0:
        return m
    blurred = m.filter(ImageFilter.GaussianBlur(radius / 2))
    return blurred.point(lambda v: 255 if v >= 6 else 0)


def ellipse_points(cx, cy, rx, ry, angle=0.0, steps=48):
    ca, sa = math.cos(angle), math.sin(angle)
    points = []
    for i in range(steps):
        t = 2 * math.pi * i / steps
        x, y = rx * math.cos(t), ry * math.sin(t)
        points.append((cx + x * ca - y * sa, cy + x * sa + y * ca))
    return points


class Art:
    """Draws at k times the size in pixel units of the final picture, then averages down."""

    def __init__(self, width, height=None, supersample=None):
        height = height or width
        self.w, self.h = width, height
        self.k = supersample or max(2, min(8, 512 // max(width, height)))
        self.size = (width * self.k, height * self.k)
        self.img = Image.new("RGBA", self.size, (0, 0, 0, 0))

    # masks, in final pixel units
    def _mask(self):
        return Image.new("L", self.size, 0)

    def _xy(self, points):
        return [(x * self.k, y * self.k) for x, y in points]

    def ellipse(self, cx, cy, rx, ry=None):
        ry = rx if ry is None else ry
        m = self._mask()
        k = self.k
        ImageDraw.Draw(m).ellipse(((cx - rx) * k, (cy - ry) * k, (cx + rx) * k - 1, (cy + ry) * k - 1), fill=255)
        return m

    def polygon(self, points):
        m = self._mask()
        ImageDraw.Draw(m).polygon(self._xy(points), fill=255)
        return m

    def rect(self, x0, y0, x1, y1, radius=0.0):
        m = self._mask()
        k = self.k
        ImageDraw.Draw(m).rounded_rectangle((x0 * k, y0 * k, x1 * k - 1, y1 * k - 1), radius=radius * k, fill=255)
        return m

    def stroke(self, points, width):
        """A polyline with round joins and caps."""
        m = self._mask()
        d = ImageDraw.Draw(m)
        k = self.k
        d.line(self._xy(points), fill=255, width=max(1, round(width * k)), joint="curve")
        r = width / 2
        for x, y in points:
            d.ellipse(((x - r) * k, (y - r) * k, (x + r) * k, (y + r) * k), fill=255)
        return m

    # paints
    def solid(self, colour, alpha=255):
        return Image.new("RGBA", self.size, tuple(colour[:3]) + (alpha,))

    def gradient(self, c0, c1, p0, p1):
        """Colour c0 at p0 to c1 at p1 (points in final pixel units)."""
        ramp_mask = linear_mask(self.size, (p0[0] * self.k, p0[1] * self.k), (p1[0] * self.k, p1[1] * self.k))
        return Image.composite(self.solid(c1), self.solid(c0), ramp_mask)

    def vgrad(self, c0, c1, y0=0.0, y1=None):
        return self.gradient(c0, c1, (0, y0), (0, self.h if y1 is None else y1))

    # drawing
    def fill(self, m, paint, opacity=1.0):
        if isinstance(paint, tuple):
            paint = self.solid(paint)
        if opacity < 1.0:
            m = m.point(lambda v: round(v * opacity))
        self.img.paste(paint, (0, 0), m)

    def outlined(self, m, paint, outline, width=1.0):
        self.fill(dilate(m, width * self.k), outline)
        self.fill(m, paint)

    def result(self):
        return self.img.resize((self.w, self.h), Image.BOX)


def union(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.lighter(out, m)
    return out


def minus(a, b):
    return ImageChops.subtract(a, b)


def intersect(a, b):
    return ImageChops.multiply(a, b)


def pixel_art(rows, colours, size=None):
    """RGBA from rows of characters; '.' is transparent."""
    w = size[0] if size else len(rows[0])
    h = size[1] if size else len(rows)
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    px = img.load()
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != ".":
                c = colours[ch]
                px[x, y] = tuple(c) + ((255,) if len(c) == 3 else ())
    return img


def overlay_pixels(img, rows, colours, origin=(0, 0)):
    top = pixel_art(rows, colours)
    out = img.copy()
    out.alpha_composite(top, origin)
    return out


# --- file writers --------------------------------------------------------------------------

def flatten(rgba, matte=FACE):
    """Opaque colours over the matte, and a mask of the pixels at least half covered."""
    rgba = rgba.convert("RGBA")
    flat = Image.new("RGB", rgba.size, matte)
    flat.paste(rgba.convert("RGB"), (0, 0), rgba.getchannel("A"))
    kept = rgba.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    return flat, kept


def save_jpeg(image, name, quality=88, sharp_colour=False):
    # Text and thin red lines keep their edges with full-resolution colour.
    image.convert("RGB").save(OUT / name, "JPEG", quality=quality, optimize=True,
                              subsampling=0 if sharp_colour else 2)


def gif_bytes(rgba, matte=FACE):
    """A GIF with binary transparency: edge pixels are blended over the button face."""
    flat, kept = flatten(rgba, matte)
    opaque = kept.getextrema()[0] == 255
    colours = 256 if opaque else 255
    quantised = flat.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = quantised.getpalette()[:colours * 3]
    palette += [0] * (768 - len(palette))
    if not opaque:
        palette[765:768] = list(matte)
        quantised.paste(255, (0, 0), ImageChops.invert(kept))
    quantised.putpalette(palette)
    buffer = io.BytesIO()
    if opaque:
        quantised.save(buffer, "GIF", optimize=False)
    else:
        quantised.save(buffer, "GIF", optimize=False, transparency=255)
    return buffer.getvalue()


def save_gif(rgba, name, matte=FACE):
    (OUT / name).write_bytes(gif_bytes(rgba, matte))


# The sixteen colours of a 4-bit icon.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def _and_mask(kept):
    """Rows of the AND mask, bottom-up, 1 where the pixel is transparent, padded to 32 bits."""
    w, h = kept.size
    stride = ((w + 31) // 32) * 4
    px = kept.load()
    rows = []
    for y in range(h - 1, -1, -1):
        bits = bytearray(stride)
        for x in range(w):
            if px[x, y] == 0:
                bits[x >> 3] |= 0x80 >> (x & 7)
        rows.append(bytes(bits))
    return b"".join(rows)


def _pack_indices(indices, w, h, bpp):
    stride = ((w * bpp + 31) // 32) * 4
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            v = indices[y * w + x]
            if bpp == 8:
                row[x] = v
            else:
                row[x >> 1] |= v << (4 if x % 2 == 0 else 0)
        rows.append(bytes(row))
    return b"".join(rows)


def dib(rgba, bpp, matte=FACE):
    """One BMP image of an icon or cursor file: header, colour table, XOR bits, AND mask."""
    w, h = rgba.size
    if bpp == 32:
        alpha = rgba.getchannel("A")
        kept = alpha.point(lambda a: 255 if a > 0 else 0)
        pixels = []
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = rgba.getpixel((x, y))
                pixels.append(bytes((b, g, r, a)) if a else b"\0\0\0\0")
        xor = b"".join(pixels)
        table = b""
    else:
        flat, kept = flatten(rgba, matte)
        if bpp == 4:
            colours = VGA
            palette_image = Image.new("P", (1, 1))
            palette_image.putpalette([c for rgb in VGA for c in rgb])
            indexed = flat.quantize(palette=palette_image, dither=Image.Dither.NONE)
            indices = list(indexed.getdata())
        else:
            quantised = flat.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
            used = quantised.getpalette()
            colours = [(0, 0, 0)] + [tuple(used[i:i + 3]) for i in range(0, len(used), 3)][:255]
            colours += [(0, 0, 0)] * (256 - len(colours))
            indices = [i + 1 for i in quantised.getdata()]
        # Transparent pixels are black in the XOR image, as the AND mask expects.
        black = colours.index((0, 0, 0))
        for i, k in enumerate(kept.getdata()):
            if k == 0:
                indices[i] = black
        xor = _pack_indices(indices, w, h, bpp)
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    mask = _and_mask(kept)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bpp, 0, len(xor) + len(mask), 0, 0,
                         0 if bpp == 32 else 2 ** bpp, 0)
    return header + table + xor + mask


def png_bytes(rgba):
    buffer = io.BytesIO()
    rgba.save(buffer, "PNG", optimize=True)
    return buffer.getvalue()


def icon_file(images, cursor_hot_spot=None):
    """An icon (type 1) or, with a hot spot, a cursor (type 2) file.

    images: [(rgba, bits per pixel)]. Images of 128 pixels and more are stored as PNG, the rest
    as BMP with an AND mask. A cursor's directory entry holds the hot spot where an icon's
    holds its planes and bit count.
    """
    blobs = [png_bytes(img) if img.width >= 128 else dib(img, bpp) for img, bpp in images]
    out = bytearray(struct.pack("<HHH", 0, 2 if cursor_hot_spot else 1, len(images)))
    offset = 6 + 16 * len(images)
    for (img, bpp), blob in zip(images, blobs):
        w, h = img.size
        colour_count = 16 if bpp == 4 else 0
        if cursor_hot_spot:
            field1, field2 = cursor_hot_spot
        else:
            field1, field2 = 1, bpp
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colour_count, 0, field1, field2, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def save_icon(name, images):
    (OUT / name).write_bytes(icon_file(images))


ICON_SIZES = (16, 24, 32, 48, 128)


# --- small glyphs of the icon buttons (16 x 16 GIF) ----------------------------------------

def petal(a, angle, inner, outer, half_width):
    """A pointed petal along the given angle, as a lens from the inner to the outer radius."""
    ca, sa = math.cos(angle), math.sin(angle)
    points = []
    for i in range(17):
        t = i / 16
        r = inner + (outer - inner) * t
        w = half_width * math.sin(math.pi * t) ** 0.8
        points.append((r, w))
    points += [(r, -w) for r, w in reversed(points)]
    return a.polygon([(8 + r * ca - w * sa, 8 + r * sa + w * ca) for r, w in points])


def glyph_sunflower():
    a = Art(16)
    step = math.pi / 5
    back = union(*[petal(a, (i + 0.5) * step, 2.0, 6.3, 1.5) for i in range(10)])
    front = union(*[petal(a, i * step, 2.0, 7.2, 1.55) for i in range(10)])
    a.fill(dilate(union(back, front), a.k * 0.8), (160, 92, 6))
    a.fill(back, (232, 140, 16))
    a.fill(dilate(front, a.k * 0.5), (196, 120, 10))
    a.fill(front, a.gradient((255, 236, 96), (250, 186, 24), (4, 3), (12, 13)))
    centre = a.ellipse(8, 8, 2.9)
    a.outlined(centre, a.gradient((150, 92, 34), (86, 46, 14), (6, 6), (10, 11)), (62, 32, 8), 0.8)
    rnd = random.Random(7)
    for _ in range(7):
        r, t = 2.0 * math.sqrt(rnd.random()), rnd.random() * 2 * math.pi
        a.fill(a.ellipse(8 + r * math.cos(t), 8 + r * math.sin(t), 0.45), (196, 140, 60))
    return a.result()


def glyph_information():
    a = Art(16)
    disc = a.ellipse(8, 8, 6.9)
    a.outlined(disc, a.gradient((120, 186, 246), (22, 84, 190), (5, 2), (11, 15)), (16, 56, 136))
    a.fill(a.ellipse(7, 5.2, 4.4, 2.6), WHITE, opacity=0.22)
    img = a.result()
    return overlay_pixels(img, [
        ".......ww.......",
        ".......ww.......",
        "................",
        "......www.......",
        ".......ww.......",
        ".......ww.......",
        ".......ww.......",
        ".......ww.......",
        "......wwww......",
    ], {"w": WHITE}, (0, 3))


def glyph_red_cross():
    a = Art(16)
    cross = union(a.stroke([(4, 4), (12, 12)], 3.4), a.stroke([(12, 4), (4, 12)], 3.4))
    a.outlined(cross, a.gradient((255, 112, 96), (188, 16, 20), (4, 3), (12, 13)), (120, 8, 10))
    return a.result()


def glyph_house():
    a = Art(16)
    a.outlined(a.rect(10.6, 2.4, 12.8, 7.0), (176, 64, 44), (96, 32, 20))
    a.outlined(a.rect(3.2, 7.4, 12.8, 14.6), a.vgrad((255, 248, 226), (232, 214, 176), 7, 15), (110, 80, 50))
    a.outlined(a.polygon([(0.9, 8.4), (8, 1.4), (15.1, 8.4)]),
               a.gradient((236, 96, 64), (170, 40, 28), (4, 2), (12, 9)), (104, 26, 16))
    a.outlined(a.rect(6.2, 10.0, 8.8, 14.6), a.vgrad((170, 104, 52), (120, 70, 30), 10, 15), (80, 44, 16), 0.7)
    a.outlined(a.rect(10.0, 9.4, 11.9, 11.4), (130, 190, 240), (60, 80, 110), 0.7)
    return a.result()


def glyph_chart():
    a = Art(16)
    bars = [(2.2, 10.4), (6.2, 7.2), (10.2, 3.8)]
    for x, top in bars:
        a.outlined(a.rect(x, top, x + 3.0, 14.0),
                   a.gradient((132, 220, 110), (36, 140, 48), (x, 0), (x + 3, 0)), (22, 92, 30))
    a.fill(a.rect(0.6, 14.0, 15.4, 15.2), (70, 76, 90))
    trend = union(a.stroke([(1.2, 8.2), (11.6, 2.4)], 1.3), a.polygon([(15.2, 0.6), (13.4, 5.0), (10.2, 0.9)]))
    a.outlined(trend, (222, 40, 32), (110, 12, 10), 0.6)
    return a.result()


def draw_magnifier(size):
    """The magnifying glass of the search button and the search window's icon."""
    a = Art(size)
    u = size / 16
    line = 1.0 if size <= 32 else size / 32
    cx = cy = 6.3 * u
    handle = a.stroke([(10.4 * u, 10.4 * u), (14.2 * u, 14.2 * u)], 3.0 * u)
    a.outlined(handle, a.gradient((120, 82, 52), (54, 32, 16), (10 * u, 0), (15 * u, 0)), (28, 16, 6), line)
    ring = a.ellipse(cx, cy, 5.2 * u)
    glass = a.ellipse(cx, cy, 3.7 * u)
    a.outlined(ring, a.gradient((236, 240, 248), (104, 114, 136), (2 * u, 2 * u), (11 * u, 11 * u)),
               (38, 44, 60), line)
    a.fill(glass, (30, 40, 60))
    a.fill(a.ellipse(cx, cy, 3.7 * u - line),
           a.gradient((226, 244, 255), (132, 188, 236), (3 * u, 3 * u), (9 * u, 9 * u)))
    highlight = minus(a.ellipse(cx - 0.5 * u, cy - 0.5 * u, 2.6 * u), a.ellipse(cx + 0.3 * u, cy + 0.3 * u, 2.7 * u))
    a.fill(highlight, WHITE, opacity=0.9)
    return a.result()


def glyph_magnifier():
    return draw_magnifier(16)


# --- the hand cursor (32 x 32 CUR) -------------------------------------------------------

HAND = [
    "......KKK.......................",
    ".....KWWWK......................",
    ".....KWWWK......................",
    ".....KWWWK......................",
    ".....KWWWK......................",
    ".....KWWWK......................",
    ".....KWWWKKK....................",
    ".....KWWWKWWKKK.................",
    ".....KWWWKWWKWWKK...............",
    ".....KWWWKWWKWWKWKK.............",
    ".KK..KWWWKWWKWWKWWWK............",
    "KWWK.KWWWSWWSWWSWWWK............",
    "KWWWKKWWWWWWWWWWWWWK............",
    ".KWWWKWWWWWWWWWWWWWK............",
    ".KWWWWWWWWWWWWWWWWWK............",
    "..KWWWWWWWWWWWWWWWWK............",
    "..KWWWWWWWWWWWWWWWWK............",
    "...KWWWWWWWWWWWWWWK.............",
    "...KWWWWWWWWWWWWWWK.............",
    "....KWWWWWWWWWWWWK..............",
    "....KWWWWWWWWWWWWK..............",
    ".....KWWWWWWWWWWK...............",
    ".....KWWWWWWWWWWK...............",
    ".....KKKKKKKKKKKK...............",
]
HAND_HOT_SPOT = (7, 0)  # the tip of the index finger


def hand_cursor():
    return pixel_art(HAND, {"K": BLACK, "W": WHITE, "S": (196, 200, 208)}, (32, 32))


# --- icons ---------------------------------------------------------------------------------

# The program's icon, in the sixteen colours: grey frame, white tile, red V shaded maroon.
MAIN_ICON_COLOURS = {"g": (128, 128, 128), "w": WHITE, "r": (255, 0, 0), "m": (128, 0, 0)}


def icon_main():
    """The program's icon: a red letter V on a white tile, in the sixteen colours."""
    return pixel_art([
        ".gggggggggggggg.",
        "gwwwwwwwwwwwwwwg",
        "gwwwwwwwwwwwwwwg",
        "gwrrrmwwwwrrrmwg",
        "gwrrrmwwwwrrrmwg",
        "gwwrrrmwwrrrmwwg",
        "gwwrrrmwwrrrmwwg",
        "gwwwrrrmrrrmwwwg",
        "gwwwrrrmrrrmwwwg",
        "gwwwwrrrrrmwwwwg",
        "gwwwwrrrrrmwwwwg",
        "gwwwwwrrrmwwwwwg",
        "gwwwwwrrrmwwwwwg",
        "gwwwwwwwwwwwwwwg",
        "gwwwwwwwwwwwwwwg",
        ".gggggggggggggg.",
    ], MAIN_ICON_COLOURS)


def draw_info_diamond():
    a = Art(16)
    diamond = a.polygon([(8, 1.0), (15.0, 8), (8, 15.0), (1.0, 8)])
    a.outlined(diamond, a.gradient((118, 184, 246), (18, 76, 184), (5, 2), (11, 15)), (14, 50, 128))
    a.fill(intersect(diamond, a.polygon([(8, 1.0), (15.0, 8), (1.0, 8)])), WHITE, opacity=0.16)
    return overlay_pixels(a.result(), [
        "ww.",
        "ww.",
        "...",
        "ww.",
        "ww.",
        "ww.",
        "ww.",
        "ww.",
    ], {"w": WHITE}, (7, 3))


def draw_ip_tile():
    a = Art(16)
    a.outlined(a.rect(1, 1, 15, 15, 2.5), a.vgrad((76, 146, 226), (22, 70, 162), 1, 15), (12, 40, 100))
    a.fill(a.rect(1.5, 1.5, 14.5, 7.5, 2), WHITE, opacity=0.16)
    return overlay_pixels(a.result(), [
        "ww.wwwww.",
        "ww.ww..ww",
        "ww.ww..ww",
        "ww.ww..ww",
        "ww.wwwww.",
        "ww.ww....",
        "ww.ww....",
        "ww.ww....",
    ], {"w": WHITE}, (3, 4))


def draw_arrow(size, direction):
    """A glossy green arrow; drawn pointing down and turned, lit from the top in every direction."""
    a = Art(size)
    u = size / 16
    line = 1.0 if size <= 32 else size / 40
    shape = a.polygon([(5.2 * u, 1.0 * u), (10.8 * u, 1.0 * u), (10.8 * u, 7.4 * u), (14.6 * u, 7.4 * u),
                       (8 * u, 14.8 * u), (1.4 * u, 7.4 * u), (5.2 * u, 7.4 * u)])
    turn = {"down": None, "left": Image.Transpose.ROTATE_270, "right": Image.Transpose.ROTATE_90}[direction]
    if turn is not None:
        shape = shape.transpose(turn)
    a.outlined(shape, a.gradient((150, 232, 112), (28, 128, 36), (0, 1 * u), (0, 15 * u)), (18, 84, 22), line)
    a.fill(intersect(shape, a.ellipse(6 * u, 3 * u, 9 * u, 6 * u)), WHITE, opacity=0.28)
    return a.result()


def draw_monitor(size):
    """A screen showing a small landscape: the screenshot window's icon."""
    a = Art(size)
    u = size / 16
    line = 1.0 if size <= 32 else size / 40
    a.outlined(a.rect(6.4 * u, 11.8 * u, 9.6 * u, 13.6 * u), (120, 126, 138), (52, 56, 66), line)
    a.outlined(a.rect(3.6 * u, 13.4 * u, 12.4 * u, 15.0 * u, 0.8 * u), a.vgrad((180, 186, 198), (96, 102, 116)),
               (52, 56, 66), line)
    a.outlined(a.rect(0.9 * u, 1.6 * u, 15.1 * u, 12.2 * u, 1.2 * u),
               a.vgrad((236, 238, 244), (150, 156, 170), 1.6 * u, 12.2 * u), (52, 56, 66), line)
    screen = a.rect(2.2 * u, 2.9 * u, 13.8 * u, 10.4 * u)
    a.fill(dilate(screen, line * a.k * 0.7), (60, 66, 80))
    a.fill(screen, a.vgrad((70, 140, 226), (190, 226, 250), 2.9 * u, 8 * u))
    a.fill(intersect(screen, a.ellipse(10.8 * u, 5.0 * u, 1.3 * u)), (255, 214, 64))
    hills = a.polygon([(2.2 * u, 8.4 * u), (5.4 * u, 6.0 * u), (8.0 * u, 7.8 * u), (10.6 * u, 6.6 * u),
                       (13.8 * u, 8.6 * u), (13.8 * u, 10.4 * u), (2.2 * u, 10.4 * u)])
    a.fill(intersect(screen, hills), a.vgrad((96, 176, 72), (40, 112, 44), 6 * u, 10.4 * u))
    a.fill(intersect(screen, a.polygon([(2.2 * u, 2.9 * u), (9 * u, 2.9 * u), (2.2 * u, 7.5 * u)])), WHITE,
           opacity=0.18)
    return a.result()


def draw_code_page(size):
    """A sheet of markup: the mouse pointer over the get-code button."""
    a = Art(size)
    u = size / 16
    line = 1.0 if size <= 32 else size / 40
    page = a.polygon([(2.6 * u, 0.8 * u), (10.2 * u, 0.8 * u), (13.6 * u, 4.2 * u), (13.6 * u, 15.2 * u),
                      (2.6 * u, 15.2 * u)])
    a.outlined(page, a.gradient((255, 255, 255), (214, 222, 236), (3 * u, 1 * u), (13 * u, 15 * u)),
               (84, 92, 110), line)
    a.outlined(a.polygon([(10.2 * u, 0.8 * u), (10.2 * u, 4.2 * u), (13.6 * u, 4.2 * u)]), (196, 206, 222),
               (84, 92, 110), line * 0.7)
    pen = max(1.3, 1.5 * u)
    a.fill(a.stroke([(7.0 * u, 6.2 * u), (4.6 * u, 8.8 * u), (7.0 * u, 11.4 * u)], pen), (28, 86, 196))
    a.fill(a.stroke([(9.2 * u, 6.2 * u), (11.6 * u, 8.8 * u), (9.2 * u, 11.4 * u)], pen), (28, 86, 196))
    if size >= 32:
        a.fill(a.stroke([(8.7 * u, 5.6 * u), (7.5 * u, 12.0 * u)], pen * 0.8), (206, 36, 36))
        for y in (2.6, 13.4):
            a.fill(a.stroke([(4.2 * u, y * u), (8.6 * u if y < 5 else 11.8 * u, y * u)], 0.6 * u), (160, 170, 190))
    return a.result()


# --- shared pieces of the big pictures ------------------------------------------------------

def emblem(size):
    """The product mark: the red V of the program's icon on a white tile."""
    a = Art(size)
    u = size / 16
    line = max(1.0, size / 48)
    a.outlined(a.rect(0.8 * u, 0.8 * u, 15.2 * u, 15.2 * u, 3 * u),
               a.vgrad((255, 255, 255), (214, 222, 234), 0.8 * u, 15.2 * u), (70, 90, 130), line)
    v = a.polygon([(2.9 * u, 3.0 * u), (5.9 * u, 3.0 * u), (8.0 * u, 9.6 * u), (10.1 * u, 3.0 * u),
                   (13.1 * u, 3.0 * u), (9.4 * u, 13.0 * u), (6.6 * u, 13.0 * u)])
    a.outlined(v, a.gradient((240, 64, 60), (168, 14, 22), (0, 3 * u), (0, 13 * u)), (118, 10, 16), line * 0.8)
    a.fill(a.rect(1.2 * u, 1.2 * u, 14.8 * u, 7.0 * u, 2.6 * u), WHITE, opacity=0.22)
    return a.result()


def text_size(draw, text, fnt):
    x0, y0, x1, y1 = draw.textbbox((0, 0), text, font=fnt)
    return x1 - x0, y1 - y0, x0, y0


def soft_text(canvas, xy, text, fnt, fill=WHITE, shadow=(0, 0, 0), blur=2.0, shadow_alpha=150, offset=(1, 2)):
    """Antialiased text with a soft drop shadow, composited onto an RGB(A) canvas."""
    layer = Image.new("RGBA", canvas.size, shadow + (0,))
    m = Image.new("L", canvas.size, 0)
    ImageDraw.Draw(m).text((xy[0] + offset[0], xy[1] + offset[1]), text, font=fnt, fill=shadow_alpha)
    layer.putalpha(m.filter(ImageFilter.GaussianBlur(blur)))
    ImageDraw.Draw(layer).text(xy, text, font=fnt, fill=fill + (255,))
    base = canvas.convert("RGBA")
    base.alpha_composite(layer)
    return base.convert(canvas.mode)


def midpoint_ridge(width, rnd, base, rough, levels=7):
    """Heights of a mountain ridge across the width, by midpoint displacement."""
    points = [base + rnd.uniform(-rough, rough), base + rnd.uniform(-rough, rough)]
    spread = rough
    for _ in range(levels):
        spread *= 0.55
        refined = []
        for a, b in zip(points, points[1:]):
            refined += [a, (a + b) / 2 + rnd.uniform(-spread, spread)]
        points = refined + [points[-1]]
    step = (len(points) - 1) / (width - 1)
    return [points[min(len(points) - 1, round(i * step))] for i in range(width)]


def landscape(width, height, seed, evening=True):
    """A photograph of hills over a lake, drawn: sky, sun, three ridges, trees, water and grain."""
    rnd = random.Random(seed)
    horizon = round(height * 0.64)
    if evening:
        sky = [(0, (40, 60, 128)), (0.5, (178, 112, 128)), (1, (252, 190, 116))]
        ridges = [(mix((150, 112, 146), (252, 190, 116), 0.35), 0.60, 0.16, 0.0),
                  ((92, 68, 104), 0.80, 0.12, -0.30), ((34, 28, 50), 1.02, 0.10, 0.50)]
        sun_colour, cloud_colour, water_tint = (255, 222, 150), (255, 190, 170), (58, 56, 104)
    else:
        sky = [(0, (50, 112, 200)), (0.7, (150, 200, 242)), (1, (220, 236, 250))]
        ridges = [(mix((130, 164, 200), (220, 236, 250), 0.3), 0.60, 0.16, 0.0),
                  ((84, 140, 104), 0.80, 0.12, -0.30), ((36, 92, 48), 1.02, 0.10, 0.50)]
        sun_colour, cloud_colour, water_tint = (255, 250, 226), (255, 255, 255), (36, 86, 150)
    img = vertical_gradient(width, horizon, sky).convert("RGBA")
    sun = (width * rnd.uniform(0.58, 0.72), horizon * 0.68)
    img.alpha_composite(radial_glow(img.size, sun, height * 1.0, sun_colour, 140))
    img.alpha_composite(radial_glow(img.size, sun, height * 0.12, (255, 252, 236), 255))
    for _ in range(6):
        cloud = Image.new("L", img.size, 0)
        cx, cy = rnd.uniform(-0.1, 1.1) * width, rnd.uniform(0.08, 0.45) * horizon
        half = width * rnd.uniform(0.12, 0.3)
        ImageDraw.Draw(cloud).ellipse((cx - half, cy - 1.5, cx + half, cy + 2), fill=rnd.randint(50, 110))
        layer = Image.new("RGBA", img.size, cloud_colour + (0,))
        layer.putalpha(cloud.filter(ImageFilter.GaussianBlur(1.6)))
        img.alpha_composite(layer)
    for i, (colour, base, rough, tilt) in enumerate(ridges):
        heights = midpoint_ridge(width, rnd, horizon * base, horizon * rough)
        heights = [h - tilt * (x / width - 0.5) * horizon * 0.5 for x, h in enumerate(heights)]
        m = Image.new("L", img.size, 0)
        d = ImageDraw.Draw(m)
        d.polygon([(0, horizon)] + list(enumerate(heights)) + [(width - 1, horizon)], fill=255)
        if i == len(ridges) - 1:
            # a line of trees along the nearest hill
            x = 0
            while x < width:
                top = heights[x]
                if top < horizon - 2:
                    tall = rnd.uniform(2.5, 6.5) * height / 120
                    d.polygon([(x - tall * 0.3, top + 1), (x, top - tall), (x + tall * 0.3, top + 1)], fill=255)
                x += rnd.randint(1, 4)
        if i == 0:
            m = m.filter(ImageFilter.GaussianBlur(0.8))
        shade = vertical_gradient(width, horizon, [(0, mix(colour, WHITE, 0.12)), (1, colour)]).convert("RGBA")
        img.paste(shade, (0, 0), m)
    scene = img.convert("RGB")
    water = scene.transpose(Image.Transpose.FLIP_TOP_BOTTOM).crop((0, 0, width, height - horizon))
    rippled = Image.new("RGB", water.size)
    for y in range(water.height):
        shift = round(math.sin(y * 1.7 + seed) * (1 + y * 0.08))
        rippled.paste(water.crop((0, y, width, y + 1)), (shift, y))
        if shift > 0:
            rippled.paste(water.crop((0, y, shift, y + 1)), (0, y))
    rippled = Image.blend(rippled, Image.new("RGB", water.size, water_tint), 0.4).convert("RGBA")
    glitter = Image.new("RGBA", water.size, (255, 244, 210, 0))
    gd = ImageDraw.Draw(glitter)
    for y in range(1, water.height, 2):
        spread = 2 + y * 0.5
        for _ in range(2):
            x = sun[0] + rnd.uniform(-spread, spread)
            gd.line((x - 1.5, y, x + 1.5, y), fill=(255, 244, 210, rnd.randint(60, 160)))
    rippled.alpha_composite(glitter)
    photo = Image.new("RGB", (width, height))
    photo.paste(scene, (0, 0))
    photo.paste(rippled.convert("RGB"), (0, horizon))
    photo = add_grain(photo, seed, 5)
    vignette = Image.new("L", photo.size, 0)
    ImageDraw.Draw(vignette).ellipse((-width * 0.25, -height * 0.25, width * 1.25, height * 1.25), fill=255)
    vignette = vignette.filter(ImageFilter.GaussianBlur(min(width, height) / 5))
    return Image.composite(photo, Image.new("RGB", photo.size, (20, 20, 30)),
                           vignette.point(lambda v: 150 + v * 105 // 255))


def portrait(width, height, seed):
    """A photograph of a person against an evening lake: head and shoulders, lit from behind."""
    photo = landscape(width, height, seed, evening=True).filter(ImageFilter.GaussianBlur(1.4))
    k = 4
    W, H = width * k, height * k
    m = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(m)
    cx = W * 0.5
    head_w = W * 0.34
    head_h = head_w * 1.3
    head_top = H * 0.16
    chin = head_top + head_h
    shoulders = chin + head_h * 0.22
    d.ellipse((cx - head_w / 2, head_top, cx + head_w / 2, chin), fill=255)
    d.ellipse((cx - head_w * 0.55, head_top - head_h * 0.05, cx + head_w * 0.55, head_top + head_h * 0.6), fill=255)
    for side in (-1, 1):
        ex = cx + side * head_w * 0.49
        d.ellipse((ex - W * 0.035, head_top + head_h * 0.42, ex + W * 0.035, head_top + head_h * 0.62), fill=255)
    d.rectangle((cx - head_w * 0.22, chin - head_h * 0.3, cx + head_w * 0.22, shoulders + head_h * 0.1), fill=255)
    # shoulders: the upper half of a superellipse, then straight down
    a, b, n, centre = W * 0.54, head_h * 0.78, 1.8, shoulders + head_h * 0.64
    outline = []
    for i in range(65):
        t = math.pi * i / 64
        c, sn = math.cos(t), math.sin(t)
        outline.append((cx + a * math.copysign(abs(c) ** (2 / n), c), centre - b * abs(sn) ** (2 / n)))
    d.polygon(outline + [(cx - a, H), (cx + a, H)], fill=255)
    collar = Image.new("L", (W, H), 0)
    ImageDraw.Draw(collar).polygon([(cx - head_w * 0.3, shoulders - head_h * 0.08), (cx, shoulders + H * 0.09),
                                    (cx + head_w * 0.3, shoulders - head_h * 0.08)], fill=255)
    m = m.resize((width, height), Image.BOX)
    collar = collar.resize((width, height), Image.BOX)
    rim = ImageChops.subtract(m, ImageChops.offset(m, -2, 1)).filter(ImageFilter.GaussianBlur(0.9))
    body = vertical_gradient(width, height, [(0, (52, 46, 62)), (1, (16, 16, 26))])
    photo.paste(body, (0, 0), m)
    photo.paste((62, 58, 72), (0, 0), ImageChops.multiply(collar, m))
    photo.paste((255, 200, 140), (0, 0), rim.point(lambda v: min(255, v * 2)))
    return photo


def framed(photo, border=4, angle=0.0, shadow=110):
    """A print with a white border and a soft shadow, turned by a few degrees (RGBA)."""
    w, h = photo.size
    card = Image.new("RGBA", (w + 2 * border, h + 2 * border), (250, 250, 246, 255))
    card.paste(photo, (border, border))
    ImageDraw.Draw(card).rectangle((0, 0, card.width - 1, card.height - 1), outline=(196, 196, 190, 255))
    pad = 8
    canvas = Image.new("RGBA", (card.width + 2 * pad, card.height + 2 * pad), (0, 0, 0, 0))
    shade = Image.new("L", canvas.size, 0)
    shade.paste(shadow, (pad + 2, pad + 3, pad + 2 + card.width, pad + 3 + card.height))
    canvas.paste((0, 0, 0, 255), (0, 0), shade.filter(ImageFilter.GaussianBlur(3)))
    canvas.alpha_composite(card, (pad, pad))
    if angle:
        big = canvas.resize((canvas.width * 4, canvas.height * 4), Image.NEAREST)
        big = big.rotate(angle, resample=Image.BICUBIC, expand=True)
        canvas = big.resize((big.width // 4, big.height // 4), Image.BOX)
    return canvas


def place(base, layer, centre):
    out = base.convert("RGBA")
    out.alpha_composite(layer, (round(centre[0] - layer.width / 2), round(centre[1] - layer.height / 2)))
    return out.convert("RGB")


# Backgrounds: deep blue at the top to white at the bottom, with the white labels' rows
# kept dark enough to read.
BLUE_TO_WHITE = [(0, (26, 70, 158)), (0.45, (96, 140, 208)), (1, (255, 255, 255))]
DEEP_BLUE_TO_WHITE = [(0, (18, 48, 122)), (0.5, (120, 156, 214)), (1, (255, 255, 255))]
LIGHT_BLUE_TO_WHITE = [(0, (176, 210, 242)), (1, (248, 251, 255))]


def main_background():
    return vertical_gradient(491, 254, BLUE_TO_WHITE, curve=1.25)


def light_background():
    return vertical_gradient(468, 176, LIGHT_BLUE_TO_WHITE)


def userbar_window_background():
    return vertical_gradient(448, 511, DEEP_BLUE_TO_WHITE)


def ipbutton_window_background():
    img = vertical_gradient(252, 406, DEEP_BLUE_TO_WHITE)
    # The right-hand column beside the sample buttons is free: the person stands there.
    return place(img, framed(portrait(92, 150, 31), border=4, angle=3.0), (183, 118))


def splash_background():
    w, h = 482, 203
    band = 122
    img = vertical_gradient(w, h, [(0, (255, 255, 255)), (1, (214, 232, 248))])
    top = vertical_gradient(w, band, [(0, NAVY), (1, (36, 92, 178))])
    top = top.convert("RGBA")
    for i, r in enumerate((70, 110, 150, 190)):
        ring = Image.new("RGBA", top.size, (0, 0, 0, 0))
        ImageDraw.Draw(ring).ellipse((42 - r, 62 - r, 42 + r, 62 + r), outline=(255, 255, 255, 22 - 4 * i), width=2)
        top.alpha_composite(ring)
    sheen = Image.new("L", top.size, 0)
    ImageDraw.Draw(sheen).polygon([(180, 0), (300, 0), (200, band), (80, band)], fill=20)
    top.paste((255, 255, 255, 255), (0, 0), sheen.filter(ImageFilter.GaussianBlur(12)))
    img.paste(top.convert("RGB"), (0, 0))
    ImageDraw.Draw(img).rectangle((0, band, w, band + 1), fill=PRESSED)
    ImageDraw.Draw(img).rectangle((0, band + 2, w, band + 2), fill=(236, 244, 252))
    img = place(img, emblem(56), (42, 62))
    img = soft_text(img, (82, 30), "Velmora", font(44, bold=True, family="display"), shadow=(0, 0, 30), blur=2.5)
    img = place(img, framed(landscape(108, 126, 5, evening=True), border=5, angle=-4.0), (414, 92))
    d = ImageDraw.Draw(img)
    credit = "Автор: ORLANWERK"
    f = font(11)
    tw, th, ox, oy = text_size(d, credit, f)
    d.text((w - 10 - tw - ox, h - 8 - th - oy), credit, font=f, fill=(70, 90, 124))
    return img


def main_banner():
    """The banner over the main window's result area: it continues the window's gradient."""
    img = main_background().crop((80, 0, 80 + 234, 91))
    img = place(img, framed(landscape(76, 58, 12, evening=False), border=3, angle=-4.0), (50, 45))
    d = ImageDraw.Draw(img)
    f = font(32, bold=True, family="display")
    word = "Узнай"
    tw, th, ox, oy = text_size(d, word, f)
    x, y = 100 + (128 - tw) // 2 - ox, 22 - oy
    img = soft_text(img, (x, y), word, f, shadow=(0, 10, 40), blur=2.0)
    d = ImageDraw.Draw(img)
    d.line((x + ox, y + oy + th + 8, x + ox + tw, y + oy + th + 8), fill=HOVER, width=2)
    return img


def info_banner():
    """The information window's banner: the product mark and name on blue."""
    w, h = 374, 88
    img = horizontal_gradient(w, h, [(0, DEEP_BLUE), (0.6, (44, 108, 196)), (1, (96, 160, 226))])
    img = img.convert("RGBA")
    art = Art(120, h)
    bars = [(14, 52), (40, 36), (66, 20), (92, 6)]
    for x, top in bars:
        art.fill(art.rect(x, top, x + 18, h, 2), WHITE, opacity=0.14)
    art.fill(art.stroke([(6, 60), (32, 44), (56, 50), (98, 12)], 3), WHITE, opacity=0.28)
    img.alpha_composite(art.result(), (w - 122, 0))
    img = img.convert("RGB")
    img = place(img, emblem(40), (30, 28))
    img = soft_text(img, (58, 4), "Velmora", font(30, bold=True, family="display"), shadow=(0, 0, 30), blur=2.0)
    d = ImageDraw.Draw(img)
    d.text((60, 40), "программа для оптимизаторов", font=font(11, bold=True), fill=HOVER)
    d.rectangle((0, h - 2, w, h - 1), fill=PRESSED)
    return img


# --- sample userbars (350 x 19) and IP buttons (88 x 31) ----------------------------------

def stripes(size, spacing=3, alpha=26):
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    w, h = size
    for x in range(-h, w, spacing):
        d.line((x, h, x + h, 0), fill=(0, 0, 0, alpha))
    return layer


def gloss(size, alpha=70):
    layer = Image.new("RGBA", size, (255, 255, 255, 0))
    m = Image.new("L", size, 0)
    w, h = size
    ImageDraw.Draw(m).ellipse((-w * 0.1, -h * 1.3, w * 1.1, h * 0.5), fill=alpha)
    layer.putalpha(m)
    return layer


def crisp_text(img, xy, text, fnt, fill, outline=None):
    d = ImageDraw.Draw(img)
    d.fontmode = "1"
    if outline:
        d.text(xy, text, font=fnt, fill=fill, stroke_width=1, stroke_fill=outline)
    else:
        d.text(xy, text, font=fnt, fill=fill)


# name, top colour, bottom colour, text colour, text outline; the order of the code window's list
USERBARS = [
    ("blue", (96, 160, 236), (20, 64, 160), WHITE, (8, 24, 70)),
    ("classic", (200, 206, 216), (96, 104, 120), WHITE, (30, 34, 44)),
    ("ua", None, None, WHITE, (10, 30, 80)),
    ("black", (80, 80, 88), (8, 8, 12), WHITE, BLACK),
    ("dark_green", (60, 128, 64), (12, 56, 20), WHITE, (4, 30, 8)),
    ("light_green", (200, 240, 150), (98, 180, 64), (20, 60, 10), (228, 250, 210)),
    ("grey", (170, 170, 170), (90, 90, 90), WHITE, (40, 40, 40)),
    ("red", (240, 96, 84), (150, 14, 20), WHITE, (60, 4, 6)),
    ("silver", (248, 248, 250), (186, 190, 198), (30, 40, 60), (250, 250, 252)),
    ("violet", (170, 120, 230), (70, 26, 130), WHITE, (30, 8, 60)),
]


def userbar(top, bottom, text_colour, outline, two_tone=False):
    w, h = 350, 19
    if two_tone:
        img = Image.new("RGB", (w, h))
        img.paste(vertical_gradient(w, 10, [(0, (70, 140, 230)), (1, (24, 84, 190))]), (0, 0))
        img.paste(vertical_gradient(w, 9, [(0, (255, 226, 60)), (1, (226, 180, 10))]), (0, 10))
    else:
        img = vertical_gradient(w, h, [(0, top), (1, bottom)])
    img = img.convert("RGBA")
    img.alpha_composite(stripes((w, h)))
    img.alpha_composite(gloss((w, h)))
    a = Art(17)
    globe = a.ellipse(8.5, 8.5, 6.5)
    a.outlined(globe, a.gradient((150, 210, 255), (30, 90, 190), (4, 3), (13, 15)), (10, 30, 70))
    for m in (minus(a.ellipse(8.5, 8.5, 6.5, 2.8), a.ellipse(8.5, 8.5, 5.6, 1.9)),
              minus(a.ellipse(8.5, 8.5, 2.8, 6.5), a.ellipse(8.5, 8.5, 1.9, 5.6)),
              a.rect(2, 8.1, 15, 8.9)):
        a.fill(intersect(m, globe), WHITE, opacity=0.8)
    img.alpha_composite(a.result(), (4, 1))
    crisp_text(img, (26, 3), USERBAR_SERVICE, font(9), text_colour + (200,))
    message = f"Мой IP адрес: {EXAMPLE_IP}"
    f = font(11, bold=True)
    tw = ImageDraw.Draw(img).textbbox((0, 0), message, font=f)[2]
    crisp_text(img, (w - 8 - tw, 2), message, f, text_colour, outline)
    ImageDraw.Draw(img).rectangle((0, 0, w - 1, h - 1), outline=(0, 0, 0, 255))
    return img.convert("RGB")


# name, face top, face bottom, badge colour, address colour
IP_BUTTONS = [
    ("blue", (110, 176, 244), (24, 78, 176), (214, 36, 30), WHITE),
    ("lcd", (52, 58, 52), (10, 14, 10), (40, 140, 40), (120, 255, 120)),
    ("silver", (250, 250, 252), (190, 196, 206), (28, 86, 196), (20, 40, 90)),
    ("orange", (255, 200, 96), (226, 118, 16), (150, 40, 10), WHITE),
    ("white", (255, 255, 255), (236, 236, 236), (206, 28, 36), (30, 30, 30)),
]


def fitted(text, width, sizes, bold=False, family="tahoma"):
    """The largest of the font sizes in which the text fits the width."""
    probe = ImageDraw.Draw(Image.new("L", (1, 1)))
    for size in sizes:
        f = font(size, bold, family)
        if probe.textlength(text, font=f) <= width:
            return f
    return f


def centred_text(img, left, right, y, text, fnt, fill):
    tw = ImageDraw.Draw(img).textlength(text, font=fnt)
    crisp_text(img, (round(left + (right - left - tw) / 2), y), text, fnt, fill)


def ip_button(face_top, face_bottom, badge, address_colour, lcd=False):
    w, h = 88, 31
    img = vertical_gradient(w, h, [(0, face_top), (1, face_bottom)]).convert("RGBA")
    if not lcd:
        img.alpha_composite(gloss((w, h), 60))
    a = Art(20, 27)
    a.outlined(a.rect(1, 1, 19, 26, 3), a.vgrad(mix(badge, WHITE, 0.25), badge), mix(badge, BLACK, 0.5))
    img.alpha_composite(a.result(), (2, 2))
    centred_text(img, 2, 22, 9, "IP", font(11, bold=True), WHITE)
    label_colour = address_colour if lcd else mix(address_colour, face_bottom, 0.25)
    # The top line sits on the gloss: white lettering would vanish there.
    top_colour = mix(face_bottom, BLACK, 0.4) if address_colour == WHITE else label_colour
    left, right = 23, w - 2
    centred_text(img, left, right, 2, "Ваш IP адрес", fitted("Ваш IP адрес", right - left, (9, 8)), top_colour)
    address_font = fitted(EXAMPLE_IP, right - left, (10, 9) if lcd else (11, 10, 9), True, "mono" if lcd else "tahoma")
    centred_text(img, left, right, 11, EXAMPLE_IP, address_font, address_colour)
    centred_text(img, left, right, 21, IP_IMAGE_SERVICE, font(8), label_colour)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, h - 1), outline=mix(face_bottom, BLACK, 0.55) + (255,))
    if not lcd:
        d.line((1, 1, w - 2, 1), fill=(255, 255, 255, 140))
    return img.convert("RGB")


# --- the list of files -----------------------------------------------------------------------

def build():
    save_jpeg(splash_background(), "splash_background.jpg", quality=86, sharp_colour=True)
    save_jpeg(main_background(), "main_background.jpg", quality=90)
    save_jpeg(light_background(), "light_background.jpg", quality=90)
    save_jpeg(userbar_window_background(), "userbar_background.jpg", quality=90)
    save_jpeg(ipbutton_window_background(), "ipbutton_background.jpg", quality=86)
    save_jpeg(main_banner(), "main_banner.jpg", quality=88, sharp_colour=True)
    save_jpeg(info_banner(), "info_banner.jpg", quality=88, sharp_colour=True)

    save_gif(glyph_sunflower(), "glyph_sunflower.gif")
    save_gif(glyph_information(), "glyph_information.gif")
    save_gif(glyph_red_cross(), "glyph_red_cross.gif")
    save_gif(glyph_house(), "glyph_house.gif")
    save_gif(glyph_chart(), "glyph_chart.gif")
    save_gif(glyph_magnifier(), "glyph_magnifier.gif")

    (OUT / "hand.cur").write_bytes(icon_file([(hand_cursor(), 32)], cursor_hot_spot=HAND_HOT_SPOT))
    code = {s: draw_code_page(s) for s in ICON_SIZES}
    save_icon("pointer_eight.ico", [(code[16], 8), (code[32], 8), (code[48], 8)] +
              [(code[s], 32) for s in ICON_SIZES])

    save_icon("icon_main.ico", [(icon_main(), 4)])
    save_icon("icon_info.ico", [(draw_info_diamond(), 8)])
    save_icon("icon_ip.ico", [(draw_ip_tile(), 8)])
    save_icon("icon_screenshot.ico", [(draw_monitor(s), 32) for s in ICON_SIZES])
    save_icon("icon_search.ico", [(draw_magnifier(s), 32) for s in ICON_SIZES])
    # The image areas show these at 48 x 48: that image comes first.
    decoration_sizes = (48, 16, 24, 32, 128)
    save_icon("arrow_down.ico", [(draw_arrow(s, "down"), 32) for s in decoration_sizes])
    save_icon("arrow_left.ico", [(draw_arrow(s, "left"), 32) for s in decoration_sizes])
    save_icon("arrow_right.ico", [(draw_arrow(16, "right"), 32)])

    for number, (name, top, bottom, text_colour, outline) in enumerate(USERBARS, 1):
        save_gif(userbar(top, bottom, text_colour, outline, two_tone=top is None),
                 f"userbar_{number:02d}_{name}.gif")
    for number, (name, top, bottom, badge, address) in enumerate(IP_BUTTONS, 1):
        save_gif(ip_button(top, bottom, badge, address, lcd=name == "lcd"), f"ipbutton_{number}_{name}.gif")


# --- reading the files back -----------------------------------------------------------------

# What each file must be: JPEG or GIF of a size, or an icon / cursor with its images in order
# as (width, bits per pixel); all images are square.
EXPECTED = {
    "splash_background.jpg": ("JPEG", (482, 203)),
    "main_background.jpg": ("JPEG", (491, 254)),
    "light_background.jpg": ("JPEG", (468, 176)),
    "userbar_background.jpg": ("JPEG", (448, 511)),
    "ipbutton_background.jpg": ("JPEG", (252, 406)),
    "main_banner.jpg": ("JPEG", (234, 91)),
    "info_banner.jpg": ("JPEG", (374, 88)),
    **{f"glyph_{n}.gif": ("GIF", (16, 16))
       for n in ("sunflower", "information", "red_cross", "house", "chart", "magnifier")},
    **{f"userbar_{i:02d}_{u[0]}.gif": ("GIF", (350, 19)) for i, u in enumerate(USERBARS, 1)},
    **{f"ipbutton_{i}_{b[0]}.gif": ("GIF", (88, 31)) for i, b in enumerate(IP_BUTTONS, 1)},
    "hand.cur": ("CUR", [(32, 32)]),
    "pointer_eight.ico": ("ICO", [(16, 8), (32, 8), (48, 8)] + [(s, 32) for s in ICON_SIZES]),
    "icon_main.ico": ("ICO", [(16, 4)]),
    "icon_info.ico": ("ICO", [(16, 8)]),
    "icon_ip.ico": ("ICO", [(16, 8)]),
    "icon_screenshot.ico": ("ICO", [(s, 32) for s in ICON_SIZES]),
    "icon_search.ico": ("ICO", [(s, 32) for s in ICON_SIZES]),
    "arrow_down.ico": ("ICO", [(s, 32) for s in (48, 16, 24, 32, 128)]),
    "arrow_left.ico": ("ICO", [(s, 32) for s in (48, 16, 24, 32, 128)]),
    "arrow_right.ico": ("ICO", [(16, 32)]),
}
LARGEST_FILE = 48 * 1024


def icon_entries(data):
    """(width, height, bits per pixel or hot spot, image bytes) of each directory entry."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert reserved == 0 and kind in (1, 2), "not an icon or cursor file"
    entries = []
    for i in range(count):
        w, h, _, _, field1, field2, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert offset + size <= len(data), "image outside the file"
        entries.append((w or 256, h or 256, (field1, field2), data[offset:offset + size]))
    return kind, entries


def image_depth(blob, w, h):
    """Bits per pixel of one icon image, checking its own header against the directory."""
    if blob[:8] == b"\x89PNG\r\n\x1a\n":
        pw, ph, bit_depth, colour_type = struct.unpack_from(">IIBB", blob, 16)
        assert (pw, ph) == (w, h) and (bit_depth, colour_type) == (8, 6), "PNG image is not RGBA"
        return 32
    size, bw, bh, planes, bpp = struct.unpack_from("<IiiHH", blob, 0)
    assert size == 40 and (bw, bh) == (w, 2 * h) and planes == 1, "BMP image header does not match"
    return bpp


def decode_entry(blob, w, h, bpp):
    """Decodes one icon image through a one-image icon file."""
    one = struct.pack("<HHHBBBBHHII", 0, 1, 1, w % 256, h % 256, 16 if bpp == 4 else 0, 0, 1, bpp, len(blob), 22)
    image = Image.open(io.BytesIO(one + blob))
    image.load()
    assert image.size == (w, h), "decoded size differs"


def check():
    names = sorted(p.name for p in OUT.iterdir() if p.suffix in (".jpg", ".gif", ".ico", ".cur"))
    assert names == sorted(EXPECTED), f"files differ from the list: {set(names) ^ set(EXPECTED)}"
    for name in names:
        data = (OUT / name).read_bytes()
        kind, want = EXPECTED[name]
        assert len(data) <= LARGEST_FILE, f"{name} is {len(data)} bytes"
        if kind in ("JPEG", "GIF"):
            image = Image.open(OUT / name)
            image.load()
            assert (image.format, image.size) == (kind, want), f"{name}: {image.format} {image.size}"
            if name.startswith("glyph_"):
                assert "transparency" in image.info, f"{name} has no transparent colour"
            detail = f"{want[0]} x {want[1]}"
        else:
            file_kind, entries = icon_entries(data)
            assert file_kind == (2 if kind == "CUR" else 1), f"{name}: type {file_kind}"
            got = []
            for w, h, fields, blob in entries:
                assert w == h, f"{name}: {w} x {h}"
                bpp = image_depth(blob, w, h)
                if kind == "ICO":
                    assert fields == (1, bpp), f"{name}: planes and bit count {fields}"
                else:
                    assert fields == HAND_HOT_SPOT, f"{name}: hot spot {fields}"
                if not blob.startswith(b"\x89PNG"):
                    decode_entry(blob, w, h, bpp)
                got.append((w, bpp) if kind == "ICO" else (w, w))
            assert got == want, f"{name}: images {got}"
            detail = ", ".join(f"{w}x{w}@{b}" for w, b in got) if kind == "ICO" else \
                f"32 x 32, hot spot {HAND_HOT_SPOT}"
        print(f"{name:28} {kind:4} {detail:58} {len(data):6} bytes")


if __name__ == "__main__":
    build()
    check()
