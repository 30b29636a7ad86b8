"""The 24 x 24 toolbar pictures, one per command identifier: each draws on a raised
button face (the list has no mask colour) what its command does, with the shared
elements and palette. PICTURES maps a command identifier to its drawing function."""
import elements
from elements import (BLUE, BROWN, DARK, DYELLOW, FACE, GREEN, GREY, LBLUE, LIGHT, MID,
                      PAPER, RED, YELLOW, arrow, check_mark, cross, curved_arrow, floppy, folder,
                      grid, magnifier, minus, open_folder, photo, plus, screen, sheet, speaker, tag,
                      thick_line, transpose, triangle_left, button)
from raster import edge, ellipse, line, mirror_x, polygon, rect, ring, text, text_width

C = 11.5  # centre of a 24-pixel picture
STEEL = (120, 140, 176)


def mirrored(draw):
    """The picture of `draw`, mirrored left to right (shapes only, via a scratch canvas)."""
    def picture(c):
        scratch = button()
        draw(scratch)
        for y in range(2, 22):
            for x in range(2, 22):
                c.pixels[y][x] = scratch.pixels[y][23 - x]
    return picture


# File commands -------------------------------------------------------------------

def open_file(c):
    open_folder(c, 2, 4, 21, 19)


def save_as(c):
    floppy(c, 3, 3, 20, 20)


def close_file(c):
    sheet(c, 3, 2, 16, 20, lines=True)
    cross(c, 12, 11, 10)


def previous_file(c):
    sheet(c, 7, 2, 19, 19, lines=True)
    c.draw(arrow(20, 15, 2, 15, 1.5, 3.5), GREEN)


def copy_file(c):
    sheet(c, 2, 2, 12, 16, lines=True)
    folder(c, 9, 12, 21, 21)
    c.draw(arrow(17, 2, 17, 13, 1.2, 3.5), GREEN)


def delete_file(c):
    c.draw(rect(8, 2, 15, 4), GREY)
    c.draw(rect(3, 4, 20, 6), GREY)
    c.draw(polygon([(5, 7), (18, 7), (17, 21), (6, 21)]), LIGHT)
    for x in (9, 12, 15):
        c.put(line(x, 9, x, 19), MID)


def rename_file(c):
    c.draw(rect(2, 7, 21, 16), PAPER)
    c.put(text("AB", 4, 9), DARK)
    c.put(line(14, 5, 14, 18) | line(12, 5, 16, 5) | line(12, 18, 16, 18), BLUE)


def file_associations(c):
    sheet(c, 2, 2, 14, 18, lines=True)
    c.draw(ring(11.5, 13.5, 1.6, 4.4), MID)
    c.draw(ring(16.5, 17.5, 1.6, 4.4) - ring(11.5, 13.5, 1.0, 4.4, 200, 330), MID)


def send_email(c):
    c.draw(rect(2, 5, 21, 18), PAPER)
    c.put(line(3, 6, 11, 12) | line(12, 12, 20, 6), DARK)


def send_irda(c):
    c.draw(rect(3, 4, 10, 20), GREY)
    c.draw(rect(5, 6, 8, 11), LBLUE)
    c.put(rect(6, 2, 7, 3), DARK)
    for r in (4.0, 7.0, 10.0):
        c.put(ring(10, 12, r, r + 1.3, -40, 40), RED)


def print_image(c):
    c.draw(rect(6, 2, 17, 10), PAPER)
    c.draw(rect(2, 9, 21, 17), GREY)
    c.put(rect(18, 11, 19, 12), GREEN)
    c.draw(rect(6, 14, 17, 21), PAPER)
    for y in (16, 18):
        c.put(line(8, y, 15, y), GREY)


def screen_capture(c):
    c.draw(rect(7, 4, 13, 7), GREY)
    c.draw(rect(2, 6, 21, 19), GREY)
    c.draw(ellipse(11.5, 12.5, 5), DARK)
    c.draw(ellipse(11.5, 12.5, 3.5), LBLUE, None)
    c.put({(10, 11), (10, 10), (11, 10)}, PAPER)
    c.draw(rect(16, 8, 19, 9), YELLOW)


