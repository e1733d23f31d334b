"""Readers of the unpacked source packages (paths relative to the work folder)."""
import bz2
import collections
import json
import os
import re
import sqlite3
import unicodedata

UNIHAN_READINGS = "unicode-data/usr/share/unicode/Unihan_Readings.txt.bz2"
UNIHAN_IRG = "unicode-data/usr/share/unicode/Unihan_IRGSources.txt.bz2"
CJK_RADICALS = "unicode-data/usr/share/unicode/CJKRadicals.txt"
PINYIN_PRO = "pinyin-pro-data/package/json/complete.json"
JIEBA = "nodejieba/package/submodules/cppjieba/dict/jieba.dict.utf8"
JIEBA_IDF = "nodejieba/package/submodules/cppjieba/dict/idf.utf8"
WUBI86_DB = "ibus-table-wubi/usr/share/ibus-table/tables/wubi-jidian86.db"
ZHENGMA_DUMP = "dumps/zhengma.txt"
WUBI98_DUMP = "dumps/wubi98.txt"
WANFENG_DUMP = "dumps/wanfeng.txt"
PREDICT_DUMP = "dumps/predict.txt"
ZRM_DUMP = "dumps/zrm.txt"
STROKE_DICT = "rime-data-stroke/usr/share/rime-data/stroke.dict.yaml"
PRISM_ZIRAN = "rime-data-double-pinyin/usr/share/rime-data/build/double_pinyin.prism.txt"
PRISM_XIAOHE = "rime-data-double-pinyin/usr/share/rime-data/build/double_pinyin_flypy.prism.txt"


def toneless(py):
    """Lower-case pinyin without tone marks, ü written v; None for a reading
    that is not plain letters afterwards (ê, ḿ)."""
    s = unicodedata.normalize("NFD", py.strip().lower())
    s = s.replace("u\u0308", "v")
    s = "".join(ch for ch in s if not unicodedata.combining(ch))
    s = s.replace("ü", "v")
    return s if re.fullmatch(r"[a-z]+", s) else None


