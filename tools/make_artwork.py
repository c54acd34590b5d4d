#!/usr/bin/env python3
"""Generate Quorvel's icons, bitmaps and chime into resources/.

Everything is drawn from code so the binary resources can be rebuilt and
reviewed; the output is deterministic (no randomness, no timestamps), so
`--check` can verify that the committed files match this script.

    python3 tools/make_artwork.py          write the files
    python3 tools/make_artwork.py --check  compare with the committed files
"""

import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES_DIR = os.path.join(ROOT, "resources")

# The 16 standard VGA colours in Windows palette order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GRAY, YELLOW, BLUE, WHITE = 0, 4, 7, 8, 11, 12, 15

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


# --------------------------------------------------------------------------
# Raster helper: shapes are described by their horizontal spans at a given
# y, which makes supersampled coverage cheap to compute in pure Python.

def rect(x0, y0, x1, y1):
    return (x0, y0, x1, y1), lambda y: [(x0, x1)] if y0 <= y < y1 else []


def rrect(x0, y0, x1, y1, r):
    r = min(r, (x1 - x0) / 2, (y1 - y0) / 2)

    def spans(y):
        if not y0 <= y < y1:
            return []
        dy = max(y0 + r - y, y - (y1 - r), 0.0)
        inset = r - math.sqrt(max(r * r - dy * dy, 0.0))
        return [(x0 + inset, x1 - inset)]
    return (x0, y0, x1, y1), spans


def circle(cx, cy, r):
    def spans(y):
        d = r * r - (y - cy) ** 2
        if d <= 0:
            return []
        h = math.sqrt(d)
        return [(cx - h, cx + h)]
    return (cx - r, cy - r, cx + r, cy + r), spans


def polygon(pts):
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    edges = list(zip(pts, pts[1:] + pts[:1]))

    def spans(y):
        cross = []
        for (ax, ay), (bx, by) in edges:
            if (ay <= y) != (by <= y):
                cross.append(ax + (y - ay) * (bx - ax) / (by - ay))
        cross.sort()
        return list(zip(cross[0::2], cross[1::2]))
    return (min(xs), min(ys), max(xs), max(ys)), spans


def star(cx, cy, r, inner=0.22):
    """Four-pointed sparkle."""
    pts = []
    for i in range(8):
        a = math.pi * i / 4
        rr = r if i % 2 == 0 else r * inner
        pts.append((cx + rr * math.sin(a), cy - rr * math.cos(a)))
    return polygon(pts)


def shortcut_arrow(x, y, size):
    """The curved shortcut arrow inside a size x size box at (x, y): a thick
    arc rising from the bottom left and a head pointing up and to the right."""
    cx, cy, r, half = 0.0, 0.0, 1.0, 0.18
    a0, a1 = math.radians(183), math.radians(118)
    n = 16
    angles = [a0 + (a1 - a0) * i / n for i in range(n + 1)]

    def at(a, rad):
        return (cx + rad * math.cos(a), cy - rad * math.sin(a))
    outer = [at(a, r + half) for a in angles]
    inner = [at(a, r - half) for a in reversed(angles)]
    ex, ey = at(a1, r)
    tx, ty = math.sin(a1), math.cos(a1)          # direction of travel
    nx, ny = math.cos(a1), -math.sin(a1)         # points outward
    w, length = 0.5, 0.62
    head = [(ex + nx * w, ey + ny * w),
            (ex + tx * length, ey + ty * length),
            (ex - nx * w, ey - ny * w)]
    pts = outer + head + inner
    # centre the drawing in the box, keeping its proportions
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    k = size / max(max(xs) - min(xs), max(ys) - min(ys))
    ox = x + (size - (max(xs) - min(xs)) * k) / 2 - min(xs) * k
    oy = y + (size - (max(ys) - min(ys)) * k) / 2 - min(ys) * k
    return polygon([(ox + px * k, oy + py * k) for px, py in pts])


