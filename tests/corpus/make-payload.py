#!/usr/bin/env python3
"""Writes the data files of the corpus installers into a folder: a short .wav tone, help files
(.hlp, .chm), codec driver files (.acm, .drv, copies of a given library) and two fonts copied
from the Debian DejaVu package. Nothing here is committed as a binary.

usage: make-payload.py OUT_DIR LIBRARY
"""
import math
import shutil
import struct
import sys
import wave
from pathlib import Path

FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")


def write_tone(path, seconds=0.2, rate=8000, pitch=880):
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        frames = b"".join(
            struct.pack("<h", int(8000 * math.sin(2 * math.pi * pitch * i / rate)))
            for i in range(int(seconds * rate)))
        out.writeframes(frames)


def main():
    out, library = Path(sys.argv[1]), Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    write_tone(out / "corpus.wav")
    # Help viewers are not started by the check: any file under the registered name serves.
    (out / "good.hlp").write_bytes(b"?_\x03\x00tolvane corpus help\r\n")
    (out / "corpus.chm").write_bytes(b"ITSF\x03\x00\x00\x00tolvane corpus help\r\n")
    shutil.copyfile(library, out / "goodcodec.acm")
    shutil.copyfile(library, out / "othercodec.drv")
    for source, target in (("DejaVuSans.ttf", "othersans.ttf"), ("DejaVuSansMono.ttf", "othermono.ttf")):
        if not (FONT_DIR / source).is_file():
            sys.exit(f"make-payload.py: {FONT_DIR / source} is missing (Debian package fonts-dejavu-core)")
        shutil.copyfile(FONT_DIR / source, out / target)


if __name__ == "__main__":
    main()
