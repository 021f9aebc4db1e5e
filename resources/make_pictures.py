#!/usr/bin/env python3
"""Rebuilds the product's pictures: preview.jpg (the Display control panel preview) and product.ico.

The landscape is rendered here (a small height-field renderer), titled and encoded by ImageMagick, and
given an Exif header. The icon is drawn by ImageMagick at 256 px and written as a .ico of our own:
16, 24, 32 and 48 px at 4, 8 and 32 bits per pixel (palette images with an AND mask) plus the 256-px
image as PNG, which the packaged tools cannot write in one file.

Needs Python 3, ImageMagick (/usr/bin/convert) and the DejaVu fonts. Usage: make_pictures.py [OUT_DIR]
"""
import math
import os
import struct
import subprocess
import sys
import tempfile

CONVERT = "/usr/bin/convert"
HERE = os.path.dirname(os.path.abspath(__file__))

PREVIEW_W, PREVIEW_H = 152, 112
SUPER = 4  # the scene is rendered this many times larger and scaled down, which smooths its edges


def run(*args):
    subprocess.run([CONVERT, *args], check=True)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def smooth(t):
    return t * t * (3 - 2 * t)


# ---------------------------------------------------------------------------------------------------
# Terrain: fractal value noise on a wrapping grid, shaped into two mountain ranges around a lake.

GRID = 256


def lattice(ix, iy, seed):
    n = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((n ^ (n >> 16)) & 0xFFFF) / 65535.0


def value_noise(x, y, period, seed):
    x0, y0 = math.floor(x), math.floor(y)
    fx, fy = smooth(x - x0), smooth(y - y0)
    x0 %= period
    y0 %= period
    x1, y1 = (x0 + 1) % period, (y0 + 1) % period
    a = lattice(x0, y0, seed) + (lattice(x1, y0, seed) - lattice(x0, y0, seed)) * fx
    b = lattice(x0, y1, seed) + (lattice(x1, y1, seed) - lattice(x0, y1, seed)) * fx
    return a + (b - a) * fy


def build_heights():
    heights = [[0.0] * GRID for _ in range(GRID)]
    for gy in range(GRID):
        for gx in range(GRID):
            total, amp, norm = 0.0, 1.0, 0.0
            for octave in range(6):
                cells = 4 << octave
                scale = cells / GRID
                n = value_noise(gx * scale, gy * scale, cells, 11 + octave)
                if octave < 3:
                    n = 1.0 - abs(2.0 * n - 1.0)  # ridges in the large shapes
                total += n * amp
                norm += amp
                amp *= 0.5
            h = total / norm
            # A valley down the middle of the map holds the lake; the sides rise into mountains.
            side = abs(gx - GRID / 2) / (GRID / 2)
            valley = smooth(min(1.0, side * 1.6))
            heights[gy][gx] = (h ** 1.7) * (0.25 + 0.95 * valley) * 120.0
    return heights


def sample(heights, x, y):
    x0, y0 = math.floor(x), math.floor(y)
    fx, fy = x - x0, y - y0
    x0 %= GRID
    y0 %= GRID
    x1, y1 = (x0 + 1) % GRID, (y0 + 1) % GRID
    a = heights[y0][x0] + (heights[y0][x1] - heights[y0][x0]) * fx
    b = heights[y1][x0] + (heights[y1][x1] - heights[y1][x0]) * fx
    return a + (b - a) * fy


# ---------------------------------------------------------------------------------------------------
# The scene: an evening sky with a low sun, the mountains in haze, a lake that mirrors the sky.

SKY_TOP = (22, 38, 96)
SKY_MID = (86, 96, 170)
SKY_HORIZON = (250, 170, 110)
SUN = (255, 238, 190)
WATER = (18, 44, 86)
WATER_LEVEL = 14.0


def sky_colour(elevation, azimuth):
    """elevation: 0 at the horizon, 1 at the top of the picture; azimuth: -1 left .. 1 right."""
    e = max(0.0, elevation)
    if e < 0.35:
        c = mix(SKY_HORIZON, SKY_MID, smooth(e / 0.35))
    else:
        c = mix(SKY_MID, SKY_TOP, smooth(min(1.0, (e - 0.35) / 0.65)))
    # The glow around the sun, low over the gap between the ranges.
    d = math.hypot((azimuth - 0.06) * 1.4, (elevation - 0.2) * 1.1)
    glow = math.exp(-d * d * 18.0) * 0.85 + math.exp(-d * d * 2.5) * 0.25
    c = mix(c, SUN, min(1.0, glow))
    if d < 0.055:
        c = SUN
    return c