class Canvas:
    """RGBA canvas with straight alpha; shapes are antialiased by sampling
    ss x ss points per pixel. A fill colour may be a function of (x, y)."""

    def __init__(self, w, h, ss=4):
        self.w, self.h, self.ss = w, h, ss
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]

    def blend(self, i, col, a):
        if a <= 0:
            return
        p = self.px[i]
        out = a + p[3] * (1 - a)
        k = p[3] * (1 - a)
        for c in range(3):
            p[c] = (col[c] * a + p[c] * k) / out
        p[3] = out

    def fill(self, shape, col, alpha=1.0):
        (_, by0, _, by1), spans = shape
        ss, w = self.ss, self.w
        j0, j1 = max(int(math.floor(by0)), 0), min(int(math.ceil(by1)), self.h)
        for j in range(j0, j1):
            cov = [0] * w
            for k in range(ss):
                for xa, xb in spans(j + (k + 0.5) / ss):
                    s0 = max(int(math.ceil(xa * ss - 0.5)), 0)
                    s1 = min(int(math.ceil(xb * ss - 0.5)), w * ss)
                    for s in range(s0, s1):
                        cov[s // ss] += 1
            for i in range(w):
                if cov[i]:
                    rgb = col(i + 0.5, j + 0.5) if callable(col) else col
                    self.blend(j * w + i, rgb, alpha * cov[i] / (ss * ss))

    def shade(self, fn, box=None):
        """Paint fn(x, y) -> (r, g, b, a) at each pixel centre in box."""
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        for j in range(max(y0, 0), min(y1, self.h)):
            for i in range(max(x0, 0), min(x1, self.w)):
                r, g, b, a = fn(i + 0.5, j + 0.5)
                self.blend(j * self.w + i, (r, g, b), a)

    def soft_shadow(self, x0, y0, x1, y1, r, blur, col, alpha):
        """Blurred rounded rectangle, from its signed distance."""
        cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

        def fn(x, y):
            qx, qy = abs(x - cx) - hx + r, abs(y - cy) - hy + r
            d = math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
            t = min(max(0.5 - d / blur, 0.0), 1.0)
            return col + (alpha * t * t * (3 - 2 * t),)
        m = int(blur) + 1
        self.shade(fn, (int(x0) - m, int(y0) - m, int(x1) + m + 1, int(y1) + m + 1))

    def rgba(self):
        return [tuple(int(round(v)) for v in p[:3]) + (int(round(p[3] * 255)),)
                for p in self.px]


def lerp(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def nearest(col, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(col, palette[i])))


# --------------------------------------------------------------------------
# File formats

def pack_rows(rows, bpp):
    """Pack rows of palette indices (top-down) into bottom-up DIB rows."""
    out = bytearray()
    for row in reversed(rows):
        if bpp == 8:
            data = bytes(row)
        elif bpp == 4:
            padded = list(row) + [0] * (len(row) % 2)
            data = bytes(padded[i] << 4 | padded[i + 1] for i in range(0, len(padded), 2))
        else:
            bits = list(row) + [0] * (-len(row) % 8)
            data = bytes(sum(b << (7 - k) for k, b in enumerate(bits[i:i + 8]))
                         for i in range(0, len(bits), 8))
        out += data + b"\0" * (-len(data) % 4)
    return bytes(out)


def info_header(w, h, bpp, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, image_size,
                       2835, 2835, colours, 0)


def palette_bytes(pal):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in pal)


def write_bmp(w, h, bpp, pal, rows):
    bits = pack_rows(rows, bpp)
    head = info_header(w, h, bpp, len(bits), len(pal)) + palette_bytes(pal)
    offset = 14 + len(head)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + head + bits


def ico_image_32(size, pixels):
    xor = bytearray()
    for j in reversed(range(size)):
        for r, g, b, a in pixels[j * size:(j + 1) * size]:
            xor += bytes((b, g, r, a))
    mask = pack_rows([[1 if p[3] == 0 else 0 for p in pixels[j * size:(j + 1) * size]]
                      for j in range(size)], 1)
    return info_header(size, size * 2, 32, len(xor) + len(mask), 0) + bytes(xor) + mask


