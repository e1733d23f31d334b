"""The language model's most likely reading of a code, for resource 105: general phrases that the
development texts need not hold.

The sentence conversion has no context model, and a single character costs it dearly, so a
single character beside a word is decided by the characters' counts alone (带伞 comes out as 带三,
打一个 as 大意个). libime's language model knows which words follow which in general text. Each
of its bigrams and trigrams of MIN_LEN to MAX_LEN Han characters (GBK) with a log10 probability
of at least JOINT_MIN (the first word's unigram probability plus the conditional ones) is a
candidate for the pinyin its words read; of the candidates and the words of resource 105 that the
model knows that read the same, only the most probable stays, and only when it leads the next by
MARGIN (one reading of a code, the one the model is sure of). A phrase must end in a word of two
or more characters: one that ends in a single character (的一, 项目不) wins the longest match over
the word that follows it in other text. Phrases that resource 105 holds already are left out, and
so are those whose code the development texts write otherwise more often than as the phrase (the
model's 称已经 against the texts' 进程已经, its 是绘画 against their 是会话; 称已经 inside
名称已经 does not count for it): the texts are the user's kind of writing, the model's counts are
general.

Then the program decides, as in lm_phrases.py: every candidate is typed alone through the App
(bench/accuracy) with the tables without them, and only those that come out wrong are kept (the
others already convert). The tables are built with the kept ones and every development text is
typed: a phrase that appears in what the App wrote for a line gone wrong is dropped unless it
appears in more lines set right, until none is (at most ROUNDS times). Phrases that no
development line holds stay: the development parts judge them as a whole, line by line, against
the tables without them (printed). The kept phrases are written to data/tuning/lm-readings.txt,
lines `phrase,log10 probability`; build_tables.py adds them as it does lm-phrases.txt. The test
texts are never read.

Usage: lm_readings.py OUT_FILE WORKDIR BUILD_DIR DEV_TEXT [DEV_TEXT...]
  WORKDIR: the unpacked sources, as `data/make-tables --keep WORKDIR` leaves them;
  BUILD_DIR: a Release build folder of this tree (targets vexim-lexgen and accuracy);
  DEV_TEXT: development texts, UTF-8, one sentence a line.
"""
import collections
import os
import re
import sys
import tempfile

import build_tables as bt
import sources
from lm_phrases import Trial, joint_probability, write_phrases
from phrases import cuts, word_logp

JOINT_MIN = -8.0  # log10 probability of the whole phrase
MIN_LEN = 2
MAX_LEN = 7
MARGIN = 0.3  # log10: the lead of the most probable reading of a code over the next
ROUNDS = 3
CHECK_PARTS = 7  # accuracy processes that type the candidates at once
HAN_WORD = re.compile(r"[\u3400-\u9fff]+")
NAME = "lm-readings.txt"

here = os.path.dirname(os.path.abspath(__file__))
data = os.path.dirname(here)


def model_phrases(work):
    """phrase -> (log10 probability, words) of the model's bigrams and trigrams of Han words that
    join to MIN_LEN to MAX_LEN characters, at least JOINT_MIN likely (the best of a phrase that
    two cuttings give)."""
    with open(os.path.join(work, sources.LIBIME_LM), "rb") as f:
        lm = sources.KenLMTrie(f.read())
    uni = {w: lm.unigram(i) for i, w in enumerate(lm.words)}
    pair = {}
    out = {}
    for words, p in lm.ngrams():
        joint = joint_probability(words, p, uni, pair)
        if joint is None:
            continue
        if joint < JOINT_MIN or not all(HAN_WORD.fullmatch(w) for w in words):
            continue
        phrase = "".join(words)
        if MIN_LEN <= len(phrase) <= MAX_LEN and joint > out.get(phrase, (-99.0,))[0]:
            out[phrase] = (joint, words)
    return uni, out


def candidates(work, have_by_key, have):
    """phrase -> log10 probability of the phrases that are the one sure reading of their code."""
    uni, phrases = model_phrases(work)
    words = sources.pinyin_pro(work)
    readings = bt.Readings(work, words)
    lists = bt.WordLists(work, words, sources.jieba(work))
    cache = {}

    def reading(word):
        if word not in cache:
            r = lists.reading(word, readings)
            cache[word] = r if r and bt.word_reading_ok(word, r) else None
        return cache[word]

    by_key = collections.defaultdict(list)
    for phrase, (joint, ws) in phrases.items():
        if not bt.in_gbk(phrase):
            continue
        pys = [reading(w) for w in ws]
        if all(pys):
            by_key["'".join(p for r in pys for p in r)].append((joint, phrase, len(ws[-1]) >= 2))
    for key, ws in have_by_key.items():
        for w in ws:
            if w in uni and w not in phrases:
                by_key[key].append((uni[w], w, False))
    out = {}
    for cands in by_key.values():
        cands.sort(reverse=True)
        joint, phrase, ends_in_word = cands[0]
        second = cands[1][0] if len(cands) > 1 else -99.0
        if ends_in_word and phrase not in have and joint - second >= MARGIN:
            out[phrase] = joint
    codes = {phrase: key for key, cands in by_key.items() for _, phrase, _ in cands if phrase in out}
    return out, codes, readings.default