def terrain_colour(h, slope, light):
    if h < 30:
        base = mix((52, 92, 48), (70, 104, 52), h / 30)
    elif h < 55:
        base = mix((70, 104, 52), (104, 92, 78), (h - 30) / 25)
    elif h < 78:
        base = mix((104, 92, 78), (128, 120, 118), (h - 55) / 23)
    else:
        base = (128, 120, 118)
    if h > 72 and slope < 1.4:
        base = mix(base, (236, 236, 244), min(1.0, (h - 72) / 10))
    shade = 0.5 + 0.7 * light
    warm = (1.0, 0.93, 0.85)
    return tuple(min(255.0, c * shade * w) for c, w in zip(base, warm))


def render_scene():
    width, height = PREVIEW_W * SUPER, PREVIEW_H * SUPER
    heights = build_heights()
    horizon = height * 0.44
    cam_x, cam_y, cam_h = GRID / 2, 0.0, 74.0
    focal = width * 0.78
    sun_dir = (-0.55, 0.45, 0.70)  # light from the front left and above
    norm = math.sqrt(sum(c * c for c in sun_dir))
    sun_dir = tuple(c / norm for c in sun_dir)

    pixels = [[None] * width for _ in range(height)]
    for px in range(width):
        azimuth = (px - width / 2) / focal
        top = height  # lowest screen row still free in this column (rows grow downwards)
        z = 1.0
        while z < 420.0 and top > 0:
            wx, wy = cam_x + azimuth * z, cam_y + z
            h = sample(heights, wx, wy)
            water = h < WATER_LEVEL
            surface = WATER_LEVEL if water else h
            row = int(horizon - (surface - cam_h) * focal / z / 1.0)
            if row < top:
                fog = smooth(min(1.0, (z / 420.0) ** 1.25))
                if water:
                    # The lake mirrors the sky at the angle the eye meets it, darkened by depth.
                    view_elev = (cam_h - WATER_LEVEL) / z
                    refl = sky_colour(min(1.0, view_elev * 3.2), azimuth)
                    colour = mix(WATER, refl, 0.55 + 0.35 * (1 - min(1.0, view_elev * 4)))
                    ripple = 0.94 + 0.06 * math.sin(wy * 1.7 + math.sin(wx * 0.6) * 2.0)
                    colour = tuple(c * ripple for c in colour)
                else:
                    dx = sample(heights, wx + 1, wy) - sample(heights, wx - 1, wy)
                    dy = sample(heights, wx, wy + 1) - sample(heights, wx, wy - 1)
                    nx, ny, nz = -dx / 2, -dy / 2, 1.0
                    n = math.sqrt(nx * nx + ny * ny + nz * nz)
                    light = max(0.0, (nx * sun_dir[0] + ny * sun_dir[1] + nz * sun_dir[2]) / n)
                    slope = math.hypot(dx, dy) / 2
                    colour = terrain_colour(h, slope, light)
                colour = mix(colour, mix(SKY_HORIZON, SKY_MID, 0.25), fog * 0.9)
                for r in range(max(0, row), top):
                    pixels[r][px] = colour
                top = max(0, row)
            z += 0.25 + z * 0.012
        for r in range(0, top):
            elevation = (horizon - r) / horizon
            pixels[r][px] = sky_colour(elevation, azimuth)
    return width, height, pixels


def write_ppm(path, width, height, pixels):
    out = bytearray()
    for row in pixels:
        for c in row:
            out += bytes(max(0, min(255, int(v + 0.5))) for v in c)
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(out)


# ---------------------------------------------------------------------------------------------------
# Exif: the preview carries an Exif APP1 segment in place of the JFIF one.


