"""The masked image lists (16-pixel folder-dialog pictures, thumbnail attribute and
tag icons, print layouts, the broken-image sign, key caps, tap-and-hold dots), the
folder dialog's up button and the pan-mode hand cursor. Each list is drawn on its
mask colour (white or black), which therefore never appears inside a picture."""
from elements import (BLUE, FACE, GREEN, GREY, LBLUE, LIGHT, MID, PAPER, RED,
                      arrow, folder, open_folder, photo, sheet, speaker, tagged, text_mark)
from raster import DARK, Canvas, edge, ellipse, line, polygon, rect, text, write_cursor

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def cells(size, mask, painters):
    out = []
    for paint in painters:
        c = Canvas(size, size, mask)
        paint(c)
        out.append(c)
    return out


# "ILIST4_BMP": folder-dialog pictures, 16 x 16, mask white ---------------------------

def drop_down(c):
    c.draw(polygon([(3, 6), (12, 6), (8, 10), (7, 10)]), DARK)


def small_folder(c):
    folder(c, 1, 2, 14, 13)


def small_open_folder(c):
    open_folder(c, 0, 2, 15, 13, paper=False)


def drive(c):
    c.draw(rect(1, 5, 14, 11), LIGHT)
    c.put(line(2, 9, 13, 9), GREY)
    c.put(rect(11, 7, 12, 7), GREEN)


def computer(c):
    c.draw(rect(1, 1, 14, 10), MID)
    c.draw(rect(3, 3, 12, 8), LBLUE)
    c.draw(rect(6, 11, 9, 12), GREY)
    c.draw(rect(3, 13, 12, 14), GREY)


def image_file(c):
    sheet(c, 2, 0, 13, 15)
    photo(c, 4, 6, 11, 12)


def folder_up(c):
    folder(c, 0, 4, 12, 14)
    c.draw(arrow(11.5, 12, 11.5, 0, 1.5, 4, 4), GREEN)


def sort_order(c):
    for i, y in enumerate((3, 7, 11)):
        c.put(line(1, y, 4 + 3 * i, y) | line(1, y + 1, 4 + 3 * i, y + 1), MID)
    c.put(line(12, 1, 12, 14) | line(10, 12, 12, 14) | line(14, 12, 12, 14), BLUE)


# "ILIST_VIDEO": thumbnail attributes, 16 x 16, mask black ---------------------------

def film_strip(c):
    c.draw(rect(1, 1, 14, 14), (48, 48, 48))
    for y in range(3, 13, 3):
        c.put({(2, y), (3, y), (12, y), (13, y)}, PAPER)
    c.draw(rect(5, 3, 10, 7), LBLUE)
    c.draw(rect(5, 9, 10, 13), LBLUE)


def voice_note(c):
    c.draw(ellipse(7.5, 7.5, 7.4), PAPER)
    speaker(c, 2, 2, 12, waves=2)


# "ILIST_TAGS": tag icons, 16 x 16, mask black ---------------------------------------
# Index: 0 copy, 1 convert (with or without copy), 2 resize, 3 resize and convert,
# 4 delete, 5 crop, 6 rotate 90, 7 rotate 180, 8 rotate 270.

def small_tag(mark):
    return tagged(mark, (0, 2, 15, 13), BLACK)


def small_copy(c):
    c.draw(rect(5, 3, 9, 8), PAPER)
    c.draw(rect(8, 6, 12, 11), PAPER)


def convert_arrows(c, y0):
    c.put(line(5, y0, 12, y0) | {(11, y0 - 1), (11, y0 + 1)}, BLUE)
    c.put(line(6, y0 + 3, 13, y0 + 3) | {(7, y0 + 2), (7, y0 + 4)}, BLUE)


def small_convert(c):
    convert_arrows(c, 5)


def small_resize(c):
    c.draw(rect(5, 8, 8, 11), LBLUE)
    c.put(line(7, 9, 12, 4) | line(10, 4, 12, 4) | line(12, 4, 12, 6), BLUE)


def small_resize_convert(c):
    c.put(line(6, 7, 10, 3) | line(8, 3, 10, 3) | line(10, 3, 10, 5), BLUE)
    c.put(line(5, 9, 12, 9) | {(11, 8), (11, 10)}, BLUE)
    c.put(line(6, 11, 13, 11) | {(7, 10), (7, 12)}, BLUE)


