"""Makes the development and test texts of the weight tuning and the accuracy benchmark from the
zh_CN message catalogues of openly licensed packages.

usage: make_texts.py WORKDIR OUTDIR

WORKDIR holds the unpacked packages; every zh_CN .mo file under it is read with msgunfmt. Each
translated message is cut at punctuation, line breaks and any character that is not a Chinese
character; a piece of 4 to 30 Chinese characters that stood between punctuation marks or message
ends (not cut out of a run of Latin letters, digits or markup) is a clause. Clauses are kept once,
and only when every character has a GBK code. A clause goes to the test part when the first byte
of the MD5 of its UTF-8 text is below 64 (a quarter), else to the development part; each part is
written in the order of those digests, one clause a line (UTF-8).
"""
import hashlib
import os
import re
import subprocess
import sys

PUNCT = set("，。！？、；：“”‘’（）《》「」『』【】…—～·,.!?;:()[]\"'")
MARKUP = re.compile(r"<[^>]*>|%[0-9$#\-+ ]*[a-zA-Z]|\$[a-zA-Z_]+|\{[^}]*\}|&[a-z]+;|\\[nt]|~")


def is_han(ch):
    return 0x4E00 <= ord(ch) <= 0x9FFF


def messages(mo):
    po = subprocess.run(["msgunfmt", "--no-wrap", mo], capture_output=True, text=True, check=True).stdout
    out = []
    current = None
    for line in po.splitlines():
        if line.startswith("msgstr"):
            current = [line[line.index('"') + 1:-1]]
            out.append(current)
        elif line.startswith('"') and current is not None:
            current.append(line[1:-1])
        else:
            current = None
    return ["".join(parts).encode("utf-8").decode("unicode_escape", "ignore").encode("latin-1", "ignore")
            .decode("utf-8", "ignore") for parts in out]


def clauses(text):
    text = MARKUP.sub("\x00", text)
    out = []
    piece = ""
    clean_start = True
    for ch in text + "。":
        if is_han(ch):
            piece += ch
            continue
        bounded = ch in PUNCT or ch in "\n\r" or ch.isspace()
        if piece and clean_start and bounded and 4 <= len(piece) <= 30:
            out.append(piece)
        piece = ""
        clean_start = bounded
    return out


def main():
    work, outdir = sys.argv[1:3]
    seen = set()
    for root, _, files in sorted(os.walk(work)):
        if "zh_CN" not in root:
            continue
        for name in sorted(files):
            if not name.endswith(".mo"):
                continue
            for msg in messages(os.path.join(root, name)):
                for c in clauses(msg):
                    try:
                        c.encode("gbk")
                    except UnicodeEncodeError:
                        continue
                    seen.add(c)
    keyed = sorted((hashlib.md5(c.encode("utf-8")).hexdigest(), c) for c in seen)
    test = [c for h, c in keyed if int(h[:2], 16) < 64]
    dev = [c for h, c in keyed if int(h[:2], 16) >= 64]
    os.makedirs(outdir, exist_ok=True)
    for name, lines in (("dev_text.txt", dev), ("test_text.txt", test)):
        with open(os.path.join(outdir, name), "w", encoding="utf-8", newline="\n") as f:
            f.write("\n".join(lines) + "\n")
    print(f"clauses: {len(dev)} development, {len(test)} test "
          f"({sum(map(len, dev))} and {sum(map(len, test))} characters)")


if __name__ == "__main__":
    main()
