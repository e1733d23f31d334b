"""Makes the development and test texts of the weight tuning and the accuracy benchmark, one pair
for each kind of text, from the zh_CN translations of openly licensed packages.

usage: make_texts.py WORKDIR OUTDIR

WORKDIR holds one folder per unpacked package. A package's texts belong to one kind (DOMAINS):
software messages, narrative and dialogue (the games), or help pages. Read are every .mo file in a
zh_CN/LC_MESSAGES folder, the zh_CN/messages.mo member of a locales.zip (calibre), the values of
the .ftl, .properties and .dtd members of a zh-CN language pack (.xpi), the translations of the
zh_CN.po, *.zh_CN.po and *.zh.po catalogues that games ship uncompiled (entries marked fuzzy left
out, as a compiled catalogue leaves them out) and the values of *_zh_CN.properties files; of a help package, the
text of its zh_CN (zh-CN) .html and Mallard .page files, each page one message (the text of
head, script, style and the page information left out; a block element ends a line, an inline
one such as <a>, <span> or <gui> does not). Each translated message is cut into clauses at
punctuation, line breaks and block markup (<p>, <br>, <li>, ...); access-key marks such as
"(_F)" or "(&F)" are removed first. A clause is kept when it is 4 to 30 characters long, every
character is a Chinese character with a GBK code (so a clause holding Latin letters, digits, spaces,
placeholders such as %s, {0}, $VAR or markup remnants such as &amp; or <b> is dropped whole, never
clipped) and it was not seen before, in this kind or an earlier one of DOMAINS (a clause that
software and a game both say is a software message). A clause goes to the test part when the first
byte of the MD5 of its UTF-8 text is below 64 (a quarter), else to the development part, so a
clause is on the same side whatever its kind; each part is written as OUTDIR/<kind>.dev.txt and
OUTDIR/<kind>.test.txt in the order of those digests, one clause a line (UTF-8), so the output is
the same on every run.
"""
import gettext
import hashlib
import html.parser
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


# The kinds of text, in the order a clause is given to the first that holds it, and the packages
# of the games and of the help pages; every other package is software.
DOMAINS = ("software", "narrative", "help")
NARRATIVE = {"cataclysm-dda-data", "flare-game", "freeciv-data", "freecol", "supertux-data",
             "supertuxkart-data", "warzone2100-data", "wesnoth-1.16-data", "widelands-data"}
HELP = {"libreoffice-help-zh-cn", "gimp-help-zh-cn", "gnome-user-docs"}


def domain(package):
    return "narrative" if package in NARRATIVE else "help" if package in HELP else "software"


def is_han(ch):
    return 0x4E00 <= ord(ch) <= 0x9FFF


def mo_messages(data):
    catalog = gettext.GNUTranslations(io.BytesIO(data))._catalog
    return [v for k, v in sorted(catalog.items(), key=lambda kv: repr(kv[0])) if k != ""]


PO_STRING = re.compile(r'"((?:[^"\\]|\\.)*)"')
PO_ESCAPE = re.compile(r"\\(.)")
PO_ESCAPES = {"n": "\n", "t": "\t", "r": "\r"}


def po_messages(text):
    """The translations of an uncompiled gettext catalogue (msgstr and msgstr[N], their continued
    lines joined; the header and entries marked fuzzy left out)."""
    out = []
    fuzzy = False
    msgid = msgstr = None
    field = None

    def flush():
        if msgid and msgstr and not fuzzy:
            out.extend(m for m in msgstr if m)

    for line in text.splitlines():
        line = line.strip()
        if not line:
            continue
        if line.startswith("#"):
            if line.startswith("#,") and "fuzzy" in line:
                if field == "msgstr":
                    flush()
                    msgid = msgstr = field = None
                fuzzy = True
            continue
        keyword = line.split(" ", 1)[0] if not line.startswith('"') else None
        m = PO_STRING.search(line)
        value = PO_ESCAPE.sub(lambda e: PO_ESCAPES.get(e.group(1), e.group(1)), m.group(1)) if m else ""
        if keyword is None:
            if field == "msgid":
                msgid += value
            elif field == "msgstr":
                msgstr[-1] += value
            continue
        if keyword in ("msgctxt", "msgid") and field == "msgstr":
            flush()
            fuzzy = False
            msgid = msgstr = None
        if keyword == "msgid":
            field, msgid = "msgid", value
        elif keyword.startswith("msgstr"):
            if field != "msgstr":
                msgstr = []
            field = "msgstr"
            msgstr.append(value)
        else:
            field = keyword
    if field == "msgstr":
        flush()
    return out


