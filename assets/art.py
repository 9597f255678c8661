#!/usr/bin/env python3
"""Build steps of the widget's art that the SVG renderer cannot do alone.

  art.py digits TEMPLATE GLYPHS OUTDIR   write one card SVG per digit
  art.py finish SRC DST                  normalise a render to 8-bit RGBA;
                                         fails if a pixel is the overlay key
  art.py card SRC MASK DST               make a clock card: opaque, with the
                                         pixels outside the mask set to the key
  art.py carray ICO OUT                  the icon file as a C++ byte array
  art.py compose OUT ARTDIR              the pictures at their widget offsets

Standard library only, so that the build needs no Python packages.
"""
import struct
import sys
import zlib
from pathlib import Path

KEY = (126, 109, 99)  # transparency key of the overlay windows


def read_png(path):
    data = Path(path).read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise SystemExit(f"{path}: expected 8-bit RGB(A), not interlaced")
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + pred) & 255
        rows.append(line)
        previous = line
    pixels = []
    for line in rows:
        for x in range(width):
            p = line[x * channels:(x + 1) * channels]
            pixels.append(tuple(p) if channels == 4 else (p[0], p[1], p[2], 255))
    return width, height, pixels


def write_png(path, width, height, pixels):
    def chunk(kind, body):
        crc = zlib.crc32(kind + body) & 0xFFFFFFFF
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)

    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for p in pixels[y * width:(y + 1) * width]:
            raw.extend(p)
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n"
                           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
                           + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                           + chunk(b"IEND", b""))


def key_pixels(pixels, only_visible):
    return sum(1 for p in pixels if p[:3] == KEY and (p[3] > 0 or not only_visible))


def digits(template, glyphs, outdir):
    card = Path(template).read_text()
    out = Path(outdir)
    out.mkdir(parents=True, exist_ok=True)
    for line in Path(glyphs).read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        digit, elements = line.split(" ", 1)
        (out / f"{digit}.svg").write_text(card.replace("@GLYPH@", elements))


def finish(src, dst):
    width, height, pixels = read_png(src)
    # Fully transparent pixels carry no colour; zero them so that no hidden
    # pixel can match the key either.
    pixels = [p if p[3] else (0, 0, 0, 0) for p in pixels]
    if key_pixels(pixels, True):
        raise SystemExit(f"{src}: contains the overlay key colour {KEY}")
    write_png(dst, width, height, pixels)


def card(src, mask, dst):
    width, height, pixels = read_png(src)
    mw, mh, cover = read_png(mask)
    if (mw, mh) != (width, height):
        raise SystemExit(f"{mask}: size differs from {src}")
    out = []
    for p, m in zip(pixels, cover):
        covered = m[3] * m[0] // 255
        if covered == 0:
            out.append(KEY + (255,))
        elif p[:3] == KEY:
            raise SystemExit(f"{src}: a card pixel is the overlay key colour")
        else:
            out.append(p[:3] + (255,))
    write_png(dst, width, height, out)


def carray(ico, out):
    data = Path(ico).read_bytes()
    lines = ["// Generated by the build from the widget's icon file; do not edit.",
             '#include "display/stored_icon.h"', "", "namespace {",
             "const uint8_t kIcon[] = {"]
    for i in range(0, len(data), 16):
        lines.append("    " + ", ".join(str(b) for b in data[i:i + 16]) + ",")
    lines += ["};", "}  // namespace", "",
              "const uint8_t* StoredIconBytes() { return kIcon; }",
              "size_t StoredIconSize() { return sizeof kIcon; }", ""]
    Path(out).write_text("\n".join(lines))


# Where each picture sits, as offsets from the main window's top left, in
# stacking order, with its constant opacity.
LAYOUT = [
    ("Resources/base.png", 0, 0, 220),
    ("Resources/forecast.png", 3, 200, 255),
    ("Resources/flip_bg.png", 22, -25, 255),
    ("Resources/flip_bg.png", 151, -25, 255),
    ("Digits/1.png", 37, 0, "card"),
    ("Digits/2.png", 90, 0, "card"),
    ("Digits/4.png", 165, 0, "card"),
    ("Digits/7.png", 217, 0, "card"),
    ("Weather/weather_4.png", 95, 110, 255),
    ("Weather/weather_4_min.png", 42, 180, 255),
    ("Weather/weather_13_min.png", 200, 180, 255),
]


def compose(out, artdir, clouds="none"):
    """The widget over a plain desktop-like backdrop, for a quick look."""
    left, top, width, height = -40, -45, 386, 320
    backdrop = []
    for y in range(height):
        t = y / height
        backdrop.extend([(int(92 + 40 * t), int(128 + 30 * t), int(170 + 20 * t), 255)] * width)
    canvas = [list(p) for p in backdrop]
    for path, dx, dy, alpha in LAYOUT:
        w, h, pixels = read_png(Path(artdir) / path)
        for y in range(h):
            for x in range(w):
                cx, cy = dx + x - left, dy + y - top
                if not (0 <= cx < width and 0 <= cy < height):
                    continue
                p = pixels[y * w + x]
                if alpha == "card":
                    if p[:3] != KEY:
                        canvas[cy * width + cx][:3] = p[:3]
                    continue
                a = p[3] * alpha / (255 * 255)
                dst = canvas[cy * width + cx]
                for c in range(3):
                    dst[c] = round(p[c] * a + dst[c] * (1 - a))
    write_png(out, width, height, [tuple(p) for p in canvas])


def main(argv):
    commands = {"digits": (digits, 3), "finish": (finish, 2), "card": (card, 3),
                "carray": (carray, 2), "compose": (compose, 2)}
    if len(argv) < 2 or argv[1] not in commands or len(argv) - 2 != commands[argv[1]][1]:
        raise SystemExit(__doc__)
    commands[argv[1]][0](*argv[2:])


if __name__ == "__main__":
    main(sys.argv)