def small_delete(c):
    c.put(line(5, 4, 11, 10) | line(6, 4, 12, 10) | line(11, 4, 5, 10) | line(12, 4, 6, 10), RED)


def small_crop(c):
    c.put(rect(4, 5, 11, 6) | rect(10, 5, 11, 12), MID)
    c.put(rect(6, 3, 7, 10) | rect(6, 9, 13, 10), DARK)


def small_rotation(angle):
    return text_mark(str(angle), 14, 5)


TAG_MARKS = [small_copy, small_convert, small_resize, small_resize_convert, small_delete, small_crop,
             small_rotation(90), small_rotation(180), small_rotation(270)]


# "ILIST_PRINT": copies-per-sheet and orientation pictures, 48 x 48, mask white -------
# Index: 0 portrait, 1 landscape, 2 one copy, 3 2 x 2, 4 3 x 3, 5 4 x 4, 6 wallet sized.

def paper_sheet(c, x0, y0, x1, y1):
    c.draw(rect(x0 + 2, y0 + 2, x1 + 2, y1 + 2), GREY, None)
    c.draw(rect(x0, y0, x1, y1), PAPER)


def portrait(c):
    paper_sheet(c, 9, 3, 38, 43)
    photo(c, 13, 8, 34, 24)


def landscape(c):
    paper_sheet(c, 3, 9, 43, 38)
    photo(c, 8, 13, 38, 30)


def copies(n):
    def paint(c):
        paper_sheet(c, 9, 3, 38, 43)
        cell_w, cell_h = 26 // n, 36 // n
        for j in range(n):
            for i in range(n):
                x, y = 11 + i * cell_w, 5 + j * cell_h
                photo(c, x, y, x + cell_w - 2, y + cell_h - 2)
    return paint


def wallet(c):
    paper_sheet(c, 9, 3, 38, 43)
    for j in range(3):
        for i in range(2):
            x, y = 12 + i * 13, 6 + j * 12
            photo(c, x, y, x + 10, y + 10)


# "ILIST_BAD": the broken-image sign, 32 x 32, mask white -----------------------------

CRACK = [(4, 16), (9, 12), (14, 17), (19, 12), (25, 16)]   # (row, column) corners of the tear


def crack_column(y):
    """Column of the tear in row y, interpolated between its corners."""
    for (ya, xa), (yb, xb) in zip(CRACK, CRACK[1:]):
        if ya <= y <= yb:
            return round(xa + (xb - xa) * (y - ya) / (yb - ya))
    return CRACK[-1][1]


def broken_image(c):
    """A photo torn in two along a zigzag, the right piece pulled down and away."""
    whole = Canvas(32, 32, WHITE)
    photo(whole, 2, 4, 27, 25)
    left, right = set(), set()
    for y in range(4, 26):
        for x in range(2, 28):
            colour = whole.pixels[y][x]
            if x < crack_column(y):
                left.add((x, y))
                c.pixels[y][x] = colour
            else:
                right.add((x + 3, y + 2))
                c.pixels[y + 2][x + 3] = colour
    c.put(edge(left) | edge(right), DARK)


# "ILIST_KEYS": the 13 bindable keys, 16 x 16, mask white -----------------------------

def keycap(symbol):
    def paint(c):
        c.draw(rect(0, 0, 15, 15) - {(0, 0), (15, 0), (0, 15), (15, 15)}, LIGHT)
        c.put(line(1, 14, 14, 14), GREY)
        symbol(c)
    return paint


def key_arrow(x0, y0, x1, y1):
    return lambda c: c.put(arrow(x0, y0, x1, y1, 0.6, 3, 3), DARK)


def key_enter(c):
    c.put(line(11, 3, 11, 8) | line(4, 8, 11, 8) | line(5, 7, 5, 9) | line(6, 6, 6, 10), DARK)