def copy_to_clipboard(c):
    sheet(c, 2, 2, 13, 15, lines=True)
    sheet(c, 8, 7, 21, 21, lines=True)


def exit_program(c):
    c.draw(rect(3, 2, 13, 21), DARK)
    c.draw(polygon([(3, 2), (9, 5), (9, 22), (3, 21)]), BROWN)
    c.put({(7, 12), (7, 13)}, YELLOW)
    c.draw(arrow(11, 12, 21, 12, 1.5, 3.5), GREEN)


# Page and file navigation ---------------------------------------------------------

def first_page(c):
    c.draw(rect(5, 5, 7, 17), BLUE)
    c.draw(triangle_left(8, 5, 18, 17), BLUE)


def previous_page(c):
    c.draw(triangle_left(6, 5, 16, 17), BLUE)


def go_to_page(c):
    sheet(c, 4, 2, 19, 21, lines=True)
    c.draw(arrow(7, 18, 13, 12, 1, 2.5, 2.5), GREEN)


def first_thumbnail(c):
    c.draw(rect(2, 7, 3, 16), BLUE)
    c.draw(triangle_left(4, 7, 9, 16), BLUE)
    grid(c, 11, 6, 2, 2, 5, 1)


def previous_toolbar(c):
    for x in (2, 9, 16):
        c.draw(rect(x, 14, x + 5, 20), LIGHT)
    c.draw(arrow(19, 7, 4, 7, 1.5, 3.5), BLUE)


# View -----------------------------------------------------------------------------

def frame(c):
    c.draw(rect(2, 4, 21, 19), PAPER)


def view_100(c):
    frame(c)
    c.put(text("1:1", 6, 9), DARK)


def fit_width(c):
    frame(c)
    c.draw(arrow(11, 11.5, 4, 11.5, 1.5, 3.5) | arrow(12, 11.5, 19, 11.5, 1.5, 3.5), BLUE)


def fit_window(c):
    frame(c)
    c.draw(arrow(11, 11.5, 4, 11.5, 1, 3) | arrow(12, 11.5, 19, 11.5, 1, 3)
           | transpose(arrow(11, 11.5, 6, 11.5, 1, 3) | arrow(12, 11.5, 17, 11.5, 1, 3)), BLUE)


def fit_custom(c):
    frame(c)
    c.draw(ellipse(7.5, 8.5, 2), BLUE)
    c.draw(ellipse(15.5, 14.5, 2), BLUE)
    c.draw(thick_line(16, 6, 7, 17, 3), BLUE)


# Rotation pictures: a clockwise arc ending at the east side with its head pointing down,
# longer for larger turns, and the angle in digits at the lower right.
SWEEP = {90: 150, 180: 240, 270: 330}


def rotation_arrow(c, angle, colour):
    c.draw(curved_arrow(9.5, 9.5, 6.2, SWEEP[angle], SWEEP[angle], 3.4, 4.5), colour)


def corner_text(c, s):
    c.put(text(s, 22 - text_width(s), 17), DARK)


def rotate_view(angle):
    def picture(c):
        rotation_arrow(c, angle, BLUE)
        corner_text(c, str(angle))
    return picture


def rotate_image(angle):
    def picture(c):
        rotation_arrow(c, angle, GREEN)
        photo(c, 7, 7, 12, 12)
        corner_text(c, str(angle))
    return picture


def rotate_jpeg(c):
    rotation_arrow(c, 90, GREEN)
    photo(c, 7, 7, 12, 12)
    corner_text(c, "JPG")


def flip_horizontal(c):
    c.draw(arrow(11, 5, 3, 5, 1, 2.5, 3) | arrow(12, 5, 20, 5, 1, 2.5, 3), BLUE)
    c.draw(polygon([(9, 9), (9, 20), (3, 20)]), BLUE)
    c.draw(polygon([(14, 9), (14, 20), (20, 20)]), PAPER)
    c.put({(11, y) for y in range(9, 22, 2)} | {(12, y) for y in range(9, 22, 2)}, DARK)


def flip_vertical(c):
    scratch = button()
    flip_horizontal(scratch)
    for y in range(2, 22):
        for x in range(2, 22):
            c.pixels[y][x] = scratch.pixels[x][y]


