#!/usr/bin/env python3
"""Writes the skin library, data/界面皮肤库: twelve skin records of the candidate window.

Each record has twelve lines, by position: the background colours of the code bar, the sentence
bar and the candidate bar, their text colours, their font sizes and their font names. Colours are
written as the runtime's signed integers (0x00BBGGRR, or 0x80000000 plus a system colour index).

Slot 11 (默认) holds the design look of the three bars; the program copies the skin in use over it
at every start. The other eleven are this project's own colour schemes, named after the labels of
the skin panel. Every bar must be readable: the script refuses a scheme whose text and background
contrast less than 4.5 : 1 (WCAG 2 relative luminance). The fonts are ones every Chinese Windows
has.

Usage: data/scripts/skins.py [OUTPUT_DIR]   (default: data/界面皮肤库 next to this script)
"""

import os
import sys

KEYS = [
    "编码栏背景色=", "整句栏结果背景色=", "候选字词栏背景色=",
    "编码栏字体颜色=", "整句栏结果字体颜色=", "候选字词栏字体颜色=",
    "编码栏字号=", "整句栏结果字号=", "候选字词栏字号=",
    "编码栏字体=", "整句栏结果字体=", "候选字词栏字体=",
]

WINDOWS_FONTS = {"宋体", "新宋体", "楷体", "黑体", "仿宋", "微软雅黑"}

# Per skin: for the code, sentence and candidate bars (background, text) as "#RRGGBB", then the
# three sizes and the three font names.
SCHEMES = {
    1: ("蓝咖", [("#E8EEF6", "#1F3A5F"), ("#F5EFE6", "#4B2E1E"), ("#DCE6F2", "#1F3A5F")],
        [10.5, 12, 10.5], ["宋体", "楷体", "宋体"]),
    2: ("红喜", [("#FFF3E0", "#8B0000"), ("#B71C1C", "#FFF8E1"), ("#FFE0E0", "#7F0000")],
        [10.5, 13, 10.5], ["黑体", "楷体", "宋体"]),
    3: ("墨拓", [("#2B2B2B", "#E0E0E0"), ("#1E1E1E", "#F5F5F5"), ("#3A3A3A", "#EDEDED")],
        [10.5, 12, 10.5], ["宋体", "楷体", "宋体"]),
    4: ("朱批", [("#FFFBF0", "#333333"), ("#FFFBF0", "#B03A2E"), ("#F7EBDD", "#A93226")],
        [10.5, 14, 10.5], ["宋体", "楷体", "宋体"]),
    5: ("云淡", [("#F4F8FB", "#4A5A6A"), ("#FFFFFF", "#34495E"), ("#EAF2F8", "#2C3E50")],
        [10.5, 12, 10.5], ["微软雅黑", "微软雅黑", "微软雅黑"]),
    6: ("清风", [("#EEF8F1", "#1E5631"), ("#F7FCF8", "#145A32"), ("#DFF0E3", "#0B3D20")],
        [10.5, 12, 10.5], ["微软雅黑", "楷体", "微软雅黑"]),
    7: ("黄金甲", [("#3B2A06", "#FFD75E"), ("#2A1E04", "#FFCC33"), ("#4A3608", "#FFE08A")],
        [10.5, 13, 10.5], ["黑体", "楷体", "黑体"]),
    8: ("玉带滩", [("#E0F2F1", "#00695C"), ("#F1FAF9", "#004D40"), ("#B2DFDB", "#003D33")],
        [10.5, 12, 10.5], ["宋体", "楷体", "宋体"]),
    9: ("蓝带", [("#0D47A1", "#FFFFFF"), ("#E3F2FD", "#0D2C54"), ("#1565C0", "#FFFFFF")],
        [10.5, 12, 10.5], ["黑体", "楷体", "黑体"]),
    10: ("金字", [("#1A1A1A", "#F0C14B"), ("#000000", "#FFD700"), ("#262626", "#F5D76E")],
         [10.5, 13, 10.5], ["宋体", "楷体", "宋体"]),
    12: ("绿芒", [("#F1F8E9", "#33691E"), ("#FFFDE7", "#2E7D32"), ("#DCEDC8", "#1B5E20")],
         [10.5, 12, 10.5], ["微软雅黑", "楷体", "微软雅黑"]),
}

# The design look: white code and sentence bars, the candidate bar in the menu colour (system
# colour 4), the window-text colour (system colour 8) on the first two, black on the third.
SYSTEM = 0x80000000
DEFAULT = ("默认", [16777215, 16777215, SYSTEM + 4 - (1 << 32), SYSTEM + 8 - (1 << 32),
                    SYSTEM + 8 - (1 << 32), 0], [10.5, 12, 10.5], ["宋体", "楷体", "宋体"])


def rgb(hex_colour):
    v = int(hex_colour[1:], 16)
    return (v >> 16) & 255, (v >> 8) & 255, v & 255


def runtime_colour(hex_colour):
    r, g, b = rgb(hex_colour)
    return r | (g << 8) | (b << 16)


def luminance(hex_colour):
    def channel(c):
        c /= 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb(hex_colour))
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def size_text(size):
    return ("%g" % size)


def record(colours, sizes, fonts):
    values = [str(c) for c in colours] + [size_text(s) for s in sizes] + fonts
    return "".join(k + v + "\r\n" for k, v in zip(KEYS, values))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "界面皮肤库")
    os.makedirs(out, exist_ok=True)
    files = {}
    for number, (name, bars, sizes, fonts) in SCHEMES.items():
        for bar, (back, text) in zip(("code", "sentence", "candidate"), bars):
            ratio = contrast(back, text)
            if ratio < 4.5:
                sys.exit(f"skin {number} {name}: the {bar} bar contrasts only {ratio:.2f} : 1")
        bad = set(fonts) - WINDOWS_FONTS
        if bad:
            sys.exit(f"skin {number} {name}: fonts not on every Chinese Windows: {bad}")
        colours = [runtime_colour(b) for b, _ in bars] + [runtime_colour(t) for _, t in bars]
        files[number] = (name, record(colours, sizes, fonts))
    name, colours, sizes, fonts = DEFAULT
    files[11] = (name, record(colours, sizes, fonts))
    for number in sorted(files):
        name, text = files[number]
        path = os.path.join(out, "界面皮肤 %02d- [%s].ini" % (number, name))
        tmp = path + ".tmp"
        with open(tmp, "wb") as f:
            f.write(text.encode("gbk"))
        os.replace(tmp, path)
    print(f"wrote {len(files)} skins into {os.path.normpath(out)}")


if __name__ == "__main__":
    main()