def is_zh_po(name):
    return name in ("zh_CN.po", "zh.po") or name.endswith((".zh_CN.po", ".zh.po"))


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


class PageText(html.parser.HTMLParser):
    """The running text of an HTML or Mallard page: a block element ends a line, an inline one
    does not; whitespace that breaks a line between two Chinese characters is dropped (the page
    wraps a sentence there), other whitespace is one space."""

    SKIP = {"head", "script", "style", "noscript", "info"}
    INLINE = {"a", "abbr", "acronym", "app", "b", "big", "cite", "cmd", "code", "em", "file", "font",
              "gui", "guiseq", "i", "input", "key", "keyseq", "link", "media", "output", "q", "small",
              "span", "strong", "sub", "sup", "sys", "tt", "u", "var"}
    WRAP = re.compile(r"(?<=[\u4e00-\u9fff])\s*\n\s*(?=[\u4e00-\u9fff])")

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts = []
        self.skipping = 0

    def handle_starttag(self, tag, attrs):
        if tag in self.SKIP:
            self.skipping += 1
        elif tag not in self.INLINE:
            self.parts.append("\n")

    def handle_startendtag(self, tag, attrs):
        if tag not in self.INLINE and tag not in self.SKIP:
            self.parts.append("\n")

    def handle_endtag(self, tag):
        if tag in self.SKIP:
            self.skipping = max(0, self.skipping - 1)
        elif tag not in self.INLINE:
            self.parts.append("\n")

    def handle_data(self, data):
        if not self.skipping:
            self.parts.append(re.sub(r"\s+", " ", self.WRAP.sub("", data)))

    def text(self):
        return "".join(self.parts)


def page_text(data):
    parser = PageText()
    parser.feed(data.decode("utf-8", "replace"))
    parser.close()
    return parser.text()


def is_help_page(root, name):
    where = root.replace(os.sep, "/") + "/"
    return (name.endswith(".html") or name.endswith(".page")) and ("/zh_CN/" in where or "/zh-CN/" in where)


def package_messages(folder, help_pages=False):
    """The translated messages of one unpacked package, in a fixed order; with `help_pages`, the
    text of each of its zh_CN help pages too."""
    out = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(root, name)
            if help_pages and is_help_page(root, name):
                with open(path, "rb") as f:
                    out.append(page_text(f.read()))
            elif name.endswith(".mo") and root.replace(os.sep, "/").endswith("zh_CN/LC_MESSAGES"):
                with open(path, "rb") as f:
                    out += mo_messages(f.read())
            elif is_zh_po(name):
                with open(path, "rb") as f:
                    out += po_messages(f.read().decode("utf-8", "replace"))
            elif name.endswith("_zh_CN.properties"):
                with open(path, "rb") as f:
                    out += properties_messages(f.read().decode("utf-8", "replace"))
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


def split(clauses):
    """The test part (the first byte of a clause's MD5 below 64) and the development part, each in
    the order of the digests."""
    keyed = sorted((hashlib.md5(c.encode("utf-8")).hexdigest(), c) for c in clauses)
    return [c for h, c in keyed if int(h[:2], 16) < 64], [c for h, c in keyed if int(h[:2], 16) >= 64]


def main():
    work, outdir = sys.argv[1:3]
    seen = set()
    kept = {d: [] for d in DOMAINS}
    report = []
    packages = sorted(os.listdir(work), key=lambda p: (DOMAINS.index(domain(p)), p))
    for package in packages:
        count = chars = 0
        for msg in package_messages(os.path.join(work, package), domain(package) == "help"):
            for c in clauses(msg):
                if c not in seen:
                    seen.add(c)
                    kept[domain(package)].append(c)
                    count += 1
                    chars += len(c)
        report.append(f"  {domain(package)} {package}: {count} clauses, {chars} characters (new ones)")
    os.makedirs(outdir, exist_ok=True)
    print("\n".join(report))
    for d in DOMAINS:
        test, dev = split(kept[d])
        for part, lines in (("dev", dev), ("test", test)):
            with open(os.path.join(outdir, f"{d}.{part}.txt"), "w", encoding="utf-8", newline="\n") as f:
                f.write("\n".join(lines) + "\n")
        print(f"{d}: {len(dev)} development clauses, {len(test)} test clauses "
              f"({sum(map(len, dev))} and {sum(map(len, test))} characters)")


if __name__ == "__main__":
    main()