def unihan(src):
    """kMandarin, kXHC1983 and kHanyuPinyin readings, toneless, per character."""
    mandarin, xhc, hypy = {}, {}, {}
    with bz2.open(os.path.join(src, UNIHAN_READINGS), "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            cp, field, value = line.rstrip("\n").split("\t", 2)
            ch = chr(int(cp[2:], 16))
            if field == "kMandarin":
                mandarin[ch] = [toneless(v) for v in value.split()]
            elif field in ("kXHC1983", "kHanyuPinyin"):
                out = []
                for item in value.split():
                    for r in item.split(":", 1)[1].split(","):
                        out.append(toneless(r))
                (xhc if field == "kXHC1983" else hypy)[ch] = out
    return mandarin, xhc, hypy


def radicals(src):
    """Radical number of each character (kRSUnicode, first value) and the
    unified ideograph of each radical number (CJKRadicals.txt)."""
    rs = {}
    with bz2.open(os.path.join(src, UNIHAN_IRG), "rt", encoding="utf-8") as f:
        for line in f:
            if "\tkRSUnicode\t" in line:
                cp, _, value = line.rstrip("\n").split("\t", 2)
                rs[chr(int(cp[2:], 16))] = value.split()[0].split(".")[0]
    rad = {}
    with open(os.path.join(src, CJK_RADICALS), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            num, _, uni = [x.strip() for x in line.split(";")]
            rad[num] = chr(int(uni, 16))
    return rs, rad


def pinyin_pro(src):
    """word -> (list of toneless syllables, frequency)."""
    with open(os.path.join(src, PINYIN_PRO), encoding="utf-8") as f:
        data = json.load(f)
    out = {}
    for word, (py, freq) in data.items():
        out[word] = ([toneless(s) for s in py.split()], float(freq))
    return out


def jieba_idf(src):
    """word -> inverse document frequency (lower = in more documents)."""
    out = {}
    with open(os.path.join(src, JIEBA_IDF), encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2:
                out.setdefault(parts[0], float(parts[1]))
    return out


def jieba(src):
    """word -> count."""
    out = {}
    with open(os.path.join(src, JIEBA), encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2:
                out.setdefault(parts[0], int(parts[1]))
    return out


def jieba_tags(src):
    """word -> part-of-speech tag of jieba's dictionary (nr: a person's name, ns: a place, ...)."""
    out = {}
    with open(os.path.join(src, JIEBA), encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 3:
                out.setdefault(parts[0], parts[2])
    return out


def wubi86(src):
    con = sqlite3.connect(os.path.join(src, WUBI86_DB))
    try:
        rows = con.execute("select tabkeys, phrase from phrases where length(phrase)=1 "
                           "order by id").fetchall()
    finally:
        con.close()
    return [(k, p) for k, p in rows]


def table_dump(src, rel, skip_prefix=None):
    """(code, text) records of a dumped fcitx or libime table's [Data] part."""
    rows = []
    with open(os.path.join(src, rel), encoding="utf-8") as f:
        in_data = False
        for line in f:
            line = line.rstrip("\r\n")
            if not in_data:
                in_data = line == "[Data]"
                continue
            if skip_prefix and line.startswith(skip_prefix):
                continue
            parts = line.split(" ", 1)
            if len(parts) == 2:
                rows.append((parts[0], parts[1]))
    return rows


def rime_rows(path):
    """The tab-separated fields of each line of a rime dictionary's body (after its "..." line),
    comment and empty lines left out."""
    with open(path, encoding="utf-8") as f:
        body = False
        for line in f:
            line = line.rstrip("\n")
            if line == "...":
                body = True
            elif body and line and not line.startswith("#"):
                yield line.split("\t")


def strokes(src):
    """character -> stroke letters (h s p n z)."""
    out = {}
    for parts in rime_rows(os.path.join(src, STROKE_DICT)):
        if len(parts) >= 2 and len(parts[0]) == 1:
            out.setdefault(parts[0], parts[1])
    return out


def prism(src, rel):
    """syllable -> sorted codes that the layout's prism accepts for it."""
    codes = collections.defaultdict(set)
    with open(os.path.join(src, rel), encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) >= 2 and parts[0] and parts[1]:
                codes[parts[1]].add(parts[0])
    return {k: sorted(v) for k, v in codes.items()}


LIBIME_SC_DUMP = "dumps/sc.txt"
LIBIME_LM = "libime-data-language-model/usr/lib/x86_64-linux-gnu/libime/zh_CN.lm"
PINYIN_SIMP = "rime-data-pinyin-simp/usr/share/rime-data/pinyin_simp.dict.yaml"


def libime_words(src):
    """word -> syllables, from the dump of libime's sc.dict (`word py'py'py cost` per line);
    the first listed reading of a word."""
    out = {}
    with open(os.path.join(src, LIBIME_SC_DUMP), encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2 and parts[0] not in out:
                out[parts[0]] = parts[1].split("'")
    return out


def libime_unigrams(src):
    """word -> log10 probability of the unigram table of libime's language model.

    The model is a KenLM binary trie (format version 5): a fixed header with the n-gram counts
    at byte 108, then the vocabulary hash and the unigram array (16-byte records: float log10
    probability, float backoff, 64-bit index of the first bigram), and at the end of the file
    the words, NUL-terminated, in the order of their indexes. The unigram array is found as the
    first place where the records hold valid values and the record after the last word points
    past the last bigram."""
    import struct
    with open(os.path.join(src, LIBIME_LM), "rb") as f:
        data = f.read()
    if not data.startswith(b"mmap lm http://kheafield.com/code format version 5\n"):
        raise SystemExit("libime language model: unexpected format")
    unigrams, bigrams = struct.unpack_from("<QQ", data, 0x6C)
    start = data.find(b"<unk>\x00")
    words = data[start:].split(b"\x00")[:unigrams]
    if len(words) != unigrams:
        raise SystemExit("libime language model: vocabulary size differs from the header")

    def valid(off, k=64):
        prev = -1
        for j in range(k):
            p, b, nx = struct.unpack_from("<ffQ", data, off + 16 * j)
            if not (-40 <= p <= 0 and -10 <= b <= 5) or nx < prev or nx > bigrams:
                return False
            prev = nx
        return prev > 0

    for off in range(0x88, start - 16 * (unigrams + 1), 4):
        if valid(off) and struct.unpack_from("<Q", data, off + 16 * unigrams + 8)[0] == bigrams:
            break
    else:
        raise SystemExit("libime language model: unigram table not found")
    out = {}
    for j, w in enumerate(words):
        out[w.decode("utf-8")] = struct.unpack_from("<f", data, off + 16 * j)[0]
    return out


class KenLMTrie:
    """The bigrams and trigrams of libime's language model, a KenLM binary file (format version 5)
    in its trie layout, read without KenLM.

    After the 136-byte header (the n-gram counts at byte 108, the model type at byte 96) come the
    sorted vocabulary hashes (8 + 8 * unigrams bytes), the quantization tables when the model is
    quantized (a 3-byte header: version 2, probability bits, backoff bits; then for the bigrams a
    table of probabilities and one of backoffs, for the trigrams one of probabilities, each
    2^bits floats), the unigram records (float log10 probability, float backoff, 64-bit index of
    the first bigram under the word; one more record closes the last range), the bigram array
    and the trigram array, and at the end of the file the words, NUL-terminated, in the order of
    their indexes. The trie is rooted at the last word of an n-gram: the bigrams under a unigram
    record are the words seen before it, the trigrams under a bigram the words seen before both.

    Both arrays are bit-packed, one record after the other: the word index (as many bits as the
    unigram count needs), then the quantized backoff and probability (a bigram) or the
    probability (a trigram), then for a bigram the index of its first trigram. With the array
    pointer compression of array-trie models (types 4 and 5) only the low bits of that index are
    stored in the record; the high bits are the position of the last entry of an offset table
    (at the bigram array's first 8-byte boundary plus 8) that is at most the bigram's own index.
    The low-bit count is chosen by the same rule that writes the file: the smallest table cost
    (64 bits an entry) less the bits saved in the records."""

    MAGIC = b"mmap lm http://kheafield.com/code format version 5\n"

    def __init__(self, data):
        import struct
        self.data = data
        if not data.startswith(self.MAGIC):
            raise SystemExit("libime language model: unexpected format")
        order = data[88]
        model_type = struct.unpack_from("<i", data, 96)[0]
        if order != 3 or model_type not in (2, 3, 4, 5):
            raise SystemExit(f"libime language model: order {order}, type {model_type} is no trigram trie")
        self.counts = struct.unpack_from("<QQQ", data, 108)
        nuni, nbi, ntri = self.counts
        start = data.find(b"<unk>\x00")
        self.words = [w.decode("utf-8") for w in data[start:].split(b"\x00")[:nuni]]
        if len(self.words) != nuni:
            raise SystemExit("libime language model: vocabulary size differs from the header")
        at = 136 + 8 + 8 * nuni
        quantized = model_type in (3, 5)
        if quantized:
            if data[at] != 2:
                raise SystemExit("libime language model: unknown quantization version")
            pbits, bbits = data[at + 1], data[at + 2]
            tables = at + 8
            self.bi_prob = struct.unpack_from(f"<{1 << pbits}f", data, tables)
            self.tri_prob = struct.unpack_from(f"<{1 << pbits}f", data, tables + 4 * ((1 << pbits) + (1 << bbits)))
            at += 8 + 4 * (2 * (1 << pbits) + (1 << bbits))
            bi_value, tri_value = pbits + bbits, pbits
        else:
            pbits, bbits = 31, 32
            bi_value, tri_value = 63, 31
        self.quantized, self.pbits, self.bbits = quantized, pbits, bbits
        self.unigrams = at
        self.bi_next = [struct.unpack_from("<Q", data, at + 16 * i + 8)[0] for i in range(nuni + 1)]
        if self.bi_next[-1] != nbi or any(a > b for a, b in zip(self.bi_next, self.bi_next[1:])):
            raise SystemExit("libime language model: unigram table not where the layout puts it")
        self.word_bits = nuni.bit_length()
        need = ntri.bit_length()
        if model_type in (4, 5):
            chop = min(range(need + 1), key=lambda c: ((ntri >> (need - c)) * 64 - (nbi + 1) * c, c))
            self.inline = need - chop
            self.offsets = (ntri >> self.inline) + 1
            pointers = 8 * (1 + self.offsets) + 7
        else:
            self.inline, self.offsets, pointers = need, 0, 0
        self.bi_bits = self.word_bits + bi_value + self.inline
        self.tri_bits = self.word_bits + tri_value
        bi_size = pointers + ((nbi + 1) * self.bi_bits + 7) // 8 + 8
        tri_size = ((ntri + 1) * self.tri_bits + 7) // 8 + 8
        # The bigram array is found from the end: the words follow the trigram array directly.
        # (The file holds padding between the unigram records and the bigram array.)
        bigrams = start - tri_size - bi_size
        if not 0 <= bigrams - (at + 16 * (nuni + 1)) < 64:
            raise SystemExit("libime language model: array sizes do not fit the file")
        if self.offsets:
            first = (bigrams + 7) // 8 * 8 + 8
            self.table = struct.unpack_from(f"<{self.offsets}Q", data, first)
            if self.table[0] != 0 or any(a > b for a, b in zip(self.table, self.table[1:])):
                raise SystemExit("libime language model: pointer table out of order")
        self.bi_base = bigrams + pointers
        self.tri_base = bigrams + bi_size

    def _field(self, base, bit, n):
        at = base + (bit >> 3)
        return (int.from_bytes(self.data[at:at + 8], "little") >> (bit & 7)) & ((1 << n) - 1)

    def _prob(self, value, table, bits):
        """log10 probability of a record's value field (quantized: its bin; else a 31-bit float
        without its sign, which is always minus)."""
        import struct
        if self.quantized:
            return table[value & ((1 << self.pbits) - 1)]
        return struct.unpack("<f", struct.pack("<I", (value & 0x7FFFFFFF) | 0x80000000))[0]

    def ngrams(self):
        """Yields (words, log10 conditional probability of the last word after the others) of
        every bigram, then of every trigram, the words in text order."""
        nuni, nbi, ntri = self.counts
        wmask = (1 << self.word_bits) - 1
        qbits = self.bi_bits - self.word_bits - self.inline
        bi_prob = [0.0] * nbi
        bi_word = [0] * nbi
        tri_next = [0] * (nbi + 1)
        high = 0
        for j in range(nbi + 1):
            while high + 1 < self.offsets and self.table[high + 1] <= j:
                high += 1
            v = self._field(self.bi_base, j * self.bi_bits, self.bi_bits)
            tri_next[j] = (high << self.inline) | (v >> (self.word_bits + qbits))
            if j < nbi:
                bi_word[j] = v & wmask
                value = v >> self.word_bits
                if self.quantized:
                    value >>= self.bbits  # the backoff comes first
                bi_prob[j] = self._prob(value, self.bi_prob, self.pbits)
        if tri_next[-1] != ntri or any(a > b for a, b in zip(tri_next, tri_next[1:])):
            raise SystemExit("libime language model: trigram pointers out of order")
        words = self.words
        owner = [0] * nbi  # the last word of each bigram
        for w in range(nuni):
            lo, hi = self.bi_next[w], self.bi_next[w + 1]
            owner[lo:hi] = [w] * (hi - lo)
            # The words under one record are sorted by index: a check that the layout was read right.
            if any(bi_word[j] >= bi_word[j + 1] for j in range(lo, hi - 1)):
                raise SystemExit("libime language model: bigram words out of order")
        for j in range(nbi):
            yield (words[bi_word[j]], words[owner[j]]), bi_prob[j]
        for j in range(nbi):
            w1, w2 = words[bi_word[j]], words[owner[j]]
            for k in range(tri_next[j], tri_next[j + 1]):
                v = self._field(self.tri_base, k * self.tri_bits, self.tri_bits)
                yield (words[v & wmask], w1, w2), self._prob(v >> self.word_bits, self.tri_prob, self.pbits)

    def unigram(self, index):
        import struct
        return struct.unpack_from("<f", self.data, self.unigrams + 16 * index)[0]


def libime_ngrams(src):
    """(words, log10 conditional probability) of every bigram and trigram of libime's language
    model (see KenLMTrie)."""
    with open(os.path.join(src, LIBIME_LM), "rb") as f:
        return KenLMTrie(f.read()).ngrams()


def libime_pairs(src):
    """(first word, next word) -> score of the prediction table of libime's language model
    (its dump, `first|next score` per line: the log10 probability the model gives the pair)."""
    out = {}
    with open(os.path.join(src, PREDICT_DUMP), encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 2 and parts[0].count("|") == 1:
                a, b = parts[0].split("|")
                out[(a, b)] = float(parts[1])
    return out


def pinyin_simp(src):
    """word -> (syllables, count) of rime's pinyin_simp dictionary (`word<TAB>py py<TAB>count`);
    of a word listed more than once, the reading with the highest count."""
    out = {}
    for parts in rime_rows(os.path.join(src, PINYIN_SIMP)):
        if len(parts) < 3 or not parts[2].isdigit():
            continue
        count = int(parts[2])
        if parts[0] not in out or count > out[parts[0]][1]:
            out[parts[0]] = (parts[1].split(), count)
    return out
