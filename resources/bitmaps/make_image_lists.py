#!/usr/bin/env python3
"""Draws the viewer's image lists as 24-bit BMP strips (pictures side by side, left to
right) and the pan-mode "HAND" cursor, in one flat style with dark one-pixel outlines.
Run it from this folder; the .bmp and .cur files are committed. Options: --out DIR
writes the files into DIR instead (the bitmaps there, the cursor in DIR/../cursors);
--sheet PATH also writes a 4x enlarged contact sheet PNG of every list for review."""
import argparse
import os

import small_pictures
from elements import button
from raster import Canvas, strip, write_bmp, write_png
from toolbar_pictures import PICTURES

# Command identifiers in command-list order: toolbar picture i shows command COMMANDS[i].
COMMANDS = [
    40004, 40006, 40049, 40050, 40022, 40023, 40021, 40053, 40054, 40005,
    40024, 40025, 40026, 40033, 40015, 40051, 40052, 40019, 40018, 40031,
    40042, 40041, 40016, 40013, 40014, 40040, 40038, 40048, 40058, 40032,
    40056, 40066, 40067, 40035, 40009, 40034, 40002, 40008, 40060, 40059,
    40010, 40055, 40063, 40061, 40064, 40065, 40027, 40028, 40069, 40077,
    40043, 40087, 40003, 40088, 40090, 40091, 40092, 40099, 40100, 40101,
    40105, 40102, 40103, 40104, 40109, 40110, 40111, 40108, 40113, 40114,
    40115, 40117, 40118, 40119, 40098, 40112, 40116, 40120, 40133, 40089,
]


def toolbar_cells():
    cells = []
    for command in COMMANDS:
        c = button()
        PICTURES[command](c)
        cells.append(c)
    return cells


def lists():
    """(file name, cells) of every image list and bitmap."""
    return [("ILIST1_BMP.bmp", toolbar_cells())] + small_pictures.lists()


def contact_sheet(named, path, per_row=20):
    """Every list over a grey background, at most per_row pictures a row, enlarged 4 times."""
    rows = [cells[i:i + per_row] for _, cells in named for i in range(0, len(cells), per_row)]
    width = max(sum(c.width + 2 for c in row) for row in rows) + 4
    height = sum(row[0].height + 4 for row in rows) + 4
    sheet = Canvas(width, height, (96, 96, 128))
    y = 4
    for row in rows:
        x = 4
        for c in row:
            sheet.paste(c, x, y)
            x += c.width + 2
        y += row[0].height + 4
    write_png(sheet, path, 4)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", default=".")
    parser.add_argument("--sheet")
    args = parser.parse_args()
    named = lists()
    for name, cells in named:
        write_bmp(strip(cells), os.path.join(args.out, name))
    cursors = os.path.join(args.out, "..", "cursors")
    os.makedirs(cursors, exist_ok=True)
    small_pictures.write_hand_cursor(os.path.join(cursors, "HAND.cur"))
    if args.sheet:
        contact_sheet(named + [("HAND.cur", [small_pictures.hand_preview()])], args.sheet)


if __name__ == "__main__":
    main()