def ico_image_4(size, indices, transparent):
    rows = [indices[j * size:(j + 1) * size] for j in range(size)]
    xor = pack_rows([[0 if t else v for v, t in zip(r, transparent[j * size:(j + 1) * size])]
                     for j, r in enumerate(rows)], 4)
    mask = pack_rows([transparent[j * size:(j + 1) * size] for j in range(size)], 1)
    return (info_header(size, size * 2, 4, len(xor) + len(mask), 16)
            + palette_bytes(VGA) + xor + mask)


def make_icon(scene):
    """32-bit images at 48/32/16 plus 16-colour images at 32/16."""
    images = []
    for size in (48, 32, 16):
        c = Canvas(size, size, ss=4)
        scene(c, size, False)
        images.append((size, 32, ico_image_32(size, c.rgba())))
    for size in (32, 16):
        # One sample per pixel keeps the edges hard, as a 16-colour icon
        # needs; the scene uses exact VGA colours in this mode.
        c = Canvas(size, size, ss=1)
        scene(c, size, True)
        px = c.rgba()
        idx = [nearest(p[:3], VGA) for p in px]
        images.append((size, 4, ico_image_4(size, idx, [1 if p[3] < 128 else 0 for p in px])))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bpp == 4 else 0,
                           0, 1, bpp, len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, _, d in images)


# --------------------------------------------------------------------------
# Pictures. Icons are laid out on a 16-unit grid; u = pixels per unit is
# 1, 2 or 3, so whole units land on pixel edges at every size.

def icon_grid(s, vga):
    """Unit-to-pixel snapping, detail level and colour choice for one image."""
    u = s / 16

    def grid_rect(x0, y0, x1, y1, r=0):
        box = [math.floor(v * u + 0.5) for v in (x0, y0, x1, y1)]
        return rrect(*box, r * u) if r else rect(*box)

    def pick(full, pal):
        return VGA[pal] if vga else full
    return grid_rect, s >= 32, pick


def app_icon_scene(c, s, vga):
    R, big, pick = icon_grid(s, vga)
    u = s / 16

    # monitor stand
    stand = pick((70, 76, 88), GRAY)
    c.fill(R(6, 12.5, 10, 14.5), stand)
    c.fill(R(3.5, 14, 12.5, 15.5, 0.7) if big else R(4, 14, 12, 16), stand)
    # frame and screen
    if big and not vga:
        # a lighter rim keeps the dark frame visible on dark desktops
        c.fill(R(0, 1, 16, 13, 1.5), (104, 112, 128))
        c.fill(R(1 / u, 1 + 1 / u, 16 - 1 / u, 13 - 1 / u, 1.5 - 0.5 / u), (44, 50, 62))
    else:
        c.fill(R(0, 1, 16, 13, 1.2), pick((44, 50, 62), BLACK))
    top, bot = (34, 56, 104), (16, 26, 54)
    c.fill(R(1, 2, 15, 12), VGA[NAVY] if vga else
           lambda x, y: lerp(top, bot, (y - 2 * u) / (10 * u)))
    # bar along the top edge of the screen
    c.fill(R(1, 2, 15, 4), pick((255, 206, 28), YELLOW))
    if not vga and big:
        c.fill(R(1, 2, 15, 2.5), (255, 232, 120))
        c.fill(R(1, 3.5, 15, 4), (232, 168, 0))
    # panel hanging from the bar in the right half
    if not vga and big:
        c.fill(R(8.5, 4, 14.5, 11.5), (0, 0, 0), 0.35)
    c.fill(R(8, 4, 14, 11), pick((246, 248, 252), WHITE))
    item, hi = pick((150, 158, 172), GRAY), pick((48, 116, 230), BLUE)
    if big:
        c.fill(R(9, 5, 13, 5.5), item)
        c.fill(R(9, 6, 12.5, 6.5), item)
        c.fill(R(8, 7, 14, 8.5), hi)
        c.fill(R(9, 7.5, 12.5, 8), pick((255, 255, 255), WHITE))
        c.fill(R(9, 9.5, 12, 10), item)
    else:
        c.fill(R(9, 5, 13, 6), item)
        c.fill(R(8, 7, 14, 8), hi)
        c.fill(R(9, 9, 12, 10), item)


