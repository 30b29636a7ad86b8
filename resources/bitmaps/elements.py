"""Shared picture elements of the image lists (sheet, folder, floppy disk, photo,
projection screen, tag, magnifier, arrows, check mark, cross) and their palette,
drawn as flat shapes with a one-pixel dark outline on a raster.Canvas."""
import math

from raster import DARK, Canvas, ellipse, line, polygon, rect, ring, text, text_width

FACE = (192, 192, 192)      # button face of the toolbar pictures
HILITE = (255, 255, 255)
SHADOW = (128, 128, 128)
PAPER = (250, 250, 250)     # white objects; pure white is the mask of some lists
LIGHT = (222, 222, 222)
GREY = (164, 164, 164)
MID = (112, 112, 112)
BLUE = (44, 98, 196)
LBLUE = (150, 194, 240)
YELLOW = (250, 206, 72)
DYELLOW = (214, 158, 40)
RED = (214, 46, 38)
GREEN = (52, 156, 68)
BROWN = (150, 96, 48)


def button(size=24):
    """Raised button face: white top and left edge, grey bottom and right edge."""
    c = Canvas(size, size, FACE)
    far = size - 1
    c.put(line(0, 0, far, 0) | line(0, 0, 0, far), HILITE)
    c.put(line(1, far, far, far) | line(far, 1, far, far), SHADOW)
    return c


def transpose(shape):
    return {(y, x) for (x, y) in shape}


def arrow(x0, y0, x1, y1, half=1.5, head=3.5, head_len=None):
    """Straight arrow from (x0, y0) to the tip (x1, y1): a shaft `2 * half` wide and a
    triangular head `2 * head` wide, as one shape."""
    head_len = head if head_len is None else head_len
    length = math.hypot(x1 - x0, y1 - y0)
    dx, dy = (x1 - x0) / length, (y1 - y0) / length
    nx, ny = -dy, dx
    bx, by = x1 - dx * head_len, y1 - dy * head_len
    shaft = polygon([(x0 + nx * half, y0 + ny * half), (bx + nx * half, by + ny * half),
                     (bx - nx * half, by - ny * half), (x0 - nx * half, y0 - ny * half)])
    tip = polygon([(bx + nx * head, by + ny * head), (x1 + dx * 0.5, y1 + dy * 0.5),
                   (bx - nx * head, by - ny * head)])
    return shaft | tip


def curved_arrow(cx, cy, r, start, sweep, width=3.0, head=3.5):
    """Clockwise arc arrow around (cx, cy) at mid radius r, from angle `start`
    (degrees, counter-clockwise from east) through `sweep` degrees, with its head at
    the end pointing along the turn."""
    end = start - sweep
    body = ring(cx, cy, r - width / 2, r + width / 2, end, start)
    a = math.radians(end)
    px, py = cx + r * math.cos(a), cy - r * math.sin(a)
    rx, ry = math.cos(a), -math.sin(a)          # outward, screen coordinates
    tx, ty = math.sin(a), math.cos(a)           # clockwise tangent
    tip = (px + tx * (head + 0.8), py + ty * (head + 0.8))
    return body | polygon([(px + rx * head, py + ry * head), tip, (px - rx * head, py - ry * head)])


def thick_line(x0, y0, x1, y1, width=3):
    """A band of `width` pixels across a line (offsets along the minor axis)."""
    out = set()
    steep = abs(y1 - y0) > abs(x1 - x0)
    for k in range(width):
        o = k - width // 2
        out |= line(x0 + o, y0, x1 + o, y1) if not steep else line(x0, y0 + o, x1, y1 + o)
    return out


def cross(c, x0, y0, size, colour=RED):
    """Diagonal cross in a size x size box, 3-pixel bands."""
    far = size - 1
    out = set()
    for k in range(size):
        for d in (-1, 0, 1):
            if 0 <= k + d <= far:
                out.add((x0 + k + d, y0 + k))
                out.add((x0 + far - k - d, y0 + k))
    c.draw(out, colour)


