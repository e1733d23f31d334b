"""Makes the development and test texts of the weight tuning and the accuracy benchmark from the
zh_CN message catalogues of openly licensed packages.

usage: make_texts.py WORKDIR OUTDIR

WORKDIR holds one folder per unpacked package. Read are every .mo file in a zh_CN/LC_MESSAGES
folder, the zh_CN/messages.mo member of a locales.zip (calibre) and the values of the .ftl,
.properties and .dtd members of a zh-CN language pack (.xpi). Each translated message is cut into
clauses at punctuation, line breaks and block markup (<p>, <br>, <li>, ...); access-key marks such as
"(_F)" or "(&F)" are removed first. A clause is kept when it is 4 to 30 characters long, every
character is a Chinese character with a GBK code (so a clause holding Latin letters, digits, spaces,
placeholders such as %s, {0}, $VAR or markup remnants such as &amp; or <b> is dropped whole, never
clipped) and it was not seen before. A clause goes to the test part when the first byte of the MD5
of its UTF-8 text is below 64 (a quarter), else to the development part; each part is written in
the order of those digests, one clause a line (UTF-8), so the output is the same on every run.
"""
import gettext
import hashlib
import io
import os
import re
import sys
import zipfile

PUNCT = "，。！？、；：“”‘’（）《》「」『』【】…—～·,.!?;:()[]\"'\n\r\t"
ACCEL = re.compile(r"[(（][_&~]?[A-Za-z0-9][)）]|[_&~](?=[\u4e00-\u9fff])")
BLOCK = re.compile(r"</?(?:p|br|li|ul|ol|div|h[1-6]|tr|td|th|table|dt|dd|dl|hr|center|qt|html|body)\b[^>]*>",
                   re.I)
SPLIT = re.compile("[" + re.escape(PUNCT) + "]|\\\\n")


def is_han(ch):
    return 0x4E00 <= ord(ch) <= 0x9FFF


def mo_messages(data):
    catalog = gettext.GNUTranslations(io.BytesIO(data))._catalog
    return [v for k, v in sorted(catalog.items(), key=lambda kv: repr(kv[0])) if k != ""]


FTL_LINE = re.compile(r"^\s*(?:[-\w]+|\.[\w-]+)\s*=\s*(.*)$")
FTL_VARIANT = re.compile(r"^\s*\*?\[[^\]]*\]\s*(.*)$")
PROP_LINE = re.compile(r"^\s*[^#!=:\s][^=:]*?\s*[=:]\s*(.*)$")
DTD_ENTITY = re.compile(r'<!ENTITY\s+\S+\s+"([^"]*)"\s*>', re.S)


def ftl_messages(text):
    out = []
    for line in text.splitlines():
        if line.lstrip().startswith("#") or not line.strip():
            continue
        m = FTL_LINE.match(line)
        if m:
            out.append(m.group(1))
        elif line[:1].isspace():
            v = FTL_VARIANT.match(line)
            out.append(v.group(1) if v else line.strip())
    return out


def properties_messages(text):
    out = []
    for line in text.splitlines():
        m = PROP_LINE.match(line)
        if m:
            out.append(re.sub(r"\\u([0-9a-fA-F]{4})", lambda u: chr(int(u.group(1), 16)), m.group(1)))
    return out


def package_messages(folder):
    """The translated messages of one unpacked package, in a fixed order."""
    out = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(root, name)
            if name.endswith(".mo") and root.replace(os.sep, "/").endswith("zh_CN/LC_MESSAGES"):
                with open(path, "rb") as f:
                    out += mo_messages(f.read())
            elif name == "locales.zip" or name.endswith(".xpi") and "zh-CN" in name:
                with zipfile.ZipFile(path) as z:
                    for member in sorted(z.namelist()):
                        if name == "locales.zip":
                            if member == "zh_CN/messages.mo":
                                out += mo_messages(z.read(member))
                            continue
                        if member.endswith(".ftl"):
                            out += ftl_messages(z.read(member).decode("utf-8", "replace"))
                        elif member.endswith(".properties"):
                            out += properties_messages(z.read(member).decode("utf-8", "replace"))
                        elif member.endswith(".dtd"):
                            out += DTD_ENTITY.findall(z.read(member).decode("utf-8", "replace"))
    return out


def clauses(text):
    text = BLOCK.sub("\n", text)
    text = ACCEL.sub("", text)
    out = []
    for piece in SPLIT.split(text):
        piece = piece.strip(" \u3000")
        if 4 <= len(piece) <= 30 and all(is_han(ch) for ch in piece):
            try:
                piece.encode("gbk")
            except UnicodeEncodeError:
                continue
            out.append(piece)
    return out


def main():
    work, outdir = sys.argv[1:3]
    seen = set()
    report = []
    for package in sorted(os.listdir(work)):
        count = chars = 0
        for msg in package_messages(os.path.join(work, package)):
            for c in clauses(msg):
                if c not in seen:
                    seen.add(c)
                    count += 1
                    chars += len(c)
        report.append(f"  {package}: {count} clauses, {chars} characters (new ones)")
    keyed = sorted((hashlib.md5(c.encode("utf-8")).hexdigest(), c) for c in seen)
    test = [c for h, c in keyed if int(h[:2], 16) < 64]
    dev = [c for h, c in keyed if int(h[:2], 16) >= 64]
    os.makedirs(outdir, exist_ok=True)
    for name, lines in (("dev_text.txt", dev), ("test_text.txt", test)):
        with open(os.path.join(outdir, name), "w", encoding="utf-8", newline="\n") as f:
            f.write("\n".join(lines) + "\n")
    print("\n".join(report))
    print(f"clauses: {len(dev)} development, {len(test)} test "
          f"({sum(map(len, dev))} and {sum(map(len, test))} characters)")


if __name__ == "__main__":
    main()
