#!/usr/bin/env python3
"""Turns a terminal capture with colour escapes (tmux capture-pane -e) into
an HTML page of the same text and colours, for a screenshot in a browser.

    docs/ansi_html.py CAPTURE > page.html
"""
import html
import re
import sys

BASE = ["#000000", "#cd3131", "#0dbc79", "#e5e510", "#2472c8", "#bc3fbc", "#11a8cd", "#e5e5e5",
        "#666666", "#f14c4c", "#23d18b", "#f5f543", "#3b8eea", "#d670d6", "#29b8db", "#ffffff"]


def color256(n):
    if n < 16:
        return BASE[n]
    if n < 232:
        n -= 16
        levels = [0, 95, 135, 175, 215, 255]
        return "#%02x%02x%02x" % (levels[n // 36], levels[(n // 6) % 6], levels[n % 6])
    g = 8 + (n - 232) * 10
    return "#%02x%02x%02x" % (g, g, g)


def main():
    text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
    fg, bg, bold, rev = None, None, False, False
    out = []
    for part in re.split(r"(\x1b\[[0-9;]*m)", text):
        m = re.fullmatch(r"\x1b\[([0-9;]*)m", part)
        if not m:
            if part:
                f, b = (bg or "#1e1e1e", fg or "#d4d4d4") if rev else (fg, bg)
                style = ""
                if f:
                    style += "color:%s;" % f
                if b:
                    style += "background:%s;" % b
                if bold:
                    style += "font-weight:bold;"
                out.append('<span style="%s">%s</span>' % (style, html.escape(part)) if style else html.escape(part))
            continue
        codes = [int(c) if c else 0 for c in m.group(1).split(";")]
        i = 0
        while i < len(codes):
            c = codes[i]
            if c == 0:
                fg, bg, bold, rev = None, None, False, False
            elif c == 1:
                bold = True
            elif c == 22:
                bold = False
            elif c == 7:
                rev = True
            elif c == 27:
                rev = False
            elif 30 <= c <= 37:
                fg = BASE[c - 30]
            elif 90 <= c <= 97:
                fg = BASE[c - 90 + 8]
            elif 40 <= c <= 47:
                bg = BASE[c - 40]
            elif 100 <= c <= 107:
                bg = BASE[c - 100 + 8]
            elif c == 39:
                fg = None
            elif c == 49:
                bg = None
            elif c in (38, 48) and i + 1 < len(codes):
                if codes[i + 1] == 5 and i + 2 < len(codes):
                    value = color256(codes[i + 2])
                    i += 2
                elif codes[i + 1] == 2 and i + 4 < len(codes):
                    value = "#%02x%02x%02x" % tuple(codes[i + 2:i + 5])
                    i += 4
                else:
                    value = None
                if c == 38:
                    fg = value
                else:
                    bg = value
            i += 1
    print('<!doctype html><meta charset="utf-8"><body style="margin:0;background:#1e1e1e">'
          '<pre style="margin:0;padding:8px;font:14px/1.25 \'DejaVu Sans Mono\',monospace;color:#d4d4d4">'
          + "".join(out) + "</pre></body>")


if __name__ == "__main__":
    main()
