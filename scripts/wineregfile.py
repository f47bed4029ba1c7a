"""Writes registry trees in the file format Wine keeps its prefixes in (system.reg, user.reg,
userdef.reg). Used by the demo-prefix and benchmark generators; the program itself reads and
writes these files with its own engine."""

import os
import struct

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7

BRANCHES = {
    "system.reg": "REGISTRY\\\\Machine",
    "user.reg": "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000",
    "userdef.reg": "REGISTRY\\\\User\\\\.Default",
}


def wine_sort_key(name):
    # wineserver compares UTF-16 units folded to lower case; ASCII folding is what these
    # generated names need.
    return [ord(c.lower()) if c.isascii() else ord(c) for c in name]


def _escape(text, specials):
    out = []
    units = text.encode("utf-16-le")
    codes = [units[i] | units[i + 1] << 8 for i in range(0, len(units), 2)]
    for index, code in enumerate(codes):
        following = chr(codes[index + 1]) if index + 1 < len(codes) else ""
        c = chr(code)
        if c == "\\":
            out.append("\\\\")
        elif c in specials:
            out.append("\\" + c)
        elif code > 127:
            digits = "%04x" if following and following in "0123456789abcdefABCDEF" else "%x"
            out.append("\\x" + digits % code)
        elif code in (7, 8, 9, 10, 11, 12, 13, 27):
            out.append("\\" + "abtnvfr"[code - 7] if code != 27 else "\\e")
        elif code < 32:
            digits = "%03o" if following and following in "01234567" else "%o"
            out.append("\\" + digits % code)
        else:
            out.append(c)
    return "".join(out)


class Key:
    def __init__(self, name):
        self.name = name
        self.children = {}
        self.values = {}  # lower-case name -> (name, type, bytes)

    def key(self, path):
        node = self
        for part in [p for p in path.split("\\") if p]:
            node = node.children.setdefault(part.lower(), Key(part))
        return node

    def set(self, name, value_type, data):
        if isinstance(data, str):
            data = (data + "\0").encode("utf-16-le")
        elif isinstance(data, int):
            data = struct.pack("<I", data)
        self.values[name.lower()] = (name, value_type, bytes(data))
        return self

    def sz(self, name, text):
        return self.set(name, REG_SZ, text)

    def dword(self, name, number):
        return self.set(name, REG_DWORD, number)


def _value_line(name, value_type, data):
    head = "@=" if name == "" else '"%s"=' % _escape(name, '"')
    is_text = len(data) % 2 == 0 and len(data) >= 2 and data[-2:] == b"\0\0"
    if value_type in (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) and is_text:
        tag = {REG_SZ: "", REG_EXPAND_SZ: "str(2):", REG_MULTI_SZ: "str(7):"}[value_type]
        return head + tag + '"' + _escape(data[:-2].decode("utf-16-le"), '"') + '"'
    if value_type == REG_DWORD and len(data) == 4:
        return head + "dword:%08x" % struct.unpack("<I", data)[0]
    tag = "hex:" if value_type == REG_BINARY else "hex(%x):" % value_type
    line = head + tag
    count = len(line)
    for index, byte in enumerate(data):
        line += "%02x" % byte
        if index + 1 < len(data):
            line += ","
            count += 3
            if count > 76:
                line += "\\\n  "
                count = 2
    return line


def write_branch(root, path, branch_file, stamp=1796676275):
    """Writes `root` as the registry file `path`; branch_file names which of the three it is."""
    lines = ["WINE REGISTRY Version 2", ";; All keys relative to " + BRANCHES[branch_file], "",
             "#arch=win64"]
    filetime = (stamp + 11644473600) * 10000000

    def walk(node, parts):
        if parts and (node.values or not node.children):
            lines.append("")
            lines.append("[%s] %d" % ("\\\\".join(_escape(p, "[]") for p in parts), stamp))
            lines.append("#time=%x%08x" % (filetime >> 32, filetime & 0xFFFFFFFF))
            for value in sorted(node.values.values(), key=lambda v: wine_sort_key(v[0])):
                lines.append(_value_line(*value))
        for child in sorted(node.children.values(), key=lambda c: wine_sort_key(c.name)):
            walk(child, parts + [child.name])

    walk(root, [])
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    os.replace(temporary, path)