# Hand-placed arrow for the 16-pixel overlay, where a curve cannot be drawn.
SMALL_ARROW = [".###", "..##", ".#.#", "#..."]


def window_scene(c, s, vga):
    """Generic program window with the shortcut overlay."""
    R, big, pick = icon_grid(s, vga)
    u = s / 16

    y0 = 1.5 if big else 2
    if not vga and big:
        c.fill(R(1.5, y0 + 0.5, 15.5, 14.5), (0, 0, 0), 0.25)
    c.fill(R(1, y0, 15, 14), pick((70, 90, 130), NAVY))
    c.fill(R(1 + 1 / u, y0 + 1 / u, 15 - 1 / u, 14 - 1 / u), pick((255, 255, 255), WHITE))
    tb = y0 + (3.5 if big else 3)
    c0, c1 = (82, 150, 250), (26, 88, 204)
    c.fill(R(1, y0, 15, tb), VGA[BLUE] if vga else
           lambda x, y: lerp(c0, c1, (y - y0 * u) / ((tb - y0) * u)))
    light, text = pick((236, 242, 255), WHITE), pick((186, 194, 208), SILVER)
    if big:
        for bx in (12.5, 10.5):
            c.fill(R(bx, y0 + 1, bx + 1.5, y0 + 2.5), light)
        for k, end in enumerate((13, 12, 13, 11)):
            c.fill(R(9, tb + 1.5 + 1.5 * k, end, tb + 2 + 1.5 * k), text)
    else:
        c.fill(R(12, 3, 14, 4), light)
        c.fill(R(9, 7, 13, 8), text)
        c.fill(R(9, 9, 12, 10), text)
    # shortcut overlay in the bottom-left corner
    ink = pick((20, 24, 32), BLACK)
    c.fill(R(0, 9, 7, 16), pick((60, 64, 72), BLACK))
    c.fill(R(1 / u, 9 + 1 / u, 7 - 1 / u, 16 - 1 / u), pick((255, 255, 255), WHITE))
    if s == 16:
        for y, row in enumerate(SMALL_ARROW):
            for x, ch in enumerate(row):
                if ch == "#":
                    c.fill(rect(1 + x, 11 + y, 2 + x, 12 + y), ink)
    else:
        inset = 1 + 0.45 * u
        c.fill(shortcut_arrow(inset, 9 * u + inset, 7 * u - 2 * inset), ink)


# --------------------------------------------------------------------------
# Banner: "Quorvel!" reading bottom-to-top. Glyphs are upright, 12 rows:
# cap height rows 0-10, x-height rows 3-10, row 11 for the tail of the Q.

FONT = {
    "Q": ["..#####..", ".#######.", "###...###", "##.....##", "##.....##",
          "##.....##", "##.....##", "##..##.##", "###..####", ".#######.",
          "..#######", ".......##"],
    "u": ["##...##", "##...##", "##...##", "##...##", "##...##",
          "##..###", "#######", ".###.##"],
    "o": [".#####.", "#######", "##...##", "##...##", "##...##",
          "##...##", "#######", ".#####."],
    "r": ["##.###", "######", "###...", "##....", "##....",
          "##....", "##....", "##...."],
    "v": ["##....##", "##....##", ".##..##.", ".##..##.", ".##..##.",
          "..####..", "..####..", "...##..."],
    "e": [".#####.", "##...##", "##...##", "#######", "##.....",
          "##.....", "##...##", ".#####."],
    "l": ["##"] * 10 + [".##"],
    "!": ["##"] * 8 + ["..", "##", "##"],
}


def glyph_rows(ch):
    g = FONT[ch]
    if len(g) == 8:                      # x-height letters sit on rows 3-10
        g = [""] * 3 + g
    width = max(len(r) for r in g)
    return [r.ljust(width, ".") for r in g] + [("." * width)] * (12 - len(g))


def text_bitmap(text, gap=2):
    glyphs = [glyph_rows(ch) for ch in text]
    rows = ["" for _ in range(12)]
    for n, g in enumerate(glyphs):
        for y in range(12):
            rows[y] += g[y] + ("." * gap if n < len(glyphs) - 1 else "")
    return rows


