"""Builds the built-in tables from the unpacked sources.

usage: build_tables.py WORKDIR DATADIR TESTDATADIR

Every output is GBK text with CR LF line ends. Figures for data/SOURCES.md
are printed at the end and written to DATADIR/coverage.txt.
"""
import collections
import math
import os
import sys

import layouts
import sources

STATS = []


def stat(text):
    STATS.append(text)
    print(text)


def utf16_key(s):
    return s.encode("utf-16-be")


def write_gbk(path, lines, tail=b"\r\n", end=b""):
    """Writes lines joined by CR LF; `tail` follows the last line, `end` after it."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    body = "\r\n".join(lines).encode("gbk") + (tail if lines else b"") + end
    with open(path, "wb") as f:
        f.write(body)


def gbk_chars():
    """(index, character) of every double-byte GBK character, index as the
    CharTable uses it: 65536 - code."""
    out = []
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            if trail == 0x7F:
                continue
            try:
                ch = bytes([lead, trail]).decode("gbk")
            except UnicodeDecodeError:
                continue
            if len(ch) == 1:
                out.append((65536 - (lead * 256 + trail), ch))
    return out


def in_gbk(text):
    try:
        text.encode("gbk")
        return True
    except UnicodeEncodeError:
        return False


def is_han(ch):
    return 0x4E00 <= ord(ch) <= 0x9FFF or 0x3400 <= ord(ch) <= 0x4DBF or \
        0xF900 <= ord(ch) <= 0xFAFF or ch == "\u3007"


class Readings:
    """Default and all readings of every GBK character that has one."""

    def __init__(self, work, words):
        mandarin, xhc, hypy = sources.unihan(work)
        self.default = {}
        self.all = {}
        for _, ch in gbk_chars():
            cands = [r for r in mandarin.get(ch, []) if r and layouts.is_syllable(r)]
            rest = xhc.get(ch) or hypy.get(ch) or []
            rest = [r for r in rest if r and layouts.is_syllable(r)]
            if not cands and ch in words and len(words[ch][0]) == 1 and \
                    words[ch][0][0] and layouts.is_syllable(words[ch][0][0]):
                cands = [words[ch][0][0]]
            if not cands:
                cands = rest[:1]
            if not cands:
                continue
            self.default[ch] = cands[0]
            seen = []
            for r in cands + rest:
                if r not in seen:
                    seen.append(r)
            self.all[ch] = seen


def syllable_set(readings, words):
    syl = set()
    for rs in readings.all.values():
        syl.update(rs)
    for pys, _ in words.values():
        syl.update(p for p in pys if p and layouts.is_syllable(p))
    # ue and ve forms of j q x y l n stand side by side; ng shares en.
    for ini in "jqxyln":
        if ini + "ue" in syl or ini + "ve" in syl:
            syl.update([ini + "ue", ini + "ve"])
    syl.add("ng")
    return sorted(syl, key=utf16_key)


def build_syllables(out, syls):
    zr = [(s, layouts.code(s, "ziran")) for s in syls]
    lines = [f"{s},{c}" for s, c in zr]
    # Resource 101: a UTF-8 byte-order mark and a repeat of the first line in
    # front, the last line repeated after the data with a NUL and no line end;
    # the loader skips the first and the last piece.
    body = b"\xef\xbb\xbf" + ("\r\n".join([lines[0]] + lines + [lines[-1]])).encode("gbk") + b"\0"
    with open(os.path.join(out, "resources", "101.txt"), "wb") as f:
        f.write(body)
    master = [f"{s},{layouts.code(s, 'xiaohe')},{c}," for s, c in zr]
    # The readers of the syllable pair files made from the master start at
    # their second line, as they do in resource 101: the first line is a
    # repeat of the second.
    master = [master[0]] + master
    write_gbk(os.path.join(out, "内置文件", "全拼-小鹤-自然-国标.txt"), master)
    stat(f"syllables: {len(syls)} (resource 101 and the master file)")


def crosscheck_fixture(work, testdir, syls):
    """Keeps the rime prism codes of our syllables, so that the test can check
    the layout columns without the package; also checks them here."""
    lines = ["# syllable layout codes accepted by rime-data-double-pinyin "
             "(double_pinyin = 自然双拼, double_pinyin_flypy = 小鹤双拼); GPL-3 data,",
             "# made by data/scripts/build_tables.py. Line: layout,syllable,code code ..."]
    bad = []
    for name, rel, layout in (("ziran", sources.PRISM_ZIRAN, "ziran"),
                              ("xiaohe", sources.PRISM_XIAOHE, "xiaohe")):
        prism = sources.prism(work, rel)
        both = 0
        for s in syls:
            if s in prism:
                both += 1
                lines.append(f"{name},{s},{' '.join(prism[s])}")
                if layouts.code(s, layout) not in prism[s]:
                    bad.append((name, s, layouts.code(s, layout), prism[s]))
        stat(f"cross-check {name}: {both} syllables in both, {len(bad)} disagree")
    if bad:
        raise SystemExit(f"layout disagrees with the cross-check: {bad}")
    os.makedirs(testdir, exist_ok=True)
    with open(os.path.join(testdir, "layout_crosscheck.txt"), "wb") as f:
        f.write(("\n".join(lines) + "\n").encode("utf-8"))


def word_reading_ok(word, pys):
    return len(pys) == len(word) and all(p and layouts.is_syllable(p) for p in pys)


POLY_MIN_COUNT = 200


def build_char_tables(out, readings, words, jieba_counts, lexicon_words):
    """Resources 102 (per-character lines), 103 (polyphone words) and 104.

    Resource 103 lists a two-character word that reads a character with another than its default
    reading only when resource 105 holds it with a count of at least POLY_MIN_COUNT: the encoder
    reads a character by the two-character words it forms with its neighbours, and a rare one
    (真地 read zhen di) would decide the reading of a common text (认真地, where 地 is the
    particle de)."""
    default = readings.default
    # Readings of each character inside the words of 2 to 6 characters.
    inside = collections.defaultdict(list)  # ch -> [(word, [readings per occurrence], freq)]
    for word, (pys, freq) in words.items():
        if not (2 <= len(word) <= 6) or not in_gbk(word) or not word_reading_ok(word, pys):
            continue
        default_only = all(p == readings.default.get(ch) for ch, p in zip(word, pys))
        if len(word) == 2 and not default_only and lexicon_words.get(word, 0) < POLY_MIN_COUNT:
            continue
        if not ACCIDENTS.check("resource 103", word):
            continue
        for ch in set(word):
            if ch in default:
                inside[ch].append((word, [pys[i] for i, c in enumerate(word) if c == ch], freq))
    # A character is polyphonic when a word reads it with another reading that
    # Unihan also lists for it.
    poly = {}
    for ch, items in inside.items():
        known = set(readings.all[ch])
        other = [it for it in items if any(r != default[ch] and r in known for r in it[1])]
        if other:
            poly[ch] = items
    # Lines budget of resource 103 (the loader holds 120,185 lines): words with
    # another reading first, then the most frequent words.
    budget = 120185 - 2 * len(poly)
    cands = []
    for ch, items in poly.items():
        known = set(readings.all[ch])
        for word, rs, freq in items:
            if any(r not in known for r in rs):
                continue
            special = any(r != default[ch] for r in rs)
            cands.append((0 if special else 1, -freq, ch, word, rs, freq))
    cands.sort(key=lambda c: (c[0], c[1], utf16_key(c[3]), utf16_key(c[2])))
    chosen = collections.defaultdict(list)
    for c in cands[:budget]:
        chosen[c[2]].append(c)
    lines103 = []
    ranges = {}
    for ch in sorted(poly, key=lambda c: (-sum(x[5] for x in chosen[c]), utf16_key(c))):
        lines103.append(f"{ch},开始")
        pairs = []
        for n in range(2, 7):
            group = sorted((c for c in chosen[ch] if len(c[3]) == n),
                           key=lambda c: (-c[5], utf16_key(c[3])))
            if not group:
                pairs.append((1, 1))
                continue
            first = len(lines103) + 1
            for _, _, _, word, rs, freq in group:
                reading = "" if all(r == default[ch] for r in rs) else "/".join(rs)
                lines103.append(f"{word},{reading}'{max(1, round(freq * 1e12))}")
            pairs.append((first, len(lines103)))
        lines103.append(f"{ch},结束")
        ranges[ch] = pairs
    write_gbk(os.path.join(out, "resources", "103.txt"), lines103, end=b"\0")
    stat(f"resource 103: {len(ranges)} polyphonic characters, {len(lines103)} lines, "
         f"{len(lines103) - 2 * len(ranges)} word lines")

    by_index = dict(gbk_chars())
    lines102 = []
    info = 0
    for n in range(1, 32768):
        ch = by_index.get(n)
        if ch is None or ch not in default:
            lines102.append("$***")
            continue
        r = default[ch]
        line = f"{'#' if ch in ranges else '$'},{layouts.code(r, 'ziran')},*,0,0,{r},{ch}"
        if ch in ranges:
            line += "".join(f", {a}, {b}" for a, b in ranges[ch])
        lines102.append(line)
        info += 1
    write_gbk(os.path.join(out, "resources", "102.txt"), lines102, end=b"\0")
    han = sum(1 for _, ch in gbk_chars() if is_han(ch))
    han_read = sum(1 for _, ch in gbk_chars() if is_han(ch) and ch in default)
    stat(f"resource 102: {info} information lines ({len(ranges)} marked #); "
         f"{han_read} of {han} GBK Han characters have a reading")

    common = [w for w, c in sorted(jieba_counts.items(), key=lambda kv: (-kv[1], utf16_key(kv[0])))
              if len(w) == 2 and all(is_han(ch) for ch in w) and in_gbk(w)
              and ACCIDENTS.check("resource 104", w)][:1107]
    write_gbk(os.path.join(out, "resources", "104.txt"), common, tail=b"")
    stat(f"resource 104: {len(common)} common two-character words")


# Encoding accidents: Chinese text in UTF-8 read as GBK. Each character of such text takes two
# bytes of the UTF-8 form of a character: the lead byte of a CJK character or punctuation mark
# (E2, E3, E4-E9, EF) and a continuation byte (80-BF). The GBK characters of that shape outside
# GB2312 (trail byte 80-A0) are what such text turns into (銆 is the GBK reading of the first
# bytes of 。 and 、, 鍏 of 公, 鐪 of 真); the word counts of the sources hold them by the
# thousand, and a simplified-Chinese lexicon needs none of them. A word of three or more characters
# whose GBK bytes are whole UTF-8 text is one too (浣犲ソ is 你好).
UTF8_LEADS = {0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEF}


def gbk_pair(ch):
    try:
        b = ch.encode("gbk")
    except UnicodeEncodeError:
        return None
    return b if len(b) == 2 else None


def accident_char(ch):
    b = gbk_pair(ch)
    return b is not None and b[0] in UTF8_LEADS and 0x80 <= b[1] <= 0xA0


def mojibake_shape(ch):
    """A character whose GBK bytes could start a UTF-8 character (GB2312 ones such as 涓 and
    锛 included): the counts of the sources are inflated by such text and not used alone."""
    b = gbk_pair(ch)
    return b is not None and b[0] in UTF8_LEADS and 0x80 <= b[1] <= 0xBF


def utf8_run(b):
    """True when the bytes are UTF-8 text of three-byte characters (CJK and punctuation)."""
    i = 0
    while i < len(b):
        if b[i] not in UTF8_LEADS:
            return False
        for k in (1, 2):
            if i + k < len(b) and not 0x80 <= b[i + k] <= 0xBF:
                return False
        i += 3
    return True


def encoding_accident(word):
    if any(accident_char(ch) for ch in word):
        return True
    if len(word) >= 3:
        try:
            b = word.encode("gbk")
        except UnicodeEncodeError:
            return False
        return len(b) % 3 == 0 and utf8_run(b)
    return False


class AccidentLog:
    """What the encoding-accident check rejected, per table; printed and kept in coverage.txt."""

    def __init__(self):
        self.rejected = collections.defaultdict(list)

    def check(self, table, word):
        if encoding_accident(word):
            self.rejected[table].append(word)
            return False
        return True

    def report(self):
        if not self.rejected:
            stat("encoding accidents rejected: none")
        for table, words in sorted(self.rejected.items()):
            shown = " ".join(sorted(set(words), key=utf16_key)[:20])
            stat(f"encoding accidents rejected from {table}: {len(words)} ({shown}"
                 f"{' ...' if len(set(words)) > 20 else ''})")


ACCIDENTS = AccidentLog()


def assert_no_accidents(path, field):
    """Stops the build when a written word table holds an encoding accident. `field`: the
    words of a line are the text before the comma (0), the candidate list after it (1) or the
    whole line (None)."""
    with open(path, "rb") as f:
        text = f.read().rstrip(b"\0").decode("gbk")
    for n, line in enumerate(text.split("\r\n"), 1):
        body = line if field is None else line.split(",", 1)[field] if "," in line else ""
        for token in body.split(" "):
            if token and encoding_accident(token):
                raise SystemExit(f"{path} line {n}: encoding accident {token}")


# Resource 105: which words of two or more characters it holds and how they are weighed.
# Candidates are the words of every list: pinyin-pro, jieba's dictionary and idf list, libime's
# language-model vocabulary and rime's pinyin_simp. A word's count (on jieba's scale of 60 M
# words) is the largest of what the lists say: jieba's count, exp(IDF_COUNT_BASE - idf), the
# language model's probability times 10^LM_SHIFT and pinyin_simp's count times SIMP_SCALE (both
# scales are the median ratio to jieba's count over the words that both hold at least 100 times).
# The conversion takes the longest word it finds, so a rare word beats the common characters it
# spells over (他把 -> 塔巴): a word stays when its count is at least WORD_MIN_COUNT (words of three
# or more characters: LONG_WORD_MIN_COUNT) and either at
# least WORD_SURE_COUNT (a word that modern text uses stays whatever its characters: 加油, 微信)
# or at least WORD_MIN_RATIO times the count that its syllables' most frequent characters would
# give one after the other. A person's name (jieba tags it nr, nrfg or nrt) counts NAME_DISCOUNT
# times less: a user types the common word far more often than the name it sounds like (网费, not
# 王菲; 微博, not 韦伯), and a rare name must not win the longest match over common characters. So
# do the names of places and organisations and other proper nouns (tags ns, nt, nz: 宜昌市,
# 石灰华) that no development text uses. Weights are log counts over WEIGHT_DECADES decades, words of two or
# more characters counted WORD_FACTOR times; then the tuned weights of data/tuning/ replace the
# weights of the words they name (see data/tune-weights).
WORD_MIN_COUNT = 3
LONG_WORD_MIN_COUNT = 20  # a rarer word of 3+ characters (乙级队) wins the longest match (以及对)
WORD_MIN_RATIO = 3.0
WORD_SURE_COUNT = 100
WORD_FACTOR = 10.0
WEIGHT_DECADES = 6
IDF_COUNT_BASE = 14.5  # count from an idf: exp(IDF_COUNT_BASE - idf), the median of log count + idf
LM_SHIFT = 7.75
NAME_TAGS = {"nr", "nrfg", "nrt"}  # jieba's tags of persons' names
NAME_DISCOUNT = 10.0
PLACE_TAGS = {"ns", "nt", "nz"}  # jieba's tags of places, organisations and other proper nouns
# The development texts of every kind (bench/data/texts/<kind>.dev.txt; the test parts are never read).
DEV_TEXTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench", "data", "texts")


def dev_text():
    """The development texts of every kind as one string."""
    out = []
    for name in sorted(os.listdir(DEV_TEXTS)):
        if name.endswith(".dev.txt"):
            with open(os.path.join(DEV_TEXTS, name), encoding="utf-8") as f:
                out.append(f.read())
    return "\n".join(out)
SIMP_SCALE = 0.76


def weight_text(freq, fmax, fmin):
    span = math.log10(fmax) - math.log10(fmin)
    w = 100 + (math.log10(fmax) - math.log10(max(freq, fmin))) * 899.0 / span
    # A whole number, never a whole hundred (weights with a meaning of their own in the lookups);
    # three digits, so the text order of weights is their numeric order.
    n = min(max(round(w), 101), 999)
    if n % 100 == 0:
        n += 1 if w >= n else -1
    return str(n)


def compose_reading(word, words, readings):
    """Reading of a word that the lists lack: its longest pinyin-pro words from the left, then
    single characters with their default reading; None when a character has none."""
    pys = []
    i = 0
    while i < len(word):
        for n in range(len(word) - i, 0, -1):
            part = word[i:i + n]
            if n < len(word) and n > 1 and part in words and word_reading_ok(part, words[part][0]):
                pys += words[part][0]
                i += n
                break
            if n == 1:
                r = readings.default.get(part)
                if r is None:
                    return None
                pys.append(r)
                i += 1
    return pys


class WordLists:
    """The word lists with counts, read once."""

    def __init__(self, work, words, jieba_counts):
        self.words = words  # pinyin-pro: word -> (syllables, frequency)
        self.jieba = jieba_counts
        self.idf = sources.jieba_idf(work)
        self.lm = sources.libime_unigrams(work)
        self.simp = sources.pinyin_simp(work)
        self.libime = sources.libime_words(work)
        self.tags = sources.jieba_tags(work)
        self.pairs = sources.libime_pairs(work)

    def counts(self, word):
        """The counts the lists give a word, on jieba's scale."""
        out = {}
        if word in self.jieba:
            out["jieba"] = self.jieba[word]
        if word in self.idf:
            out["idf"] = math.exp(IDF_COUNT_BASE - self.idf[word])
        if word in self.lm:
            out["lm"] = 10 ** (self.lm[word] + LM_SHIFT)
        if word in self.simp:
            out["simp"] = self.simp[word][1] * SIMP_SCALE
        return out

    def reading(self, word, readings):
        for pys in (self.words.get(word, (None,))[0], self.libime.get(word),
                    self.simp.get(word, (None,))[0]):
            if pys and word_reading_ok(word, pys):
                return pys
        return compose_reading(word, self.words, readings)

    def char_count(self, ch):
        """A single character's count: the median of the lists' counts (jieba's left out for a
        character whose count UTF-8 text read as GBK inflates)."""
        c = self.counts(ch)
        c.pop("idf", None)
        if mojibake_shape(ch):
            c.pop("jieba", None)
        vals = sorted(c.values())
        if not vals:
            return 0.0
        if len(vals) % 2:
            return vals[len(vals) // 2]
        return math.sqrt(vals[len(vals) // 2 - 1] * vals[len(vals) // 2])


def tuning_lines(out, name, fields):
    """The comma-separated lines of data/tuning/NAME that have FIELDS fields (none when the file
    is missing; # starts a comment line)."""
    path = os.path.join(out, "tuning", name)
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return [parts for parts in (line.rstrip("\n").split(",") for line in f if not line.startswith("#"))
                if len(parts) == fields]


def load_tuned(out):
    """(key, word) -> weight text of data/tuning/105-weights.txt (lines key,word,weight; the weight
    "-" takes the word out)."""
    return {(key, word): weight for key, word, weight in tuning_lines(out, "105-weights.txt", 3)}


# Phrases of the development texts (data/tuning/phrases.txt, made by scripts/phrases.py): a phrase
# that is not a word already is added with PHRASE_SCALE times the number of clauses holding it as
# its count, so a phrase that three clauses hold weighs about what a word of count 50 does.
PHRASE_SCALE = 17.8
# Pairs of words that libime's language model predicts one after the other (大数据, 机器学习,
# 认真的): a pair whose log10 probability is above PAIR_MIN_SCORE is added as a phrase with the
# count that probability gives on jieba's scale (LM_SHIFT). A pair that ends in a single character
# (约的, 是一) is left out: it would win the longest match over the word before it (这个月的).
PAIR_MIN_SCORE = -5.85
# A phrase that begins with a character standing alone (no word with the character after it) when
# a more frequent character has the same sound is added only when at least EDGE_MIN_CLAUSES clauses
# hold it: it wins the longest match over that character in every text (它正在 over 他正在), so a
# couple of clauses of the development texts are not enough to decide it. Nor is it added when a
# phrase of the development texts that differs from it only in a first character of the same sound
# outweighs it, the clauses of each times its first character's count: the narrative texts' 它正在
# (a monster's doing, 11 clauses) does not beat 他正在 (5), for 他 is six times as frequent as 它.
EDGE_MIN_CLAUSES = 3


def loose_start(phrase, pys, have, char_counts, best_char):
    """Whether a phrase begins with a character that is no word with the next one and that a more
    frequent character of the same sound beats."""
    return phrase[:2] not in have and char_counts.get(phrase[0], 0.0) < best_char.get(pys[0], 0.0)


def outweighed(phrase, pys, phrases, char_counts, chars_of):
    """Whether a phrase of the development texts that differs from PHRASE only in its first
    character, of the same sound (CHARS_OF: syllable -> its characters), weighs more, clauses
    times that character's count."""
    own = phrases[phrase] * char_counts.get(phrase[0], 0.0)
    for ch in chars_of[pys[0]]:
        rival = ch + phrase[1:]
        if ch != phrase[0] and rival in phrases and phrases[rival] * char_counts.get(ch, 0.0) > own:
            return True
    return False


def load_phrases(out):
    """phrase -> clauses of data/tuning/phrases.txt (lines phrase,clauses)."""
    return {phrase: int(n) for phrase, n in tuning_lines(out, "phrases.txt", 2) if n.isdigit()}


# Phrases of libime's language model (data/tuning/lm-phrases.txt, made by scripts/lm_phrases.py:
# word pairs and triples the model finds likely, each kept only when it fixed conversions of the
# development texts and broke none; data/tuning/lm-readings.txt, made by scripts/lm_readings.py:
# the model's one sure reading of a code where the App converts it otherwise): added with the
# count their log10 probability gives (LM_SHIFT).
def load_lm_phrases(out):
    """phrase -> log10 probability of data/tuning/lm-phrases.txt and lm-readings.txt (lines
    phrase,probability)."""
    out_phrases = {}
    for name in ("lm-phrases.txt", "lm-readings.txt"):
        for phrase, p in tuning_lines(out, name, 2):
            out_phrases.setdefault(phrase, float(p))
    return out_phrases


def build_lexicon(out, readings, lists, tuned=None, phrases=None, lm_phrases=None):
    """Resource 105 and 内置文件\\默认词库.txt: full-pinyin key, words and weights."""
    words = lists.words
    entries = collections.defaultdict(dict)  # key -> word -> freq
    per_reading = collections.defaultdict(float)  # (ch, reading) -> summed word freq
    total = sum(lists.jieba.values())
    best_char = collections.defaultdict(float)  # syllable -> count of its most frequent character
    char_counts = {ch: lists.char_count(ch) for ch in readings.all}
    chars_of = collections.defaultdict(list)  # syllable -> the characters that read it
    for ch, rs in readings.all.items():
        best_char[rs[0]] = max(best_char[rs[0]], char_counts[ch])
        for r in rs:
            chars_of[r].append(ch)
    cands = set()
    for source in (words, lists.jieba, lists.idf, lists.lm, lists.simp):
        cands.update(w for w in source if len(w) >= 2)
    used = dev_text()  # a proper noun that the development texts use keeps its count
    nwords = dropped = 0
    by_list = collections.Counter()
    for word in sorted(cands, key=utf16_key):
        if not all(is_han(ch) for ch in word) or not in_gbk(word):
            continue
        if not ACCIDENTS.check("resource 105", word):
            continue
        counts = lists.counts(word)
        if not counts:
            continue
        pys = lists.reading(word, readings)
        if not pys or not word_reading_ok(word, pys):
            continue
        freq = words[word][1] if word in words else 0.0
        for ch, p in zip(word, pys):
            per_reading[(ch, p)] += freq
        count = max(counts.values())
        tag = lists.tags.get(word)
        if tag in NAME_TAGS or (tag in PLACE_TAGS and word not in used):
            count /= NAME_DISCOUNT
        expected = total
        for p in pys:
            expected *= best_char.get(p, 0.0) / total
        if count < (WORD_MIN_COUNT if len(word) == 2 else LONG_WORD_MIN_COUNT) or \
                (count < WORD_SURE_COUNT and count < WORD_MIN_RATIO * expected):
            dropped += 1
            continue
        entries["'".join(pys)][word] = count * 1e-12 * WORD_FACTOR
        nwords += 1
        by_list[max(counts, key=counts.get)] += 1
    have = {w for d in entries.values() for w in d}
    nphrases = 0
    phrase_counts = {p: c * PHRASE_SCALE for p, c in (phrases or {}).items()}
    for (a, b), score in lists.pairs.items():
        if score > PAIR_MIN_SCORE and len(b) >= 2 and a + b not in phrase_counts:
            phrase_counts[a + b] = 10 ** (score + LM_SHIFT)
    for phrase, score in (lm_phrases or {}).items():
        phrase_counts.setdefault(phrase, 10 ** (score + LM_SHIFT))
    for phrase, count in sorted(phrase_counts.items(), key=lambda p: utf16_key(p[0])):
        if phrase in have or not all(is_han(ch) for ch in phrase) or not in_gbk(phrase):
            continue
        if not ACCIDENTS.check("resource 105", phrase):
            continue
        pys = lists.reading(phrase, readings)
        if not pys or not word_reading_ok(phrase, pys):
            continue
        held = (phrases or {}).get(phrase)
        if held is not None and loose_start(phrase, pys, have, char_counts, best_char) and \
                (held < EDGE_MIN_CLAUSES or outweighed(phrase, pys, phrases, char_counts, chars_of)):
            continue
        entries["'".join(pys)][phrase] = count * 1e-12 * WORD_FACTOR
        nphrases += 1
    nchars = 0
    for ch, rs in readings.all.items():
        if not is_han(ch) or not ACCIDENTS.check("resource 105", ch):
            continue
        own = words.get(ch)
        own_freq = char_counts[ch] * 1e-12
        own_reading = own[0][0] if own and len(own[0]) == 1 and own[0][0] in rs else readings.default[ch]
        for r in rs:
            f = own_freq if r == own_reading else min(per_reading.get((ch, r), 0.0), own_freq)
            entries[r][ch] = max(f, 1e-13)
            nchars += 1
    fmax = max(f for d in entries.values() for f in d.values())
    fmin = fmax / 10 ** WEIGHT_DECADES
    tuned = tuned or {}
    ntuned = ntaken = 0
    lines = []
    for key in sorted(entries, key=utf16_key):
        pairs = []
        for w, f in entries[key].items():
            t = tuned.get((key, w))
            if t == "-":  # a rare word that the tuning found only ever taken wrongly
                ntaken += 1
                continue
            ntuned += t is not None
            pairs.append((t or weight_text(f, fmax, fmin), w))
        if not pairs:
            continue
        pairs.sort(key=lambda p: (p[0], utf16_key(p[1])))
        lines.append(key + "," + " ".join(f"{w} {t}" for t, w in pairs))
    write_gbk(os.path.join(out, "resources", "105.txt"), lines, end=b"\0")
    write_gbk(os.path.join(out, "内置文件", "默认词库.txt"), lines)
    kept = {w: f / (1e-12 * WORD_FACTOR) for d in entries.values() for w, f in d.items() if len(w) >= 2}
    stat(f"resource 105: {len(lines)} keys, {nwords} words of two or more characters "
         f"({dropped} rarer words left out; count taken from "
         + ", ".join(f"{k} {v}" for k, v in sorted(by_list.items())) +
         f"), {nphrases} phrases (development texts and word pairs), {nchars} character readings, "
         f"{ntuned} tuned weights, {ntaken} rare words taken out by the tuning")
    return kept


def gbk_han_count(chars):
    return sum(1 for ch in chars if is_han(ch) and in_gbk(ch))


def write_full_codes(out, name, records, label):
    """单字全码*.txt: the one-letter codes of the source, then the longest code
    of each character (equal lengths: the first in source order)."""
    best = {}
    ones = []
    for code, ch in records:
        if len(ch) != 1 or not in_gbk(ch) or not code.isalpha() or not code.islower():
            continue
        if len(code) == 1:
            ones.append((code, ch))
        if ch not in best or len(code) > len(best[ch]):
            best[ch] = code
    rows = set(ones) | {(c, ch) for ch, c in best.items() if len(c) > 1 or (c, ch) not in ones}
    lines = [f"{c},{ch}" for c, ch in sorted(rows, key=lambda r: (r[0], utf16_key(r[1])))]
    write_gbk(os.path.join(out, "内置文件", name), lines)
    stat(f"{name}: {len(lines)} lines, {len(best)} characters "
         f"({gbk_han_count(best)} GBK Han) [{label}]")


def build_full_codes(out, work, readings):
    write_full_codes(out, "单字全码五笔86.txt", sources.wubi86(work), "ibus-table-wubi")
    write_full_codes(out, "单字全码五笔98.txt",
                     sources.table_dump(work, sources.WUBI98_DUMP), "fcitx5-table-wubi98-single")
    write_full_codes(out, "单字全码郑码.txt",
                     sources.table_dump(work, sources.ZHENGMA_DUMP, skip_prefix="^"),
                     "fcitx-table-zhengma")
    # The default scheme: the 自然双拼 code of each character's default reading.
    rows = [(layouts.code(r, "ziran"), ch) for ch, r in readings.default.items() if is_han(ch)]
    lines = [f"{c},{ch}" for c, ch in sorted(rows, key=lambda r: (r[0], utf16_key(r[1])))]
    for name in ("单字全码砚舟鹤形数.txt", "单字全码默认.txt"):
        write_gbk(os.path.join(out, "内置文件", name), lines)
    stat(f"单字全码砚舟鹤形数.txt / 单字全码默认.txt: {len(lines)} characters [Unihan]")


def write_aux(out, name, table, label):
    lines = [f"{ch},{table[ch]}" for ch in sorted(table, key=utf16_key)]
    write_gbk(os.path.join(out, "内置文件", name), lines)
    stat(f"{name}: {len(lines)} characters ({gbk_han_count(table)} GBK Han) [{label}]")


def build_aux(out, work, readings):
    # 自然码: the two shape letters of the four-letter codes (most frequent pair
    # per character, then the first); characters only in zrm get its one letter.
    pairs = collections.defaultdict(collections.Counter)
    for code, ch in sources.table_dump(work, sources.WANFENG_DUMP):
        if len(ch) == 1 and len(code) == 4 and code.isalpha() and code.islower() and in_gbk(ch):
            pairs[ch][code[2:]] += 1
    table = {ch: sorted(c.items(), key=lambda kv: (-kv[1], kv[0]))[0][0] for ch, c in pairs.items()}
    from_wanfeng = len(table)
    ones = collections.defaultdict(collections.Counter)
    for code, ch in sources.table_dump(work, sources.ZRM_DUMP):
        if len(ch) == 1 and len(code) == 3 and code.isalpha() and code.islower() and in_gbk(ch):
            ones[ch][code[2]] += 1
    for ch, c in ones.items():
        if ch not in table:
            table[ch] = sorted(c.items(), key=lambda kv: (-kv[1], kv[0]))[0][0]
    write_aux(out, "自然码辅助码.txt", table,
              f"libime-data: {from_wanfeng} two letters from wanfeng, "
              f"{len(table) - from_wanfeng} one letter from zrm")

    strokes = {ch: s[:2] for ch, s in sources.strokes(work).items()
               if in_gbk(ch) and s and set(s) <= set("hspnz")}
    write_aux(out, "笔画辅助码.txt", strokes, "rime-data-stroke, first two strokes")

    # 偏旁: the 自然双拼 initial key of the reading of the character's radical.
    rs, rad = sources.radicals(work)
    mandarin = {}
    for ch, r in readings.default.items():
        mandarin[ch] = r
    radical_mandarin, _, _ = sources.unihan(work)
    table = {}
    for ch in readings.default:
        num = rs.get(ch)
        radical = rad.get(num) if num else None
        if radical is None:
            continue
        r = [x for x in radical_mandarin.get(radical, []) if x and layouts.is_syllable(x)]
        if r:
            table[ch] = layouts.code(r[0], "ziran")[0]
    write_aux(out, "偏旁辅助码.txt", table, "Unihan kRSUnicode + CJKRadicals")


def main():
    work, out, testdir = sys.argv[1:4]
    words = sources.pinyin_pro(work)
    readings = Readings(work, words)
    syls = syllable_set(readings, words)
    os.makedirs(os.path.join(out, "resources"), exist_ok=True)
    build_syllables(out, syls)
    crosscheck_fixture(work, testdir, syls)
    jieba_counts = sources.jieba(work)
    kept = build_lexicon(out, readings, WordLists(work, words, jieba_counts), load_tuned(out),
                         load_phrases(out), load_lm_phrases(out))
    build_char_tables(out, readings, words, jieba_counts, kept)
    ACCIDENTS.report()
    for name, field in (("103.txt", 0), ("104.txt", None), ("105.txt", 1)):
        assert_no_accidents(os.path.join(out, "resources", name), field)
    assert_no_accidents(os.path.join(out, "内置文件", "默认词库.txt"), 1)
    build_full_codes(out, work, readings)
    build_aux(out, work, readings)
    with open(os.path.join(out, "coverage.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(STATS) + "\n")


if __name__ == "__main__":
    main()
