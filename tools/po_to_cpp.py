#!/usr/bin/env python3
"""Turns a gettext catalogue (.po) into a C++ table the program carries.

    po_to_cpp.py zh_CN.po OUTPUT.cpp SYMBOL

The table lists {msgid, msgstr} pairs sorted by msgid, byte for byte, so that
the program finds a text by binary search without a runtime library. Entries
marked fuzzy, without a translation or with plural forms are left out: the
program then shows the msgid, as gettext does.
"""
import sys


def unquote(text, where):
    if len(text) < 2 or text[0] != '"' or text[-1] != '"':
        sys.exit(f"{where}: expected a quoted string")
    body, out, i = text[1:-1], bytearray(), 0
    escapes = {"n": b"\n", "t": b"\t", '"': b'"', "\\": b"\\", "r": b"\r", "a": b"\a"}
    while i < len(body):
        c = body[i]
        if c == "\\":
            if i + 1 >= len(body) or body[i + 1] not in escapes:
                sys.exit(f"{where}: unknown escape in {text}")
            out += escapes[body[i + 1]]
            i += 2
        else:
            out += c.encode("utf-8")
            i += 1
    return bytes(out)


def read_catalogue(path):
    entries, current, field, fuzzy = [], {}, None, False

    def flush():
        nonlocal current, field, fuzzy
        if "msgid" in current and "msgid_plural" not in current and not fuzzy:
            if current["msgid"] and current.get("msgstr"):
                entries.append((current["msgid"], current["msgstr"]))
        current, field, fuzzy = {}, None, False

    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.strip()
            where = f"{path}:{number}"
            if not line:
                flush()
            elif line.startswith("#,"):
                if "msgid" in current:
                    flush()
                fuzzy = fuzzy or "fuzzy" in [flag.strip() for flag in line[2:].split(",")]
            elif line.startswith("#"):
                if "msgid" in current and field == "msgstr":
                    flush()
            elif line.startswith('"'):
                if field is None:
                    sys.exit(f"{where}: a string outside an entry")
                current[field] += unquote(line, where)
            else:
                keyword, _, rest = line.partition(" ")
                if keyword == "msgid" and "msgid" in current:
                    flush()
                if keyword == "msgctxt":
                    sys.exit(f"{where}: the program looks texts up without a context")
                if keyword not in ("msgid", "msgid_plural", "msgstr") and not keyword.startswith("msgstr["):
                    sys.exit(f"{where}: unknown keyword {keyword}")
                field = keyword
                current[field] = unquote(rest.strip(), where)
    flush()
    return entries


def literal(data):
    out = '"'
    for byte in data:
        ch = chr(byte)
        if ch in '"\\':
            out += "\\" + ch
        elif ch == "\n":
            out += "\\n"
        elif 0x20 <= byte < 0x7F:
            out += ch
        else:
            # Octal keeps the source ASCII whatever the compiler's input charset.
            out += f"\\{byte:03o}"
    return out + '"'


def main():
    source, output, symbol = sys.argv[1:4]
    entries = sorted(dict(read_catalogue(source)).items())
    with open(output, "w", encoding="ascii") as out:
        out.write(f"// Made from {source.rsplit('/', 1)[-1]} by tools/po_to_cpp.py; edit the catalogue, not this file.\n")
        out.write('#include "Translation.h"\n\nnamespace kelvane {\n\n')
        out.write(f"extern const CatalogueEntry {symbol}[] = {{\n")
        for msgid, msgstr in entries:
            out.write(f"    {{{literal(msgid)},\n     {literal(msgstr)}}},\n")
        out.write("};\n")
        out.write(f"extern const std::size_t {symbol}Size = {len(entries)};\n\n}}  // namespace kelvane\n")


if __name__ == "__main__":
    main()
