#!/usr/bin/env python3
"""Makes the four short wave files the program ships with.

Run from the repository root: python3 tools/make_sounds.py
The sounds are plain synthesised tones, so the output is the same on every
run; the files are committed so that building needs no Python.
"""
import math
import struct
import wave
from pathlib import Path

RATE = 22050
OUT = Path(__file__).resolve().parent.parent / "assets" / "sounds"


def envelope(t, length, attack=0.005, release=0.08):
    if t < attack:
        return t / attack
    if t > length - release:
        return max(0.0, (length - t) / release)
    return 1.0


def tone(freqs, length, decay=0.0, harmonics=(1.0,), volume=0.5):
    samples = []
    n = int(RATE * length)
    for i in range(n):
        t = i / RATE
        value = 0.0
        for f in freqs:
            for k, weight in enumerate(harmonics, start=1):
                value += weight * math.sin(2 * math.pi * f * k * t)
        value /= len(freqs) * sum(harmonics)
        value *= envelope(t, length) * math.exp(-decay * t) * volume
        samples.append(value)
    return samples


def silence(length):
    return [0.0] * int(RATE * length)


def write(name, samples):
    OUT.mkdir(parents=True, exist_ok=True)
    with wave.open(str(OUT / name), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        frames = b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples)
        w.writeframes(frames)


def main():
    bell = (1.0, 0.5, 0.25)
    # Buzz-in, first and third team: a rising two-note chime.
    write("ringin.wav", tone([880], 0.18, 6, bell) + tone([1320], 0.45, 5, bell))
    # Buzz-in, second team: the same chime falling, so the teams sound apart.
    write("ringout.wav", tone([1320], 0.18, 6, bell) + tone([880], 0.45, 5, bell))
    # Time up: a low double buzz.
    buzz = (1.0, 0.7, 0.5, 0.35, 0.2)
    write("inactive.wav", tone([220], 0.3, 0, buzz) + silence(0.08) + tone([220], 0.45, 0, buzz))
    # Game over: a held major chord that fades.
    write("sound528.wav", tone([523.25, 659.25, 783.99], 1.4, 1.6, bell, 0.6))


if __name__ == "__main__":
    main()