def check_mark(c, x0, y0, colour=GREEN):
    """Tick of 11 x 9 pixels with its top-left at (x0, y0)."""
    out = set()
    for d in range(3):
        out |= line(x0, y0 + 4 + d, x0 + 3, y0 + 7 + d) | line(x0 + 3, y0 + 7 + d, x0 + 10, y0 + d)
    c.draw(out, colour)


def sheet(c, x0, y0, x1, y1, fill=PAPER, ear=3, lines=False):
    """A sheet of paper with a folded top-right corner, optionally with text lines."""
    c.draw(polygon([(x0, y0), (x1 - ear, y0), (x1, y0 + ear), (x1, y1), (x0, y1)]), fill)
    c.put(line(x1 - ear, y0, x1 - ear, y0 + ear) | line(x1 - ear, y0 + ear, x1, y0 + ear), DARK)
    if lines:
        for y in range(y0 + ear + 2, y1 - 1, 2):
            c.put(line(x0 + 2, y, x1 - 2, y), GREY)


def folder(c, x0, y0, x1, y1, fill=YELLOW):
    """Closed folder: tab at the top left, body below it."""
    tab = polygon([(x0, y0 + 2), (x0 + 1, y0), (x0 + 5, y0), (x0 + 6, y0 + 2)])
    c.draw(tab | rect(x0, y0 + 2, x1, y1), fill)
    c.put(line(x0 + 1, y0 + 3, x1 - 1, y0 + 3), DYELLOW)


def open_folder(c, x0, y0, x1, y1, paper=True):
    """Open folder: back with tab, a sheet peeking out, front flap tilted forward."""
    folder(c, x0, y0, x1 - 1, y1, DYELLOW)
    if paper:
        c.draw(rect(x0 + 3, y0 + 2, x1 - 4, y0 + 6), PAPER)
    mid = y0 + (y1 - y0) // 2
    c.draw(polygon([(x0, y1), (x0 + 3, mid), (x1, mid), (x1 - 3, y1)]), YELLOW)