def zoom_in(c):
    magnifier(c, 9.5, 9.5, 7.5, (20, 20))
    c.put(rect(6, 9, 13, 10) | rect(9, 6, 10, 13), DARK)


def zoom_out(c):
    magnifier(c, 9.5, 9.5, 7.5, (20, 20))
    c.put(rect(6, 9, 13, 10), DARK)


def zoom_to_selection(c):
    dashes = {(x, y) for (x, y) in (rect(2, 2, 16, 16) - rect(3, 3, 15, 15)) if (x + y) % 4 < 2}
    c.put(dashes, DARK)
    magnifier(c, 12.5, 12.5, 5, (20, 20))


def zoom_window(c):
    c.draw(rect(2, 3, 21, 20), PAPER)
    c.draw(rect(2, 3, 21, 6), BLUE)
    magnifier(c, 10.5, 12.5, 4.5, (18, 19))


def fullscreen(c):
    c.draw(rect(2, 2, 21, 16), LBLUE)
    c.draw(rect(9, 16, 14, 18), GREY)
    c.draw(rect(5, 18, 18, 20), GREY)
    corner = polygon([(4, 4), (9, 4), (4, 9)])
    for shape in (corner, mirror_x(corner, 24), {(x, 18 - y) for (x, y) in corner},
                  {(23 - x, 18 - y) for (x, y) in corner}):
        c.draw(shape, PAPER)


def combo_view(c):
    photo(c, 2, 2, 21, 13)
    for x in (2, 9, 16):
        c.draw(rect(x, 15, x + 5, 20), LBLUE)


def thumbnails(c):
    grid(c, 3, 3, 3, 3, 5, 2)


def refresh_thumbnails(c):
    grid(c, 8, 8, 2, 2, 3, 1)
    c.draw(curved_arrow(C, C, 7, 140, 140, 3.0, 3.5), GREEN)
    c.draw(curved_arrow(C, C, 7, 320, 140, 3.0, 3.5), GREEN)


def toggle_selection(c):
    c.draw(rect(3, 3, 20, 20), PAPER)
    check_mark(c, 6, 7)


def slide_show(c):
    x0, y0, x1, y1 = screen(c, 2, 2, 21, 16)
    photo(c, x0, y0, x1, y1)


# Image operations ------------------------------------------------------------------

def sun(c, right_colour, ray_colour):
    """Sun with eight rays; its right half is painted `right_colour`."""
    for a in range(0, 360, 45):
        c.put(ring(10.5, 10.5, 7.0, 9.6, a - 9, a + 9), ray_colour)
    disc = ellipse(10.5, 10.5, 5.5)
    c.draw(disc, YELLOW)
    c.put({(x, y) for (x, y) in disc - edge(disc) if x >= 11}, right_colour)


def lighten(c):
    sun(c, PAPER, DYELLOW)
    c.draw(plus(15, 15, 7), PAPER)


def darken(c):
    sun(c, MID, MID)
    c.draw(minus(15, 15, 7), PAPER)


def invert(c):
    disc = ellipse(C, C, 8.5)
    c.draw(disc, PAPER)
    c.put({p for p in disc if p[0] >= 12}, DARK)


def resize(c):
    dashes = {(x, y) for (x, y) in (rect(3, 3, 20, 20) - rect(4, 4, 19, 19)) if (x + y) % 4 < 2}
    c.put(dashes, DARK)
    c.draw(rect(3, 13, 10, 20), LBLUE)
    c.draw(arrow(9, 14, 19, 4, 1.2, 3.5), BLUE)


def crop(c):
    c.draw(rect(2, 6, 17, 8) | rect(15, 6, 17, 21), GREY)
    c.draw(rect(6, 2, 8, 17) | rect(6, 15, 21, 17), MID)


def colour_to_grey(c):
    for i, colour in enumerate((RED, GREEN, BLUE)):
        c.put(rect(3 + 2 * i, 8, 4 + 2 * i, 16), colour)
    c.draw(rect(2, 7, 9, 17) - rect(3, 8, 8, 16), DARK, None)
    for i, colour in enumerate((LIGHT, GREY, MID)):
        c.put(rect(16 + 2 * i, 8, 17 + 2 * i, 16), colour)
    c.put(rect(15, 7, 22, 17) - rect(16, 8, 21, 16), DARK)
    c.draw(arrow(10, 12, 14, 12, 0.6, 2.5, 2.5), DARK)


