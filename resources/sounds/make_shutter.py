#!/usr/bin/env python3
"""Writes shutter.wav, the camera-shutter sound the screen capture plays: two short
bursts of filtered noise (the blades opening and closing) with fast exponential decay,
8-bit mono at 11,025 Hz. A fixed-seed generator keeps the file identical on every run.
Run it from this folder; the .wav file is committed."""
import math
import struct

RATE = 11025


def noise(seed):
    state = seed
    while True:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        yield (state / 0x3FFFFFFF) - 1.0


def burst(length, decay, gen, brightness):
    out, last = [], 0.0
    for i in range(length):
        # One-pole low-pass: lower brightness gives a duller click.
        last += brightness * (next(gen) - last)
        out.append(last * math.exp(-i / decay))
    return out


def main():
    gen = noise(20261208)
    samples = burst(700, 120.0, gen, 0.55) + [0.0] * 500 + burst(900, 170.0, gen, 0.35)
    data = bytes(max(0, min(255, int(128 + 110 * s))) for s in samples)
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    fmt = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE, 1, 8)
    with open("shutter.wav", "wb") as f:
        f.write(header + fmt + b"data" + struct.pack("<I", len(data)) + data)


if __name__ == "__main__":
    main()
