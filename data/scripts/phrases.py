"""Phrases of the development texts for resource 105.

The sentence conversion takes the longest word it finds and pays dearly for every single
character, so a run of words that text uses again and again (的文件, 可以在, 您可以) converts
right only when the lexicon holds it whole. This collects every run of MIN_LEN to MAX_LEN
characters that at least MIN_CLAUSES clauses of the development texts hold (the MAX_PHRASES
most frequent) and writes
data/tuning/phrases.txt, lines `phrase,clauses`, most frequent first; build_tables.py adds each
phrase that is not a word already, with a count of its clauses times PHRASE_SCALE. The test text
is never read.

Usage: phrases.py OUT_FILE DEV_TEXT [DEV_TEXT...]
"""
import collections
import re
import sys

MIN_LEN = 3
MAX_LEN = 6
MIN_CLAUSES = 4
MAX_PHRASES = 26000  # the most frequent ones: the lexicon image grows by about a sixth
HAN_RUN = re.compile(r"[\u3400-\u9fff]+")


def main():
    out, texts = sys.argv[1], sys.argv[2:]
    clauses = collections.Counter()
    for path in texts:
        with open(path, encoding="utf-8") as f:
            for line in f:
                for run in HAN_RUN.findall(line):
                    held = set()
                    for n in range(MIN_LEN, min(MAX_LEN, len(run)) + 1):
                        held.update(run[i:i + n] for i in range(len(run) - n + 1))
                    clauses.update(held)
    kept = sorted((p for p, c in clauses.items() if c >= MIN_CLAUSES),
                  key=lambda p: (-clauses[p], p))[:MAX_PHRASES]
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write("# phrase,clauses of the development texts holding it (made by phrases.py)\n")
        for p in kept:
            f.write(f"{p},{clauses[p]}\n")
    print(f"{len(kept)} phrases held by at least {MIN_CLAUSES} clauses")


if __name__ == "__main__":
    main()