def make_banner():
    w, h = 21, 211
    ramp = [BLACK, NAVY, BLUE]
    px = [[BLACK] * w for _ in range(h)]
    fade_top, fade_bottom = 24, h - 6    # black above, full blue below
    for y in range(h):
        t = min(max((y - fade_top) / (fade_bottom - fade_top), 0.0), 1.0)
        level = (t ** 1.3) * (len(ramp) - 1)
        for x in range(w):
            base = min(int(level), len(ramp) - 2)
            frac = level - base
            px[y][x] = ramp[base + 1] if frac * 16 > BAYER4[y % 4][x % 4] + 0.5 else ramp[base]
    text = text_bitmap("Quorvel!")
    left, bottom = (w - 12) // 2, h - 9
    # rotated 90 degrees counter-clockwise: letter tops face left
    for dx, dy, col in ((1, -1, BLACK), (0, 0, WHITE)):
        for ty, row in enumerate(text):
            for tx, ch in enumerate(row):
                if ch == "#":
                    px[bottom - tx + dy][left + ty + dx] = col
    return write_bmp(w, h, 4, VGA, px)


# --------------------------------------------------------------------------
# Wizard picture, quantised to 256 colours by median cut.

def median_cut(colours, n):
    """colours: dict rgb -> count. Returns (palette, rgb -> index)."""
    boxes = [sorted(colours.items())]

    def spread(box):
        lo = [min(c[0][k] for c in box) for k in range(3)]
        hi = [max(c[0][k] for c in box) for k in range(3)]
        ch = max(range(3), key=lambda k: hi[k] - lo[k])
        return hi[ch] - lo[ch], ch

    while len(boxes) < n:
        best, score, axis = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            rng, ch = spread(box)
            weight = rng * math.sqrt(sum(c[1] for c in box))
            if weight > score:
                best, score, axis = i, weight, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: (c[0][axis], c[0]))
        total, run, cut = sum(c[1] for c in box), 0, 1
        for k, c in enumerate(box[:-1]):
            run += c[1]
            cut = k + 1
            if run * 2 >= total:
                break
        boxes[best:best] = [box[:cut], box[cut:]]
    palette, index = [], {}
    for i, box in enumerate(boxes):
        total = sum(c[1] for c in box)
        palette.append(tuple(int(round(sum(c[0][k] * c[1] for c in box) / total))
                             for k in range(3)))
        for c in box:
            index[c[0]] = i
    return palette, index