def key_text(s):
    return lambda c: c.put(text(s, 8 - (4 * len(s) - 1) // 2, 5), DARK)


def key_space(c):
    c.put(line(3, 8, 3, 10) | line(3, 10, 12, 10) | line(12, 8, 12, 10), DARK)


def key_tab(c):
    c.put(line(2, 7, 10, 7) | line(8, 5, 10, 7) | line(8, 9, 10, 7) | line(12, 4, 12, 10), DARK)


def chevrons(up):
    def symbol(c):
        out = set()
        for y0 in (3, 7):
            out |= line(4, y0 + 3, 7, y0) | line(8, y0, 11, y0 + 3)
        c.put(out if up else {(x, 13 - y) for (x, y) in out}, DARK)
    return symbol


def key_home(c):
    c.put(line(3, 3, 11, 3) | line(3, 3, 3, 11) | line(5, 5, 11, 11) | line(5, 5, 8, 5) | line(5, 5, 5, 8), DARK)


def key_end(c):
    c.put({(14 - x, 13 - y) for (x, y) in line(3, 3, 11, 3) | line(3, 3, 3, 11) | line(5, 5, 11, 11)
           | line(5, 5, 8, 5) | line(5, 5, 5, 8)}, DARK)


def key_delete(c):
    c.put(polyline_closed([(2, 7), (5, 3), (13, 3), (13, 11), (5, 11), (2, 8)]), DARK)
    c.put(line(7, 5, 11, 9) | line(11, 5, 7, 9), RED)


def polyline_closed(points):
    out = set()
    for a, b in zip(points, points[1:] + points[:1]):
        out |= line(a[0], a[1], b[0], b[1])
    return out


KEY_SYMBOLS = [key_arrow(7.5, 12, 7.5, 2), key_arrow(7.5, 2, 7.5, 12), key_arrow(12, 7, 2, 7),
               key_arrow(2, 7, 12, 7), key_enter, key_text("ESC"), key_space, key_tab,
               chevrons(True), chevrons(False), key_home, key_end, key_delete]


# "ILIST_TAPNHOLD": dots of the tap-and-hold ring, 8 x 8, mask white -------------------
# Index: 0 a dot already shown, 1 a dot still to come.

def dot(fill):
    return lambda c: c.draw(ellipse(3.5, 3.5, 3.3), fill)


# "DIR_UP": the folder dialog's up-one-level button, 16 x 16 on the button face -----

def dir_up(c):
    folder_up(c)


def lists():
    return [
        ("ILIST4_BMP.bmp", cells(16, WHITE, [drop_down, small_folder, small_open_folder, drive, computer,
                                             image_file, folder_up, sort_order])),
        ("ILIST_VIDEO.bmp", cells(16, BLACK, [film_strip, voice_note])),
        ("ILIST_TAGS.bmp", cells(16, BLACK, [small_tag(m) for m in TAG_MARKS])),
        ("ILIST_PRINT.bmp", cells(48, WHITE, [portrait, landscape, copies(1), copies(2), copies(3), copies(4),
                                              wallet])),
        ("ILIST_BAD.bmp", cells(32, WHITE, [broken_image])),
        ("ILIST_KEYS.bmp", cells(16, WHITE, [keycap(s) for s in KEY_SYMBOLS])),
        ("ILIST_TAPNHOLD.bmp", cells(8, WHITE, [dot(BLUE), dot(LIGHT)])),
        ("DIR_UP.bmp", cells(16, FACE, [dir_up])),
    ]


# "HAND": pan-mode cursor, 32 x 32, hot spot in the palm -------------------------------

HAND_HOT_SPOT = (16, 19)


def hand_shape():
    """An open hand: four fingers sharing their side lines, a thumb, a rounded palm."""
    fingers = [(8, 12, 7), (12, 16, 4), (16, 20, 5), (20, 24, 8)]
    shape = set()
    for (x0, x1, top) in fingers:
        shape |= rect(x0, top + 2, x1, 17) | ellipse((x0 + x1) / 2, top + 2, (x1 - x0) / 2, 2)
    shape |= rect(8, 14, 24, 24) | ellipse(16, 24, 8, 4)
    shape |= polygon([(8, 18), (3, 13), (1, 15), (8, 25)])
    seams = set()
    for x in (12, 16, 20):
        seams |= line(x, 6, x, 14)
    return shape, seams


def write_hand_cursor(path):
    shape, seams = hand_shape()
    black = edge(shape) | (seams & shape)
    write_cursor(black, shape - black, 32, HAND_HOT_SPOT[0], HAND_HOT_SPOT[1], path)


def hand_preview():
    """The cursor drawn on grey, for the contact sheet."""
    shape, seams = hand_shape()
    c = Canvas(32, 32, (160, 200, 160))
    c.put(shape, WHITE)
    c.put(edge(shape) | (seams & shape), BLACK)
    c.put({HAND_HOT_SPOT}, RED)
    return c
