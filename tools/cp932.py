#!/usr/bin/env python3
"""Prints a UTF-8 text as a C string literal of its code page 932 bytes.

    tools/cp932.py '[%s]対応外のチャンクです'
"""
import sys

for text in sys.argv[1:]:
    out, prev_hex = [], False
    for b in text.encode("cp932"):
        ch = chr(b)
        if b >= 0x80 or b < 0x20 or ch in '"\\':
            out.append("\\x%02x" % b)
            prev_hex = True
        else:
            if prev_hex and ch in "0123456789abcdefABCDEF":
                out.append('" "')  # end the hex escape before a hex digit
            out.append(ch)
            prev_hex = False
    print('"' + "".join(out) + '"')
