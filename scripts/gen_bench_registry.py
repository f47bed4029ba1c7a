#!/usr/bin/env python3
"""Writes a large system.reg in the exact form wineserver writes, for the registry benchmark.

About a million keys and three million values: strings with escapes and non-ASCII text, dwords,
hex blocks of varied length (wrapped at Wine's column), some str(2) and str(7) values.
Deterministic for a given --seed.

Usage: scripts/gen_bench_registry.py OUTPUT [--keys 1000000] [--seed 1]
"""
import argparse
import random

TIME = "1796672712\n#time=1dd8683793eb752\n"
WORDS = ["Microsoft", "Windows", "CurrentVersion", "Explorer", "Classes", "Install", "Shell",
         "Open", "Command", "Settings", "Common", "Files", "Program", "Data", "Cache", "Fonts",
         "Version", "Path", "Name", "Display", "Vendor", "Product", "Service", "Driver", "Update"]
ACCENTED = ["caf\u00e9", "na\u00efve", "\u00fcber", "r\u00e9sum\u00e9", "\u65e5\u672c\u8a9e",
            "Stra\u00dfe", "\u0416\u0443\u0440\u043d\u0430\u043b", "smile\U0001F600"]


def units(text):
    raw = text.encode("utf-16-le")
    return [raw[i] | (raw[i + 1] << 8) for i in range(0, len(raw), 2)]


def escape(text, specials):
    out = []
    us = units(text)
    for i, u in enumerate(us):
        nxt = us[i + 1] if i + 1 < len(us) else None
        if u > 127:
            wide = nxt is not None and nxt < 128 and chr(nxt) in "0123456789abcdefABCDEF"
            out.append(("\\x%04x" if wide else "\\x%x") % u)
        elif u < 32:
            letters = {7: "a", 8: "b", 9: "t", 10: "n", 11: "v", 12: "f", 13: "r", 27: "e"}
            if u in letters:
                out.append("\\" + letters[u])
            elif nxt is not None and 48 <= nxt <= 55:
                out.append("\\%03o" % u)
            else:
                out.append("\\%o" % u)
        else:
            c = chr(u)
            if c == "\\" or c in specials:
                out.append("\\")
            out.append(c)
    return "".join(out)


def lower_unit(u):
    if 0xD800 <= u <= 0xDFFF:
        return u
    lowered = chr(u).lower()
    return ord(lowered) if len(lowered) == 1 and ord(lowered) <= 0xFFFF else u


def sort_key(name):
    """Wine's order: units folded to lower case, compared one by one, shorter first."""
    return [lower_unit(u) for u in units(name)]


def hex_line(prefix, tag, data):
    parts = [prefix, tag]
    count = len(prefix) + len(tag)
    last = len(data) - 1
    for i, b in enumerate(data):
        parts.append("%02x" % b)
        count += 2
        if i < last:
            parts.append(",")
            count += 1
            if count > 76:
                parts.append("\\\n  ")
                count = 2
    return "".join(parts)


def make_value(rng, name):
    prefix = '"' + escape(name, '"') + '"=' if name else "@="
    kind = rng.random()
    if kind < 0.45:
        return prefix + "dword:%08x" % rng.getrandbits(rng.choice((4, 16, 32)))
    if kind < 0.80:
        text = rng.choice([
            "C:\\Program Files\\%s.exe" % rng.choice(WORDS),
            "%s %d" % (rng.choice(WORDS), rng.randrange(1000)),
            '"%s" /arg "%%1"' % rng.choice(WORDS),
            "%s %s" % (rng.choice(ACCENTED), rng.choice(WORDS)),
            "line\tone\nline two",
            "{%08X-%04X}" % (rng.getrandbits(32), rng.getrandbits(16)),
        ])
        return prefix + '"' + escape(text, '"') + '"'
    if kind < 0.92:
        length = rng.choice((0, 2, 4, 4, 8, 8, 8, 12, 16, 16, 24, 32, 80))
        data = bytes(rng.getrandbits(8) for _ in range(length))
        tag = "hex:" if rng.random() < 0.8 else "hex(%x):" % rng.choice((0, 5, 8, 11, 0x20000))
        return hex_line(prefix, tag, data)
    if kind < 0.96:
        return prefix + 'str(2):"' + escape("%%SystemRoot%%\\system32\\%s.dll" % rng.choice(WORDS), '"') + '"'
    items = [rng.choice(WORDS) for _ in range(rng.randrange(1, 4))]
    return prefix + 'str(7):"' + escape("\0".join(items) + "\0", '"') + '"'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("output")
    parser.add_argument("--keys", type=int, default=1000000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    fan = max(2, round(args.keys ** (1 / 3)))
    with open(args.output, "w", encoding="ascii", newline="\n") as out:
        out.write("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n")
        tops = sorted({"V%03d" % i for i in range(fan)}, key=sort_key)
        written = 0
        for top in tops:
            middles = sorted({("%s %s" % (rng.choice(WORDS), rng.choice(ACCENTED)) if rng.random() < 0.05
                               else rng.choice(WORDS)[:4]) + "%d" % i for i in range(fan)}, key=sort_key)
            for middle in middles:
                leaves = sorted({"{%08x}" % rng.getrandbits(32) if rng.random() < 0.1 else
                                 "%s%d" % (rng.choice(WORDS)[:5], i) for i in range(fan)},
                                key=sort_key)
                for leaf in leaves:
                    path = "\\\\".join(escape(e, "[]") for e in ("Software", top, middle, leaf))
                    names = {"", "N%d" % rng.randrange(9)}
                    while len(names) < rng.choice((1, 2, 3, 4, 5)):
                        names.add(rng.choice(WORDS)[:6] + ("" if rng.random() < 0.95 else
                                                           " " + rng.choice(ACCENTED)))
                    lines = [make_value(rng, n) for n in sorted(names, key=sort_key)]
                    out.write("\n[" + path + "] " + TIME + "\n".join(lines) + "\n")
                    written += 1
        print("keys:", written)


if __name__ == "__main__":
    main()
