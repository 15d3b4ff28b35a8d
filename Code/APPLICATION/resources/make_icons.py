#!/usr/bin/env python3
"""Draws the launcher's icons and writes them as .ico files.

Each icon shows a framed display with a waveform trace on a grid. The two
module icons hold six images each: 256, 128, 64, 48 and 16 pixels square at
32 bits per pixel, PNG-compressed as Windows Vista and later read them and
drawn in a few colours (they look the same here and keep the executables
small), and 32 x 32 at 24 bits per pixel as a device-independent bitmap with
its AND mask (the size buttons and dialogs draw). The executable's own icon
has three sizes, 48, 32 and 16, all PNG-compressed.

    make_icons.py OUTPUT_DIR
"""
import io
import math
import os
import struct
import sys

from PIL import Image, ImageDraw

# (bezel, bezel edge, screen, grid, trace) per colour scheme.
SCHEMES = {
    "blue": ((43, 93, 155), (22, 52, 96), (9, 22, 40), (32, 62, 100), (95, 200, 255)),
    "amber": ((176, 118, 32), (110, 70, 14), (34, 22, 6), (86, 60, 18), (255, 190, 70)),
}

# (size, bits per pixel, stored as PNG)
MODULE_IMAGES = [(256, 32, True), (128, 32, True), (64, 32, True), (48, 32, True),
                 (32, 24, False), (16, 32, True)]
LAUNCHER_IMAGES = [(48, 32, True), (32, 32, True), (16, 32, True)]

# Icon file name -> (scheme of the frame, schemes of the traces, images).
ICONS = {
    "ModuleActive.ico": ("blue", ["blue"], MODULE_IMAGES),             # group 15000
    "ModuleNormal.ico": ("amber", ["amber"], MODULE_IMAGES),           # group 15001
    "Launcher.ico": ("blue", ["amber", "blue"], LAUNCHER_IMAGES),      # group 128
}

SUPERSAMPLE = 4
PNG_COLOURS = 8


def trace_points(left, top, width, height, phase):
    """A heartbeat-like trace across the screen area."""
    points = []
    steps = 120
    for i in range(steps + 1):
        t = i / steps
        x = left + t * width
        # A gentle carrier with one sharp spike in the middle.
        y = 0.18 * math.sin(2 * math.pi * (2 * t + phase))
        spike = t - 0.55
        y += 0.75 * math.exp(-(spike * 28) ** 2) - 0.35 * math.exp(-((spike - 0.06) * 30) ** 2)
        points.append((x, top + height * (0.55 - 0.45 * y)))
    return points


def draw(size, frame_scheme, trace_schemes):
    s = size * SUPERSAMPLE
    image = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    bezel, edge, screen, grid, _ = SCHEMES[frame_scheme]
    margin = s * 0.04
    radius = s * 0.12
    d.rounded_rectangle([margin, margin + s * 0.08, s - margin, s - margin - s * 0.08],
                        radius=radius, fill=bezel + (255,), outline=edge + (255,),
                        width=max(1, int(s * 0.025)))
    inset = s * 0.13
    sl, st, sr, sb = inset, inset + s * 0.08, s - inset, s - inset - s * 0.08
    d.rounded_rectangle([sl, st, sr, sb], radius=s * 0.04, fill=screen + (255,))
    # The grid: fewer lines on small images, so they stay readable.
    divisions = 6 if size >= 48 else 3
    line = max(1, int(s * 0.008))
    for i in range(1, divisions):
        x = sl + (sr - sl) * i / divisions
        y = st + (sb - st) * i / divisions
        d.line([(x, st), (x, sb)], fill=grid + (255,), width=line)
        d.line([(sl, y), (sr, y)], fill=grid + (255,), width=line)
    width = max(2, int(s * (0.035 if size >= 32 else 0.06)))
    for index, name in enumerate(trace_schemes):
        trace = SCHEMES[name][4]
        points = trace_points(sl, st, sr - sl, sb - st, phase=0.25 * index)
        if index:
            points = [(x, y + (sb - st) * 0.12) for x, y in points]
        d.line(points, fill=trace + (255,), width=width, joint="curve")
    return image.resize((size, size), Image.LANCZOS)


def dib_entry(image, bits):
    """A BITMAPINFOHEADER, the colour rows and the AND mask, bottom-up."""
    size = image.width
    rgba = image.convert("RGBA")
    pixels = rgba.load()
    colour_rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        row = bytearray()
        mask = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = pixels[x, y]
            transparent = a < 128
            if bits == 32:
                row += bytes((b, g, r, a))
            else:
                row += bytes((0, 0, 0)) if transparent else bytes((b, g, r))
            if transparent:
                mask[x // 8] |= 0x80 >> (x % 8)
        while len(row) % 4:
            row.append(0)
        colour_rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    colour = b"".join(colour_rows)
    masks = b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(colour) + len(masks), 0, 0, 0, 0)
    return header + colour + masks


def png_entry(image):
    # A few colours look the same here and keep the executables small.
    image = image.quantize(colors=PNG_COLOURS, method=Image.FASTOCTREE).convert("RGBA")
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=True)
    return out.getvalue()


def write_icon(path, frame_scheme, trace_schemes, images):
    entries = []
    for size, bits, as_png in images:
        image = draw(size, frame_scheme, trace_schemes)
        data = png_entry(image) if as_png else dib_entry(image, bits)
        entries.append((size, bits, data))
    offset = 6 + 16 * len(entries)
    directory = b""
    for size, bits, data in entries:
        dimension = 0 if size >= 256 else size  # 0 means 256
        directory += struct.pack("<BBBBHHII", dimension, dimension, 0, 0, 1, bits,
                                 len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(entries)))
        f.write(directory)
        for _, _, data in entries:
            f.write(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for name, (frame, traces, images) in ICONS.items():
        write_icon(os.path.join(out_dir, name), frame, traces, images)


if __name__ == "__main__":
    main()
