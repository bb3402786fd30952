#!/usr/bin/env python3
"""Copies a UTF-8 C++ source with every non-ASCII character inside a string or character
literal written as code page 932 octal escapes, and every other non-ASCII character (in
comments) as "?": clang has no code page 932 execution character set, and this gives the
bytes that g++ -fexec-charset=CP932 puts into the program.
Usage: escapeLiterals.py SOURCE TARGET"""
import sys


def escape(text):
    out = []
    i, n = 0, len(text)
    quote = None  # '"' or "'" inside a literal
    while i < n:
        c = text[i]
        if quote:
            if c == "\\":
                out.append(text[i:i + 2])
                i += 2
                continue
            if c == quote:
                quote = None
            if ord(c) > 127:
                out.append("".join("\\%03o" % b for b in c.encode("cp932")))
            else:
                out.append(c)
        elif text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append("".join(ch if ord(ch) < 128 else "?" for ch in text[i:end]))
            i = end
            continue
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("".join(ch if ord(ch) < 128 else "?" for ch in text[i:end]))
            i = end
            continue
        else:
            if c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum()):
                quote = c
            out.append(c if ord(c) < 128 else "?")
        i += 1
    return "".join(out)


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        text = f.read()
    with open(sys.argv[2], "w", encoding="ascii") as f:
        f.write(escape(text))


if __name__ == "__main__":
    main()