def exif_segment(width, height):
    entries0 = []  # (tag, type, count, value bytes)
    software = b"Quillmere picture script\0"
    entries0.append((0x010F, 2, len(b"Orvanta\0"), b"Orvanta\0"))                     # Make
    entries0.append((0x0112, 3, 1, struct.pack("<HH", 1, 0)))                         # Orientation
    entries0.append((0x011A, 5, 1, None))                                             # XResolution
    entries0.append((0x011B, 5, 1, None))                                             # YResolution
    entries0.append((0x0128, 3, 1, struct.pack("<HH", 2, 0)))                         # ResolutionUnit
    entries0.append((0x0131, 2, len(software), software))                             # Software
    entries0.append((0x8769, 4, 1, None))                                             # Exif IFD
    exif_entries = [
        (0x9000, 7, 4, b"0230"),                                                      # ExifVersion
        (0xA001, 3, 1, struct.pack("<HH", 1, 0)),                                     # ColorSpace sRGB
        (0xA002, 4, 1, struct.pack("<I", width)),                                     # PixelXDimension
        (0xA003, 4, 1, struct.pack("<I", height)),                                    # PixelYDimension
    ]
    ifd0_offset = 8
    ifd0_size = 2 + 12 * len(entries0) + 4
    data_offset = ifd0_offset + ifd0_size
    extra = bytearray()

    def place(blob):
        offset = data_offset + len(extra)
        extra.extend(blob)
        if len(extra) % 2:
            extra.append(0)
        return offset

    resolution = struct.pack("<II", 72, 1)
    values = {}
    values[0x011A] = struct.pack("<I", place(resolution))
    values[0x011B] = struct.pack("<I", place(resolution))
    for tag, typ, count, blob in entries0:
        if blob is not None and len(blob) > 4:
            values[tag] = struct.pack("<I", place(blob))
    exif_ifd_offset = data_offset + len(extra)
    values[0x8769] = struct.pack("<I", exif_ifd_offset)

    ifd0 = bytearray(struct.pack("<H", len(entries0)))
    for tag, typ, count, blob in entries0:
        ifd0 += struct.pack("<HHI", tag, typ, count) + values.get(tag, blob)
    ifd0 += struct.pack("<I", 0)
    exif_ifd = bytearray(struct.pack("<H", len(exif_entries)))
    for tag, typ, count, blob in exif_entries:
        exif_ifd += struct.pack("<HHI", tag, typ, count) + blob
    exif_ifd += struct.pack("<I", 0)

    tiff = b"II*\0" + struct.pack("<I", ifd0_offset) + bytes(ifd0) + bytes(extra) + bytes(exif_ifd)
    payload = b"Exif\0\0" + tiff
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload


def with_exif(jpeg, width, height):
    assert jpeg[:2] == b"\xff\xd8"
    rest = jpeg[2:]
    # Drop a JFIF APP0 segment: an Exif file starts with its APP1.
    if rest[:2] == b"\xff\xe0":
        length = struct.unpack(">H", rest[2:4])[0]
        rest = rest[2 + length:]
    return b"\xff\xd8" + exif_segment(width, height) + rest


def make_preview(out_dir, work):
    width, height, pixels = render_scene()
    scene = os.path.join(work, "scene.ppm")
    write_ppm(scene, width, height, pixels)
    plain = os.path.join(work, "preview.jpg")
    s = SUPER
    run(scene,
        # The title, with a soft shadow so that it reads over sky and snow alike.
        "(", "-size", f"{width}x{height}", "xc:none", "-font", "DejaVu-Sans-Bold", "-fill", "#0a0f2880",
        "-pointsize", str(17 * s), "-gravity", "north", "-annotate", f"+{s}+{9 * s}", "Taveny 3D",
        "-font", "DejaVu-Sans", "-pointsize", str(7 * s), "-kerning", str(2 * s),
        "-annotate", f"+{s}+{3 * s}", "QUILLMERE", "-blur", f"0x{2 * s}", ")",
        "-composite",
        "-font", "DejaVu-Sans-Bold", "-fill", "#fff6e8", "-pointsize", str(17 * s), "-gravity", "north",
        "-annotate", f"+0+{8 * s}", "Taveny 3D",
        "-font", "DejaVu-Sans", "-fill", "#ffe2c0", "-pointsize", str(7 * s), "-kerning", str(2 * s),
        "-annotate", f"+0+{2 * s}", "QUILLMERE",
        "-filter", "Lanczos", "-resize", f"{PREVIEW_W}x{PREVIEW_H}!",
        "-strip", "-type", "TrueColor", "-colorspace", "sRGB", "-interlace", "none",
        "-sampling-factor", "1x1,1x1,1x1", "-quality", "95", plain)
    with open(plain, "rb") as f:
        jpeg = f.read()
    with open(os.path.join(out_dir, "preview.jpg"), "wb") as f:
        f.write(with_exif(jpeg, PREVIEW_W, PREVIEW_H))


# ---------------------------------------------------------------------------------------------------
# The icon: a rounded tile with the evening sky, the sun and snow-capped mountains over the lake.