def modify_colours(c):
    c.draw(ellipse(11.5, 14.5, 5.5), BLUE)
    c.draw(ellipse(14.5, 8.5, 5.5), GREEN)
    c.draw(ellipse(8.5, 8.5, 5.5), RED)


def preferences(c):
    teeth = set()
    for a in range(0, 360, 45):
        teeth |= ring(C, C, 0, 9.6, a - 11, a + 11)
    c.draw((teeth | ellipse(C, C, 7)) - ellipse(C, C, 2.6), STEEL)


# Help and information -------------------------------------------------------------

def image_info(c):
    c.draw(ellipse(C, C, 9.5), BLUE)
    c.put(rect(10, 5, 13, 7) | rect(10, 9, 13, 17) | rect(9, 9, 9, 9) | rect(9, 17, 14, 18), PAPER)


def copyright_info(c):
    c.draw(ellipse(C, C, 9.5), PAPER)
    c.put(ring(C, C, 3.2, 5.4, 40, 320), DARK)


QUESTION_MARK = [
    ".#####.",
    "##...##",
    "##...##",
    ".....##",
    "....##.",
    "...##..",
    "...##..",
    ".......",
    "...##..",
    "...##..",
]


def bitmap_shape(rows, x0, y0):
    return {(x0 + x, y0 + y) for y, row in enumerate(rows) for x, ch in enumerate(row) if ch == "#"}


def online_help(c):
    c.draw(ellipse(C, C, 9.5), YELLOW)
    c.put(bitmap_shape(QUESTION_MARK, 9, 7), DARK)


# Movies, sound, slideshows ----------------------------------------------------------

def play_pause(c):
    c.draw(polygon([(3, 5), (3, 17), (10, 11)]), GREEN)
    c.draw(rect(13, 5, 15, 17), BLUE)
    c.draw(rect(18, 5, 20, 17), BLUE)


def record_voice(c):
    capsule = ellipse(9.5, 6.5, 3.5) | rect(6, 6, 13, 11) | ellipse(9.5, 11.5, 3.5)
    c.put(ring(9.5, 11.5, 5.0, 6.4, 180, 360) | rect(9, 18, 10, 19) | rect(6, 20, 13, 20), DARK)
    c.draw(capsule, GREY)
    c.draw(ellipse(17.5, 17.5, 3.5), RED)


def play_voice(c):
    speaker(c, 1, 3, 18, waves=3)


def badge_plus(c):
    c.draw(plus(14, 14, 8), GREEN)


def badge_play(c):
    c.draw(polygon([(15, 13), (15, 21), (21, 17)]), GREEN)


def small_screen(c, content):
    box = screen(c, 2, 2, 17, 14)
    content(c, box)


def screen_photo(c, box):
    photo(c, *box)


def screen_grid(c, box):
    x0, y0, _, _ = box
    grid(c, x0 + 1, y0, 2, 2, 3, 1)


def screen_list(c, box):
    x0, y0, x1, y1 = box
    for y in range(y0 + 1, y1 + 1, 2):
        c.put(line(x0 + 1, y, x1 - 1, y), BLUE)


def add_to_slideshow(c):
    small_screen(c, screen_photo)
    badge_plus(c)


def add_all_to_slideshow(c):
    small_screen(c, screen_grid)
    badge_plus(c)


def open_slideshow(c):
    small_screen(c, screen_list)
    folder(c, 12, 13, 21, 21)


def save_slideshow(c):
    small_screen(c, screen_list)
    floppy(c, 13, 13, 21, 21)


def edit_slideshow(c):
    small_screen(c, screen_list)
    body = thick_line(20, 12, 13, 19, 3)
    c.draw(body, YELLOW)
    c.put({(12, 20), (13, 20), (12, 19)}, DARK)


def start_custom_slideshow(c):
    small_screen(c, screen_list)
    badge_play(c)


# Tags and batch -------------------------------------------------------------------