def text_readings(codes, texts, char_reading, work):
    """The phrases of CODES (phrase -> code) whose code the development texts hold more often as
    other characters than as the phrase standing at a cut between words (each run of Han
    characters read by its characters' default readings and cut as phrases.py cuts it): 称已经
    inside 名称已经 is no sign of the phrase, 程已经 inside 进程已经 is one against it."""
    by_code = {code: phrase for phrase, code in codes.items()}
    logp, unknown = word_logp(work)
    own, other = collections.Counter(), collections.Counter()
    for path in texts:
        with open(path, encoding="utf-8") as f:
            for line in f:
                for run in HAN_WORD.findall(line):
                    pys = [char_reading.get(ch) for ch in run]
                    at = None
                    for i in range(len(run)):
                        for n in range(MIN_LEN, min(MAX_LEN, len(run) - i) + 1):
                            if not pys[i + n - 1]:
                                break
                            phrase = by_code.get("'".join(pys[i:i + n]))
                            if phrase is None:
                                continue
                            if run[i:i + n] != phrase:
                                other[phrase] += 1
                                continue
                            at = at or cuts(run, logp, unknown)
                            if i in at:
                                own[phrase] += 1
    return {p for p in codes if other[p] > own[p]}


def lexicon_keys(path):
    """key -> words of a resource 105 file."""
    with open(path, "rb") as f:
        text = f.read().rstrip(b"\0").decode("gbk")
    out = {}
    for line in text.split("\r\n"):
        key, _, rest = line.partition(",")
        out[key] = rest.split()[0::2]
    return out


def appearing(phrases, lines):
    """phrase -> how many of LINES (texts with the words spaced) hold it."""
    out = collections.Counter()
    for line in lines:
        s = line.replace(" ", "")
        seen = set()
        for i in range(len(s)):
            for n in range(MIN_LEN, min(MAX_LEN, len(s) - i) + 1):
                if s[i:i + n] in phrases:
                    seen.add(s[i:i + n])
        out.update(seen)
    return out


def main():
    out, work, build, texts = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    by_key = lexicon_keys(os.path.join(data, "resources", "105.txt"))
    have = {w for ws in by_key.values() for w in ws}
    have -= {p for p, _ in bt.tuning_lines(data, NAME, 2)}
    cands, codes, char_reading = candidates(work, by_key, have)
    print(f"{len(cands)} sure readings of the language model")
    written_otherwise = text_readings(codes, texts, char_reading, work)
    cands = {p: s for p, s in cands.items() if p not in written_otherwise}
    print(f"{len(written_otherwise)} of them the development texts write otherwise: {len(cands)} left")
    with tempfile.TemporaryDirectory() as tmp:
        trial = Trial(work, build, texts, tmp)
        order = sorted(cands)
        parts = []
        for k in range(CHECK_PARTS):
            part = os.path.join(tmp, f"readings-{k}.txt")
            with open(part, "w", encoding="utf-8") as f:
                f.writelines(p + "\n" for p in order[k::CHECK_PARTS])
            parts.append(part)
        wrong = trial.wrong({}, NAME, parts + trial.parts)
        kept = {p: s for p, s in cands.items() if p in wrong}
        before = {line: got for line, got in wrong.items() if line not in cands}
        print(f"{len(kept)} come out wrong typed alone; without them: {len(before)} development lines wrong")
        for _ in range(ROUNDS):
            after = trial.wrong(kept, NAME)
            fixed = [line for line in before if line not in after]
            broke = [after[line] for line in after if line not in before]
            print(f"{len(kept)} kept: {len(after)} lines wrong ({len(fixed)} fixed, {len(broke)} broken)")
            gains, losses = appearing(kept, fixed), appearing(kept, broke)
            drop = {p for p in losses if losses[p] >= gains[p]}
            if not drop:
                break
            kept = {p: s for p, s in kept.items() if p not in drop}
    write_phrases(out, kept, "lm_readings.py")
    print(f"{len(kept)} phrases written")


if __name__ == "__main__":
    main()