def draw_icon_master(path):
    n = 256
    run("-size", f"{n}x{n}", "gradient:#1d2c74-#f59a5c",
        "-fill", "#ffe7a6", "-draw", "circle 166,118 166,88",
        "-fill", "#7e6aa8", "-draw", "polygon 0,176 46,112 80,140 122,84 170,150 206,120 256,170 256,256 0,256",
        "-fill", "#3d3f6e", "-draw", "polygon 0,200 30,160 62,120 96,168 120,150 150,196 0,256",
        "-fill", "#2f3a5c", "-draw", "polygon 100,200 160,124 196,168 216,150 256,196 256,256 100,256",
        "-fill", "#eef0fa", "-draw", "polygon 62,120 48,141 58,137 66,146 76,138 78,142",
        "-fill", "#eef0fa", "-draw", "polygon 160,124 146,142 156,139 163,148 172,139 180,148",
        "-fill", "#1f4f8c", "-draw", "rectangle 0,196 256,256",
        "-fill", "#f7c98e", "-draw", "rectangle 138,204 194,209",
        "-fill", "#e9b07a", "-draw", "rectangle 148,216 184,220",
        "-fill", "#d99a66", "-draw", "rectangle 156,228 176,231",
        "(", "-size", f"{n}x{n}", "xc:none", "-fill", "white",
        "-draw", "roundrectangle 6,6 249,249 44,44", ")",
        "-alpha", "off", "-compose", "CopyOpacity", "-composite",
        "-compose", "Over", "-fill", "none", "-stroke", "#0d1438c0", "-strokewidth", "5",
        "-draw", "roundrectangle 8,8 247,247 42,42",
        # No creation dates in the PNG, so that a rebuild gives the same bytes.
        "-strip", "-define", "png:exclude-chunks=date,time", "png32:" + path)


def rgba_at(master, size, work):
    raw = os.path.join(work, f"icon{size}.rgba")
    args = [master, "-filter", "Lanczos", "-resize", f"{size}x{size}"]
    if size <= 32:
        args += ["-unsharp", "0x0.6+0.6+0"]
    run(*args, "-depth", "8", "rgba:" + raw)
    with open(raw, "rb") as f:
        data = f.read()
    return [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]


def median_cut(colours, count):
    boxes = [list(colours)]
    while len(boxes) < count:
        boxes.sort(key=lambda b: max(max(c[i] for c in b) - min(c[i] for c in b) for i in range(3)) if b else -1)
        box = boxes.pop()
        if len(box) < 2:
            boxes.append(box)
            break
        axis = max(range(3), key=lambda i: max(c[i] for c in box) - min(c[i] for c in box))
        box.sort(key=lambda c: c[axis])
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
    palette = []
    for b in boxes:
        if b:
            palette.append(tuple(sum(c[i] for c in b) // len(b) for i in range(3)))
    return palette


def nearest(palette, c):
    return min(range(len(palette)), key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))


def row_bytes(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def and_mask(pixels, size):
    out = bytearray()
    stride = row_bytes(size)
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if pixels[y * size + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return out


def icon_image(pixels, size, bits):
    colours = 1 << bits if bits <= 8 else 0
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)
    stride = row_bytes(size * bits)
    xor = bytearray()
    palette_bytes = b""
    if bits == 32:
        for y in reversed(range(size)):
            for x in range(size):
                r, g, b, a = pixels[y * size + x]
                xor += bytes((b, g, r, a))
    else:
        # Entry 0 stays black: transparent pixels are black in the colour image and set in the mask.
        opaque = [p[:3] for p in pixels if p[3] >= 128]
        palette = [(0, 0, 0)] + median_cut(opaque, colours - 1)
        palette += [(0, 0, 0)] * (colours - len(palette))
        palette_bytes = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
        cache = {}
        for y in reversed(range(size)):
            row = bytearray(stride)
            for x in range(size):
                p = pixels[y * size + x]
                if p[3] < 128:
                    index = 0
                else:
                    key = p[:3]
                    if key not in cache:
                        cache[key] = 1 + nearest(palette[1:], key)
                    index = cache[key]
                if bits == 8:
                    row[x] = index
                else:
                    row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            xor += row
    return header + palette_bytes + bytes(xor) + bytes(and_mask(pixels, size))


def make_icon(out_dir, work):
    master = os.path.join(work, "icon256.png")
    draw_icon_master(master)
    entries = []  # (width, colour count, bits, data)
    for bits in (32, 8, 4):
        for size in (48, 32, 24, 16):
            pixels = rgba_at(master, size, work)
            entries.append((size, 16 if bits == 4 else 0, bits, icon_image(pixels, size, bits)))
    with open(master, "rb") as f:
        entries.append((0, 0, 32, f.read()))  # 256 px: width 0 in the directory, stored as PNG

    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for width, count, bits, data in entries:
        out += struct.pack("<BBBBHHII", width, width, count, 0, 1, bits, len(data), offset)
        offset += len(data)
    for *_, data in entries:
        out += data
    with open(os.path.join(out_dir, "product.ico"), "wb") as f:
        f.write(out)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else HERE
    with tempfile.TemporaryDirectory() as work:
        make_preview(out_dir, work)
        make_icon(out_dir, work)


if __name__ == "__main__":
    main()
