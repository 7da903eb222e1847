# SPDX-License-Identifier: MIT
"""Procedural textures of the default benchmark scene, written as PNG files.

Every picture comes from integer hashing, so running this again gives the same bytes.
Sides are powers of two from 8 to 128, as the engine's texture wrapping needs.
"""
import struct
import zlib


def hash32(*values):
    """A small integer hash (xorshift-multiply), the same on every machine."""
    h = 0x9E3779B9
    for v in values:
        h = (h ^ (v & 0xFFFFFFFF)) * 0x85EBCA6B & 0xFFFFFFFF
        h ^= h >> 13
        h = h * 0xC2B2AE35 & 0xFFFFFFFF
        h ^= h >> 16
    return h


def noise(x, y, seed, span=256):
    """Hash noise 0..span-1."""
    return hash32(x, y, seed) % span


def clamp(v):
    return max(0, min(255, int(v)))


def write_png(path, width, height, pixels, alpha):
    """pixels: rows of (r, g, b, a) tuples; alpha chooses RGBA or RGB."""
    channels = 4 if alpha else 3
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for p in row:
            raw.extend(p[:channels])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))


def picture(width, height, shader):
    return [[shader(x, y) for x in range(width)] for y in range(height)]


def foil(x, y):
    """Gold multi-layer insulation: crinkled facets of varying brightness."""
    cell = noise(x // 6 + (y // 5) * 3, y // 5, 1, 60)
    grain = noise(x, y, 2, 24)
    k = 150 + cell + grain
    return (clamp(k * 1.05), clamp(k * 0.78), clamp(k * 0.22), 255)


def bay(x, y):
    """Grey equipment bay: a frame, two boxes and rivets."""
    base = 120 + noise(x, y, 3, 12)
    if x % 32 in (0, 31) or y % 32 in (0, 31):
        base = 70
    if 6 <= x % 32 <= 25 and 8 <= y % 32 <= 14:
        base = 170
    if 10 <= x % 32 <= 21 and 19 <= y % 32 <= 26:
        base = 60
    if x % 8 == 3 and y % 32 == 3:
        base = 220
    return (base, base, clamp(base * 1.08), 255)


def solar(x, y):
    """Solar cells: dark blue squares in a silver grid, slightly varied."""
    if x % 16 == 0 or y % 16 == 0:
        return (200, 200, 210, 255)
    v = noise(x // 16, y // 16, 4, 30)
    line = 18 if x % 4 == 2 else 0
    return (20 + v // 2, 40 + v + line, 130 + 2 * v + line, 255)


def panel_back(x, y):
    """Back of the solar panels: white sheet with a structural cross."""
    k = 205 + noise(x, y, 5, 20)
    if x in (15, 16) or y in (15, 16):
        k = 150
    return (k, k, k, 255)


def truss(x, y):
    """Lattice girder: two rails and diagonals; the rest is transparent (keyed)."""
    solid = x < 3 or x > 28 or abs(x - y) <= 1 or abs(x + y - 31) <= 1
    if not solid:
        return (0, 0, 0, 0)
    k = 170 + noise(x, y, 6, 40)
    return (k, k, clamp(k * 0.9), 255)


def dish(x, y):
    """Reflector: white with radial ribs every eighth of the circle (u runs around)."""
    k = 225 + noise(x, y, 7, 25)
    if x % 8 == 0:
        k = 140
    if y % 16 == 15:
        k = 180
    return (k, k, clamp(k * 0.97), 255)


def metal(x, y):
    """Brushed dark metal: horizontal streaks."""
    k = 90 + noise(0, y, 8, 50) + noise(x, y, 9, 16)
    return (k, clamp(k * 1.02), clamp(k * 1.1), 255)


def glass(x, y):
    """Lens glass: deep blue with a highlight (drawn averaged with what is behind)."""
    d = (x - 5) ** 2 + (y - 5) ** 2
    if d < 6:
        return (230, 240, 255, 255)
    return (30, 60 + 4 * y, 170 + 4 * x, 255)


def net(x, y):
    """Copper mesh of a radiator: thin wires, open holes (keyed and averaged)."""
    if x % 8 in (0, 1) or y % 8 in (0, 1):
        k = noise(x, y, 10, 40)
        return (200 + k // 2, 120 + k, 60, 255)
    return (0, 0, 0, 0)


def moon(x, y):
    """Grey regolith with craters (rims bright on one side, floors dark)."""
    k = 120 + noise(x // 2, y // 2, 11, 30) + noise(x, y, 12, 12)
    for cx, cy, r in ((14, 20, 7), (44, 12, 5), (36, 44, 9), (8, 52, 4), (56, 36, 3)):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if d2 < r * r:
            k -= 35
        elif d2 < (r + 2) ** 2:
            k += 30 if (x - cx) + (y - cy) < 0 else -20
    k = clamp(k)
    return (k, k, clamp(k * 0.95), 255)


TEXTURES = [
    # file, width, height, shader, alpha
    ("foil.png", 64, 64, foil, False),
    ("bay.png", 64, 64, bay, False),
    ("solar.png", 32, 64, solar, False),
    ("panelback.png", 32, 32, panel_back, False),
    ("truss.png", 32, 32, truss, True),
    ("dish.png", 64, 64, dish, False),
    ("metal.png", 32, 32, metal, False),
    ("glass.png", 16, 16, glass, False),
    ("net.png", 32, 32, net, True),
    ("moon.png", 64, 64, moon, False),
]


def write_all(folder):
    for name, width, height, shader, alpha in TEXTURES:
        write_png(f"{folder}/{name}", width, height, picture(width, height, shader), alpha)
