"""Phrases of the development texts for resource 105.

The sentence conversion takes the longest word it finds and pays dearly for every single
character, so a run of words that text uses again and again (的文件, 可以在, 您可以) converts
right only when the lexicon holds it whole. This cuts every clause of the development texts into
words (the most probable cutting by jieba's word counts) and collects every run of MIN_LEN to
MAX_LEN characters that starts and ends at a cut in at least MIN_CLAUSES clauses (称已经, which
text holds inside 声称已经, would win the longest match over 线程 in 这个线程已经). Two characters
that the cutting leaves alone side by side and that the counts lack as a word are a word of the
text too (韦诺, a name of a story) when at least MIN_PAIR_CLAUSES clauses hold them. The MAX_PHRASES
most frequent are written to data/tuning/phrases.txt, lines `phrase,clauses`, most frequent
first; build_tables.py adds each phrase that is not a word already, with a count of its clauses
times PHRASE_SCALE. The test text is never read.

Usage: phrases.py OUT_FILE WORKDIR DEV_TEXT [DEV_TEXT...]
  WORKDIR: the unpacked sources, as `data/make-tables --keep WORKDIR` leaves them.
"""
import collections
import math
import re
import sys

import sources

MIN_LEN = 3
MAX_LEN = 8
MIN_CLAUSES = 2
MIN_PAIR_CLAUSES = 3  # clauses that must hold a two-character phrase
MAX_PHRASES = 160000  # the most frequent ones: a bound on the size of the lexicon image
MAX_WORD = 8  # the longest word the cutting looks for
HAN_RUN = re.compile(r"[\u3400-\u9fff]+")


def cuts(run, logp, unknown):
    """Where the most probable cutting of `run` into words puts its cuts (0 and len(run) too)."""
    n = len(run)
    best = [0.0] + [-math.inf] * n
    back = [0] * (n + 1)
    for i in range(n):
        if best[i] == -math.inf:
            continue
        for j in range(i + 1, min(n, i + MAX_WORD) + 1):
            p = logp.get(run[i:j])
            if p is None:
                if j > i + 1:
                    continue
                p = unknown
            if best[i] + p > best[j]:
                best[j] = best[i] + p
                back[j] = i
    out = {n}
    j = n
    while j > 0:
        j = back[j]
        out.add(j)
    return out


def word_logp(work):
    """The natural log probability of every word of jieba's counts, and the one a character that
    the counts lack gets: what cuts() weighs a cutting by."""
    counts = sources.jieba(work)
    total = float(sum(counts.values()))
    logp = {w: math.log(c / total) for w, c in counts.items() if c > 0}
    return logp, math.log(0.5 / total)


def main():
    out, work, texts = sys.argv[1], sys.argv[2], sys.argv[3:]
    logp, unknown = word_logp(work)
    clauses = collections.Counter()
    for path in texts:
        with open(path, encoding="utf-8") as f:
            for line in f:
                for run in HAN_RUN.findall(line):
                    at = cuts(run, logp, unknown)
                    held = set()
                    for i in sorted(at):
                        for n in range(MIN_LEN, MAX_LEN + 1):
                            if i + n in at:
                                held.add(run[i:i + n])
                        if i + 1 in at and i + 2 in at and run[i:i + 2] not in logp:
                            held.add(run[i:i + 2])
                    clauses.update(held)
    kept = sorted((p for p, c in clauses.items() if c >= (MIN_PAIR_CLAUSES if len(p) == 2 else MIN_CLAUSES)),
                  key=lambda p: (-clauses[p], p))[:MAX_PHRASES]
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write("# phrase,clauses of the development texts holding it between word cuts (made by phrases.py)\n")
        for p in kept:
            f.write(f"{p},{clauses[p]}\n")
    print(f"{len(kept)} phrases held by at least {MIN_CLAUSES} clauses ({MIN_PAIR_CLAUSES} for two characters)")


if __name__ == "__main__":
    main()
