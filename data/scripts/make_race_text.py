"""Makes the race text of the program folder (赛文资料/两码整句赛文.txt) from held-out test texts.

usage: make_race_text.py OUTFILE TEST_TEXT [TEST_TEXT...]

The test texts are bench/data/texts/software.test.txt and narrative.test.txt (one clause a line,
UTF-8; made by make_texts.py from openly licensed message catalogues, see bench/data/TEXTS.md).
The tuning of the lexicon weights never reads them, so a race on them measures the conversion on
text it was not tuned on. Their clauses are taken as one text in the order of the MD5 digests of
their UTF-8 text (the order each file is written in, so the texts interleave: messages and game
texts mixed); those of at most 25 characters (the longest piece the analyzer races) are taken
until they hold at least CHARACTERS characters; five clauses make a line, joined by "，" and
ended by "。". The file is written in GBK with CR LF line ends, as the program reads it, and is
the same on every run.
"""
import hashlib
import sys

CHARACTERS = 2000
LONGEST = 25
PER_LINE = 5


def race_lines(clauses):
    taken = []
    total = 0
    for clause in clauses:
        if total >= CHARACTERS:
            break
        if 2 <= len(clause) <= LONGEST:
            taken.append(clause)
            total += len(clause)
    return ["，".join(taken[i:i + PER_LINE]) + "。" for i in range(0, len(taken), PER_LINE)], total


def main():
    out, sources = sys.argv[1], sys.argv[2:]
    clauses = []
    for source in sources:
        with open(source, encoding="utf-8") as f:
            clauses += [line.strip() for line in f if line.strip()]
    clauses.sort(key=lambda c: hashlib.md5(c.encode("utf-8")).hexdigest())
    lines, total = race_lines(clauses)
    with open(out, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("gbk"))
    print(f"{out}: {len(lines)} lines, {total} characters")


if __name__ == "__main__":
    main()
