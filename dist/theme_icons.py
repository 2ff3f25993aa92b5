#!/usr/bin/python3
"""Draws the program's icon for the desktop's icon theme, from its 16-pixel design.

    /usr/bin/python3 dist/theme_icons.py

Writes icons/hicolor/NxN/apps/velmora.png beside this script for each size of the theme,
and icons/hicolor/scalable/apps/velmora.svg, then reads them back. Needs what
resources/pictures/make_pictures.py needs, whose design and drawing it shares.
"""

import sys
from pathlib import Path
from xml.etree import ElementTree

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "resources" / "pictures"))
from make_pictures import MAIN_ICON_COLOURS, Art, Image, icon_main, png_bytes  # noqa: E402

THEME = Path(__file__).resolve().parent / "icons" / "hicolor"
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

# The design as geometry, in pixels of the 16-pixel icon. The V's edges run through the
# middle of each two-row step of its pixels, so the arms keep their width of four. The
# maroon is the design's shade: the left arm's inner edge down to where the right arm
# covers it, and the right arm's outer edge.
CORNER = 1.5
V = [(1.5, 3), (5.5, 3), (8, 8), (10.5, 3), (14.5, 3), (9.5, 13), (6.5, 13)]
SHADES = [[(4.5, 3), (5.5, 3), (8, 8), (7.5, 9)], [(13.5, 3), (14.5, 3), (9.5, 13), (8.5, 13)]]


def draw(size):
    """The icon at a size of the theme; at 16 the pixel design itself.

    Larger, the frame is a whole number of pixels, a sixteenth of the tile or less, so the
    tile's edges stay sharp; only the slanted edges of the V are smoothed.
    """
    if size == 16:
        return icon_main()
    a = Art(size, supersample=8)
    u = size / 16
    frame = max(1, size // 16)
    colour = MAIN_ICON_COLOURS
    a.fill(a.rect(0, 0, size, size, CORNER * u), colour["g"])
    a.fill(a.rect(frame, frame, size - frame, size - frame, max(0.0, CORNER * u - frame)), colour["w"])
    a.fill(a.polygon([(x * u, y * u) for x, y in V]), colour["r"])
    for shade in SHADES:
        a.fill(a.polygon([(x * u, y * u) for x, y in shade]), colour["m"])
    return a.result()


def svg():
    """The icon at any other size: the same geometry, with a frame of one pixel in 16."""
    def fill(key):
        return "#%02x%02x%02x" % MAIN_ICON_COLOURS[key]

    def path(points):
        return "M" + " ".join(f"{x:g},{y:g}" for x, y in points) + "Z"

    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">\n'
        f'  <rect width="16" height="16" rx="{CORNER:g}" fill="{fill("g")}"/>\n'
        f'  <rect x="1" y="1" width="14" height="14" rx="{CORNER - 1:g}" fill="{fill("w")}"/>\n'
        f'  <path d="{path(V)}" fill="{fill("r")}"/>\n'
        f'  <path d="{"".join(path(shade) for shade in SHADES)}" fill="{fill("m")}"/>\n'
        '</svg>\n')


def build():
    for size in SIZES:
        folder = THEME / f"{size}x{size}" / "apps"
        folder.mkdir(parents=True, exist_ok=True)
        (folder / "velmora.png").write_bytes(png_bytes(draw(size)))
    folder = THEME / "scalable" / "apps"
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "velmora.svg").write_text(svg(), encoding="utf-8")


def check():
    files = sorted(str(p.relative_to(THEME)) for p in THEME.rglob("*") if p.is_file())
    want = sorted([f"{s}x{s}/apps/velmora.png" for s in SIZES] + ["scalable/apps/velmora.svg"])
    assert files == want, f"theme files differ from the list: {set(files) ^ set(want)}"
    for size in SIZES:
        name = f"{size}x{size}/apps/velmora.png"
        image = Image.open(THEME / name)
        image.load()
        assert (image.format, image.size, image.mode) == ("PNG", (size, size), "RGBA"), f"{name}: {image.size}"
        assert size != 16 or image.tobytes() == icon_main().tobytes(), f"{name} is not the design's pixels"
        print(f"{name:26} PNG {size} x {size}")
    root = ElementTree.parse(THEME / "scalable" / "apps" / "velmora.svg").getroot()
    assert (root.tag, root.get("viewBox")) == ("{http://www.w3.org/2000/svg}svg", "0 0 16 16"), "SVG root"
    print(f"{'scalable/apps/velmora.svg':26} SVG on the 16-pixel grid")


if __name__ == "__main__":
    build()
    check()