def tagged(mark):
    return elements.tagged(mark, (1, 4, 22, 19), FACE)


def mark_copy(c):
    c.draw(rect(9, 6, 15, 13), PAPER)
    c.draw(rect(13, 10, 19, 17), PAPER)


def mark_convert(c):
    c.draw(arrow(9, 9, 20, 9, 0.6, 2.6, 2.6), BLUE)
    c.draw(arrow(20, 14, 9, 14, 0.6, 2.6, 2.6), BLUE)


def mark_resize(c):
    c.draw(rect(9, 12, 13, 16), LBLUE)
    c.draw(arrow(12, 13, 19, 6, 1, 2.8), BLUE)


def mark_delete(c):
    cross(c, 10, 7, 9)


def mark_crop(c):
    c.draw(rect(9, 8, 17, 9) | rect(16, 8, 17, 17), MID)
    c.draw(rect(11, 6, 12, 15) | rect(11, 14, 20, 15), MID)


def mark_rotation(angle):
    return elements.text_mark(str(angle), 20, 9)


def no_sign(c):
    c.draw(thick_line(3, 20, 20, 3, 3), RED)


def remove_tags(c):
    tag(c, 1, 4, 22, 19, LIGHT, FACE)
    no_sign(c)


def stacked_tags(c, fill):
    for k in range(3):
        tag(c, 1 + 2 * k, 2 + 4 * k, 17 + 2 * k, 12 + 4 * k, fill, FACE)


def tag_all(c):
    stacked_tags(c, YELLOW)
    check_mark(c, 9, 11)


def remove_all_tags(c):
    stacked_tags(c, LIGHT)
    no_sign(c)


def start_batch(c):
    for k in (2, 1, 0):
        sheet(c, 2 + 3 * k, 2 + 2 * k, 12 + 3 * k, 15 + 2 * k, lines=(k == 2))
    badge_play(c)


def undefined(c):
    return None


PICTURES = {
    40004: open_file, 40006: save_as, 40049: first_page, 40050: mirrored(first_page),
    40022: previous_page, 40023: go_to_page, 40021: mirrored(previous_page),
    40053: previous_file, 40054: mirrored(previous_file), 40005: close_file,
    40024: view_100, 40025: fit_width, 40026: fit_window, 40033: fit_custom,
    40015: rotate_view(90), 40051: rotate_view(180), 40052: rotate_view(270),
    40019: flip_horizontal, 40018: flip_vertical, 40031: preferences,
    40042: lighten, 40041: darken, 40016: invert, 40013: resize, 40014: crop,
    40040: colour_to_grey, 40038: modify_colours, 40048: screen_capture,
    40058: copy_to_clipboard, 40032: file_associations, 40056: slide_show,
    40066: first_thumbnail, 40067: mirrored(first_thumbnail), 40035: thumbnails,
    40009: image_info, 40034: zoom_window, 40002: copyright_info, 40008: online_help,
    40060: previous_toolbar, 40059: mirrored(previous_toolbar), 40010: print_image,
    40055: play_pause, 40063: copy_file, 40061: delete_file, 40064: send_email,
    40065: send_irda, 40027: zoom_in, 40028: zoom_out, 40069: zoom_to_selection,
    40077: fullscreen, 40043: toggle_selection, 40087: combo_view, 40003: exit_program,
    40088: refresh_thumbnails, 40090: rotate_image(90), 40091: rotate_image(180),
    40092: rotate_image(270), 40099: tagged(mark_copy), 40100: tagged(mark_convert),
    40101: tagged(mark_resize), 40105: tagged(mark_delete), 40102: tagged(mark_rotation(90)),
    40103: tagged(mark_rotation(180)), 40104: tagged(mark_rotation(270)), 40109: remove_tags,
    40110: tag_all, 40111: remove_all_tags, 40108: start_batch, 40113: record_voice,
    40114: play_voice, 40115: add_to_slideshow, 40117: open_slideshow, 40118: save_slideshow,
    40119: edit_slideshow, 40098: start_custom_slideshow, 40112: rename_file,
    40116: add_all_to_slideshow, 40120: tagged(mark_crop), 40133: rotate_jpeg, 40089: undefined,
}
