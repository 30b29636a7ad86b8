#!/usr/bin/env python3
"""Draws the image lists of the settings pages and the toolbar strip with ImageMagick:
ILIST1_BMP.bmp (80 toolbar pictures of 24 x 24, one per command-list position, a
raised grey button with a short label) and ILIST_KEYS.bmp (13 key pictures of 16 x 16
on white, the mask colour). Run it from this folder; the .bmp files are committed."""
import re
import subprocess
import tempfile

STRINGS = "../strings.rc"
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
KEYS = ["^", "v", "<", ">", "Ent", "Esc", "Spc", "Tab", "PU", "PD", "Hm", "End", "Del"]


def command_names():
    names = {}
    for line in open(STRINGS, encoding="latin-1"):
        m = re.match(r'\s*(\d+)\s+"(.*)"', line)
        if m:
            names[int(m.group(1))] = m.group(2)
    return names


def label(name):
    """Initials of the words (two at most) followed by the number in the name."""
    if name == "Undefined":
        return ""
    words = re.findall(r"[A-Za-z]+|\d+", name.replace("...", ""))
    letters = "".join(w[0].upper() for w in words if w[0].isalpha())[:2]
    digits = "".join(w for w in words if w.isdigit())[:3]
    return (letters + digits)[:4] if digits else (words[0][:3] if len(words) == 1 else letters)


def cell(path, size, text, face, point):
    draw = ["convert", "-size", f"{size}x{size}", f"xc:{face}"]
    if face != "white":
        far = size - 1
        draw += ["-fill", "none", "-stroke", "white", "-draw", f"polyline 0,{far} 0,0 {far},0",
                 "-stroke", "rgb(128,128,128)", "-draw", f"polyline 1,{far} {far},{far} {far},1"]
    if text:
        draw += ["-stroke", "none", "-fill", "black", "-font", "DejaVu-Sans-Bold", "-pointsize", str(point),
                 "-gravity", "center", "-annotate", "+0+0", text]
    subprocess.run(draw + [path], check=True)


def strip(out, cells):
    subprocess.run(["convert"] + cells + ["+append", "-type", "TrueColor", f"BMP3:{out}"], check=True)


def main():
    names = command_names()
    with tempfile.TemporaryDirectory() as tmp:
        cells = []
        for i, command in enumerate(COMMANDS):
            path = f"{tmp}/c{i:02d}.png"
            cell(path, 24, label(names[command]), "rgb(192,192,192)", 7)
            cells.append(path)
        strip("ILIST1_BMP.bmp", cells)
        cells = []
        for i, key in enumerate(KEYS):
            path = f"{tmp}/k{i:02d}.png"
            cell(path, 16, key, "white", 6)
            cells.append(path)
        strip("ILIST_KEYS.bmp", cells)


if __name__ == "__main__":
    main()
