#!/usr/bin/env python3
"""Draws STARTUP.bmp, the 240 x 320 start-up splash, with ImageMagick: a blue
gradient, the program name, a stylised picture frame and a line of text. Run it
from this folder; the .bmp file is committed."""
import subprocess

WIDTH, HEIGHT = 240, 320


def main():
    subprocess.run([
        "convert", "-size", f"{WIDTH}x{HEIGHT}", "gradient:#1f4e8c-#0b1a33",
        "-fill", "none", "-stroke", "#e8e8e8", "-strokewidth", "3",
        "-draw", "rectangle 50,70 190,170",
        "-fill", "#f2c14e", "-stroke", "none", "-draw", "circle 150,100 162,100",
        "-fill", "#5fa05a", "-draw", "polygon 53,167 100,115 130,145 150,128 187,167",
        "-font", "DejaVu-Sans-Bold", "-fill", "white", "-pointsize", "40", "-gravity", "north", "-annotate", "+0+195", "Glimra",
        "-fill", "#c8d4e6", "-pointsize", "13", "-annotate", "+0+250", "Image and movie viewer",
        "-type", "TrueColor", "BMP3:STARTUP.bmp",
    ], check=True)


if __name__ == "__main__":
    main()
