#!/usr/bin/env python3
"""Prints a whole-registry export as UTF-8 text, without what Wine itself changes at run time.

usage: filter-export.py EXPORT.reg

A key matching EXCLUDED_KEYS is left out with its sub-keys; a value matching EXCLUDED_VALUES
is left out of its key (with its continuation lines). Everything else is printed as exported,
so that two exports compare line by line.
"""
import re
import sys

# Keys left out with their sub-keys, as regular expressions matched against the whole key name
# (case-insensitively):
EXCLUDED_KEYS = [
    # The Windows build keeps its own settings (time and result of the last scan) in the
    # registry; the Linux build keeps them in a file outside the prefix.
    r"HKEY_USERS\\[^\\]+\\Software\\Tolvane",
]

# Values left out, as (key expression, value name) pairs:
EXCLUDED_VALUES = [
    # Wine's display driver stamps the display adapter with the time of each start.
    (r"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\"
     r"\{4D36E968-E325-11CE-BFC1-08002BE10318\}\\[0-9]{4}", "DriverDateData"),
    # Wine's font set-up records the code pages of the process that set fonts up last, and the
    # system fonts that go with them: the Windows build runs with the UTF-8 code page, wineboot
    # with the locale's.
    (r"HKEY_USERS\\[^\\]+\\Software\\Wine\\Fonts", "Codepages"),
    (r"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\"
     r"Software\\Fonts", "OEMFONT.FON"),
    (r"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\"
     r"Software\\Fonts", "FIXEDFON.FON"),
    (r"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\"
     r"Software\\Fonts", "FONTS.FON"),
]


def decode(data):
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    return data.decode("utf-8")


def is_excluded_key(key):
    return any(re.fullmatch(k + r"(\\.*)?", key, re.IGNORECASE) for k in EXCLUDED_KEYS)


def value_name(line):
    """The name of a value line ("name"=... or @=...), or None for a continuation line."""
    if line.startswith("@="):
        return ""
    if not line.startswith('"'):
        return None
    name, i = [], 1
    while i < len(line):
        c = line[i]
        if c == "\\" and i + 1 < len(line):
            name.append(line[i + 1])
            i += 2
            continue
        if c == '"':
            return "".join(name)
        name.append(c)
        i += 1
    return None


def filtered_lines(text):
    """The lines of an export's text without the excluded keys and values."""
    out = []
    key, skip_key, skip_value = "", False, False
    for line in text.replace("\r\n", "\n").split("\n"):
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            skip_key = is_excluded_key(key)
            skip_value = False
        elif not skip_key:
            name = value_name(line)
            if name is not None:
                skip_value = any(
                    re.fullmatch(k, key, re.IGNORECASE) and name.lower() == n.lower()
                    for k, n in EXCLUDED_VALUES
                )
            elif line == "":
                skip_value = False
        if not skip_key and not skip_value:
            out.append(line)
    return out


def main():
    with open(sys.argv[1], "rb") as f:
        text = decode(f.read())
    sys.stdout.write("\n".join(filtered_lines(text)))


if __name__ == "__main__":
    main()