def make_wizard():
    w, h = 118, 225
    c = Canvas(w, h, ss=4)
    top, bottom = (20, 52, 110), (86, 150, 206)
    c.shade(lambda x, y: lerp(top, bottom, (y / h) ** 0.9) + (1.0,))
    # two faint sweeping curves to settle the empty lower part
    c.fill(circle(-10, 372, 190), (255, 255, 255), 0.07)
    c.fill(circle(150, 350, 150), (255, 255, 255), 0.06)
    # soft light behind the icon
    gx, gy, gr = 60, 92, 70
    c.shade(lambda x, y: (255, 255, 255, 0.16 * max(0.0, 1 - math.hypot(x - gx, y - gy) / gr) ** 2))

    # program window
    x0, y0, x1, y1 = 24, 56, 100, 124
    c.soft_shadow(x0 + 3, y0 + 5, x1 + 3, y1 + 5, 5, 9, (6, 16, 40), 0.55)
    c.fill(rrect(x0, y0, x1, y1, 5), (40, 70, 130))
    c.fill(rrect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 4), (250, 252, 255))
    tb = y0 + 15
    c.fill(rrect(x0 + 1, y0 + 1, x1 - 1, tb + 6, 4),
           lambda x, y: lerp((110, 176, 255), (34, 96, 210), min((y - y0) / 15, 1)))
    c.fill(rect(x0 + 1, tb, x1 - 1, tb + 6), (250, 252, 255))
    for k in range(3):
        bx = x1 - 9 - 9 * k
        c.fill(rrect(bx, y0 + 5, bx + 6, y0 + 11, 1.5), (232, 240, 255))
    for k, length in enumerate((40, 34, 42, 26, 36)):
        yy = tb + 8 + 8 * k
        c.fill(rrect(52, yy, 52 + length, yy + 3, 1.5), (196, 206, 222))

    # shortcut overlay
    ax0, ay0, asz = 12, 100, 42
    c.soft_shadow(ax0 + 2, ay0 + 4, ax0 + asz + 2, ay0 + asz + 4, 6, 7, (6, 16, 40), 0.5)
    c.fill(rrect(ax0, ay0, ax0 + asz, ay0 + asz, 6), (120, 136, 164))
    c.fill(rrect(ax0 + 1.5, ay0 + 1.5, ax0 + asz - 1.5, ay0 + asz - 1.5, 4.5), (255, 255, 255))
    c.fill(shortcut_arrow(ax0 + 7, ay0 + 7, asz - 14), (26, 86, 196))

    # sparkles
    for sx, sy, sr, a in ((96, 40, 11, 0.95), (108, 64, 5, 0.8), (84, 24, 4, 0.6),
                          (20, 40, 4, 0.5)):
        c.fill(circle(sx, sy, sr * 0.45), (255, 244, 200), 0.25 * a)
        c.fill(star(sx, sy, sr), (255, 246, 196), a)

    px = [p[:3] for p in c.rgba()]
    counts = {}
    for p in px:
        counts[p] = counts.get(p, 0) + 1
    palette, index = median_cut(counts, 256)
    palette += [(0, 0, 0)] * (256 - len(palette))
    rows = [[index[p] for p in px[j * w:(j + 1) * w]] for j in range(h)]
    return write_bmp(w, h, 8, palette, rows)


# --------------------------------------------------------------------------
# Chime: three rising bell notes (C6, E6, G6) with inharmonic partials.

def make_chime():
    rate, n = 22050, 26460
    # (start s, frequency Hz, level, decay scale): the last note rings longer
    notes = [(0.00, 1046.50, 1.0, 1.0), (0.13, 1318.51, 0.9, 1.0), (0.26, 1567.98, 1.0, 0.7)]
    partials = [(1.0, 1.0, 4.5), (2.0, 0.45, 7.0), (2.76, 0.22, 11.0), (5.4, 0.08, 18.0)]
    fade = int(0.25 * rate)
    buf = []
    for i in range(n):
        t = i / rate
        v = 0.0
        for start, freq, amp, ring in notes:
            dt = t - start
            if dt < 0:
                continue
            attack = min(dt / 0.004, 1.0)
            for ratio, pa, decay in partials:
                env = amp * pa * attack * math.exp(-decay * ring * dt)
                v += env * math.sin(2 * math.pi * freq * ratio * dt)
        if i >= n - fade:
            v *= 0.5 + 0.5 * math.cos(math.pi * (i - (n - fade)) / fade)
        buf.append(v)
    scale = 0.85 * 127 / max(abs(v) for v in buf)
    data = bytes(128 + int(round(v * scale)) for v in buf)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    return (b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE"
            + b"fmt " + struct.pack("<I", len(fmt)) + fmt
            + b"data" + struct.pack("<I", len(data)) + data)


OUTPUTS = [
    ("quorvel.ico", lambda: make_icon(app_icon_scene)),
    ("shortcut.ico", lambda: make_icon(window_scene)),
    ("banner.bmp", make_banner),
    ("wizard.bmp", make_wizard),
    ("chime.wav", make_chime),
]


def main(argv):
    check = "--check" in argv[1:]
    bad = 0
    if not check:
        os.makedirs(RES_DIR, exist_ok=True)
    for name, make in OUTPUTS:
        data = make()
        path = os.path.join(RES_DIR, name)
        if check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except FileNotFoundError:
                print("missing: resources/" + name)
                bad += 1
                continue
            if not same:
                print("differs: resources/" + name)
                bad += 1
        else:
            with open(path, "wb") as f:
                f.write(data)
            print("wrote resources/%s (%d bytes)" % (name, len(data)))
    if check and not bad:
        print("all artwork up to date")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
