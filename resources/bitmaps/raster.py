"""Pixel drawing for the image-list generators: shapes are sets of (x, y) pixels
(rectangles, ellipses, polygons by pixel-centre inclusion, ring sectors, Bresenham
lines) painted with a fill and a one-pixel outline on their own edge; canvases are
written as 24-bit Windows BMP (bottom-up BI_RGB), PNG (zlib, for contact sheets) or
a monochrome Windows cursor (.cur: icon directory, BITMAPINFOHEADER, XOR and AND masks)."""
import math
import struct
import zlib

DARK = (32, 32, 32)  # outlines; never pure black, which is the mask of some lists


def rect(x0, y0, x1, y1):
    """Pixels of the rectangle with inclusive corners."""
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def ellipse(cx, cy, rx, ry=None):
    """Pixels whose centres lie in the ellipse (centres may be half-integers)."""
    ry = rx if ry is None else ry
    out = set()
    for y in range(math.floor(cy - ry) - 1, math.ceil(cy + ry) + 2):
        for x in range(math.floor(cx - rx) - 1, math.ceil(cx + rx) + 2):
            if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0001:
                out.add((x, y))
    return out


def line(x0, y0, x1, y1):
    """Bresenham line between two pixels, both ends included."""
    out = set()
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
    err = dx + dy
    while True:
        out.add((x0, y0))
        if x0 == x1 and y0 == y1:
            return out
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def polyline(points):
    out = set()
    for (a, b) in zip(points, points[1:]):
        out |= line(round(a[0]), round(a[1]), round(b[0]), round(b[1]))
    return out


def _inside(points, x, y):
    """Even-odd test of a pixel centre against a polygon."""
    inside = False
    n = len(points)
    for i in range(n):
        (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
        if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
            inside = not inside
    return inside


def polygon(points):
    """Pixels whose centres lie inside the polygon, plus its integer-vertex edges."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    out = set()
    for y in range(math.floor(min(ys)), math.ceil(max(ys)) + 1):
        for x in range(math.floor(min(xs)), math.ceil(max(xs)) + 1):
            if _inside(points, x + 1e-4, y + 1e-4):
                out.add((x, y))
    if all(float(v).is_integer() for p in points for v in p):
        out |= polyline(list(points) + [points[0]])
    return out


def ring(cx, cy, r0, r1, a0=0.0, a1=360.0):
    """Pixels between radii r0 and r1 whose angle (degrees, counter-clockwise from
    east, y up) lies in [a0, a1]."""
    out = set()
    for y in range(math.floor(cy - r1) - 1, math.ceil(cy + r1) + 2):
        for x in range(math.floor(cx - r1) - 1, math.ceil(cx + r1) + 2):
            d = math.hypot(x - cx, y - cy)
            if r0 <= d <= r1:
                a = math.degrees(math.atan2(cy - y, x - cx)) % 360.0
                if any(a0 <= a + turn <= a1 for turn in (-360.0, 0.0, 360.0)):
                    out.add((x, y))
    return out


def shift(shape, dx, dy):
    return {(x + dx, y + dy) for (x, y) in shape}


def mirror_x(shape, width):
    return {(width - 1 - x, y) for (x, y) in shape}


def edge(shape):
    """Pixels of the shape with a 4-neighbour outside it."""
    return {(x, y) for (x, y) in shape
            if not {(x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)} <= shape}


# 3 x 5 pixel glyphs for the few places where a digit or letter is the clearest sign.
GLYPHS = {
    "0": "111101101101111", "1": "010110010010111", "2": "111001111100111",
    "3": "111001111001111", "4": "101101111001001", "5": "111100111001111",
    "6": "111100111101111", "7": "111001010010010", "8": "111101111101111",
    "9": "111101111001111", "%": "101001010100101", ":": "000010000010000",
    "A": "010101111101101", "J": "001001001101111", "P": "110101110100100",
    "G": "011100101101011", "C": "011100100100011", "B": "110101110101110",
    "E": "111100110100111", "S": "011100010001110", "T": "111010010010010",
    "c": "000011100100011", "s": "000011110011110", "x": "000101010101000",
    "?": "111001010000010", "-": "000000111000000", "D": "110101101101110",
    "L": "100100100100111", "H": "101101111101101", "N": "110101101101101",
}


def text(s, x, y):
    """Pixels of a string in the 3 x 5 font, one blank column between glyphs."""
    out = set()
    for i, ch in enumerate(s):
        bits = GLYPHS[ch]
        for j, bit in enumerate(bits):
            if bit == "1":
                out.add((x + 4 * i + j % 3, y + j // 3))
    return out


def text_width(s):
    return 4 * len(s) - 1


class Canvas:
    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def put(self, shape, colour):
        for (x, y) in shape:
            if 0 <= x < self.width and 0 <= y < self.height:
                self.pixels[y][x] = colour

    def draw(self, shape, fill, outline=DARK):
        """Fills the shape and paints its edge pixels with the outline colour."""
        self.put(shape, fill)
        if outline is not None:
            self.put(edge(shape), outline)

    def paste(self, other, x0, y0):
        for y, row in enumerate(other.pixels):
            for x, c in enumerate(row):
                if 0 <= x0 + x < self.width and 0 <= y0 + y < self.height:
                    self.pixels[y0 + y][x0 + x] = c


def strip(cells):
    """Cells of equal size side by side, left to right."""
    width = sum(c.width for c in cells)
    out = Canvas(width, cells[0].height, (0, 0, 0))
    x = 0
    for c in cells:
        out.paste(c, x, 0)
        x += c.width
    return out


def write_bmp(canvas, path):
    """24-bit bottom-up BMP with a BITMAPINFOHEADER, rows padded to 4 bytes."""
    pad = (4 - canvas.width * 3 % 4) % 4
    body = bytearray()
    for row in reversed(canvas.pixels):
        for (r, g, b) in row:
            body += bytes((b, g, r))
        body += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def write_png(canvas, path, scale=1):
    """8-bit RGB PNG, each pixel enlarged to scale x scale."""
    raw = bytearray()
    for row in canvas.pixels:
        line_bytes = b"".join(bytes(c) * scale for c in row)
        for _ in range(scale):
            raw += b"\0" + line_bytes

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    ihdr = struct.pack(">IIBBBBB", canvas.width * scale, canvas.height * scale, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))


def write_cursor(black, white, size, hot_x, hot_y, path):
    """Monochrome cursor: pixels of `black` and `white` are opaque, the rest transparent.
    AND bit 1 with XOR bit 0 is transparent; AND 0 with XOR 0 black, XOR 1 white."""
    stride = (size + 31) // 32 * 4

    def mask(opaque_bit):
        out = bytearray()
        for y in reversed(range(size)):
            row = bytearray(stride)
            for x in range(size):
                if opaque_bit((x, y)):
                    row[x // 8] |= 0x80 >> (x % 8)
            out += row
        return out

    xor = mask(lambda p: p in white)
    and_mask = mask(lambda p: p not in black and p not in white)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(and_mask), 0, 0, 2, 0)
    image = info + bytes((0, 0, 0, 0, 255, 255, 255, 0)) + xor + and_mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)