def floppy(c, x0, y0, x1, y1):
    """Floppy disk: body with a cut corner, metal shutter at the top, label below."""
    w = x1 - x0
    c.draw(polygon([(x0, y0), (x1 - 2, y0), (x1, y0 + 2), (x1, y1), (x0, y1)]), BLUE)
    c.draw(rect(x0 + w // 4, y0, x1 - w // 4 - 1, y0 + (y1 - y0) * 2 // 5), LIGHT)
    sx = x1 - w // 4 - 3
    c.put(rect(sx, y0 + 2, sx + 1, y0 + (y1 - y0) * 2 // 5 - 2), MID)
    c.draw(rect(x0 + 2, y1 - (y1 - y0) // 3 - 1, x1 - 2, y1), PAPER)


def photo(c, x0, y0, x1, y1, frame=True):
    """A small landscape picture: sky, sun, green hill."""
    box = rect(x0, y0, x1, y1)
    c.draw(box, LBLUE, DARK if frame else None)
    w, h = x1 - x0, y1 - y0
    inner = rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1)
    hill = ellipse(x0 + w * 0.35, y1 + h * 0.25, w * 0.7, h * 0.6) & inner
    c.put(hill, GREEN)
    sun_r = max(1.0, min(w, h) / 7)
    c.put(ellipse(x1 - w * 0.28, y0 + h * 0.3, sun_r) & inner, YELLOW)


def screen(c, x0, y0, x1, y1, stand=True):
    """Projection screen: a roller bar at the top, the white screen, a tripod stand.
    Returns the screen's inner box for its content."""
    c.draw(rect(x0, y0 + 1, x1, y1), PAPER)
    c.draw(rect(x0 - 1, y0, x1 + 1, y0 + 2), MID)
    if stand:
        mid = (x0 + x1) // 2
        c.put(line(mid, y1 + 1, mid, y1 + 3) | line(mid, y1 + 1, mid - 4, y1 + 4)
              | line(mid, y1 + 1, mid + 4, y1 + 4), DARK)
    return (x0 + 2, y0 + 4, x1 - 2, y1 - 2)


def magnifier(c, cx, cy, r, handle_to):
    """Lens of radius r with a rim and a thick handle towards handle_to."""
    hx, hy = handle_to
    d = r * 0.72
    band = set()
    for k in (-1, 0, 1):
        band |= line(round(cx + d) + k, round(cy + d), hx + k, hy) | line(round(cx + d), round(cy + d) + k, hx, hy + k)
    c.draw(band, BROWN)
    c.draw(ellipse(cx, cy, r), MID)
    c.draw(ellipse(cx, cy, r - 1.5), LBLUE)


def tag_shape(x0, y0, x1, y1):
    """Luggage tag pointing left, with its point spanning the middle rows."""
    mid = (y0 + y1) / 2
    point = max(3, (y1 - y0) // 3)
    return polygon([(x0, math.floor(mid)), (x0 + point, y0), (x1, y0), (x1, y1), (x0 + point, y1),
                    (x0, math.ceil(mid))])


def tag(c, x0, y0, x1, y1, fill=YELLOW, hole_colour=None):
    """A tag with a punched hole; the hole shows `hole_colour` (the background)."""
    c.draw(tag_shape(x0, y0, x1, y1), fill)
    mid = (y0 + y1) / 2
    hx = x0 + max(3, (y1 - y0) // 3) - 1
    hole = {(hx, math.floor(mid)), (hx, math.ceil(mid))}
    c.put(hole, DARK if hole_colour is None else hole_colour)


def tagged(mark, box, hole_colour):
    """Picture function: a yellow tag in `box` carrying the mark drawn by `mark`."""
    def picture(c):
        tag(c, *box, YELLOW, hole_colour)
        mark(c)
    return picture


def text_mark(s, right, top):
    """Picture function: `s` in the small font, its last column at x = right."""
    return lambda c: c.put(text(s, right - text_width(s) + 1, top), DARK)


def plus(x0, y0, size=7):
    """Plus sign of 3-pixel bars in a size x size box."""
    m = size // 2
    return rect(x0, y0 + m - 1, x0 + size - 1, y0 + m + 1) | rect(x0 + m - 1, y0, x0 + m + 1, y0 + size - 1)


def minus(x0, y0, size=7):
    m = size // 2
    return rect(x0, y0 + m - 1, x0 + size - 1, y0 + m + 1)


def grid(c, x0, y0, cols, rows, cell, gap, fill=LBLUE):
    """A grid of outlined square cells."""
    for j in range(rows):
        for i in range(cols):
            x, y = x0 + i * (cell + gap), y0 + j * (cell + gap)
            c.draw(rect(x, y, x + cell - 1, y + cell - 1), fill)


def triangle_left(x0, y0, x1, y1):
    """Filled triangle pointing left within the box (odd height keeps it symmetric)."""
    mid = (y0 + y1) // 2
    return polygon([(x1, y0), (x1, y1), (x0, mid)])


def speaker(c, x0, y0, size, waves=2):
    """Loudspeaker facing right with `waves` sound arcs; size is the box height."""
    mid = y0 + size // 2
    box_h = size // 4
    c.draw(rect(x0, mid - box_h, x0 + size // 5, mid + box_h - (1 - size % 2)), GREY)
    cone = polygon([(x0 + size // 5, mid - box_h), (x0 + size // 2, y0 + 1), (x0 + size // 2, y0 + size - 2),
                    (x0 + size // 5, mid + box_h - (1 - size % 2))])
    c.draw(cone, GREY)
    cy = y0 + (size - 1) / 2
    for k in range(waves):
        r = size * 0.2 + k * size * 0.19
        c.put(ring(x0 + size / 2, cy, r, r + max(1.0, size / 14), -45, 45), DARK)

