"""Makes the race text of the program folder (赛文资料/两码整句赛文.txt) from the held-out test text.

usage: make_race_text.py TEST_TEXT OUTFILE

TEST_TEXT is bench/data/test_text.txt (one clause a line, UTF-8; made by make_texts.py from
openly licensed message catalogues, see bench/data/TEXTS.md). The tuning of the lexicon weights
never reads it, so a race on it measures the conversion on text it was not tuned on. The clauses
of at most 25 characters (the longest piece the analyzer races) are taken in the file's order
until they hold at least CHARACTERS characters; five clauses make a line, joined by "，" and
ended by "。". The file is written in GBK with CR LF line ends, as the program reads it, and is
the same on every run.
"""
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
    source, out = sys.argv[1:3]
    with open(source, encoding="utf-8") as f:
        clauses = [line.strip() for line in f if line.strip()]
    lines, total = race_lines(clauses)
    with open(out, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("gbk"))
    print(f"{out}: {len(lines)} lines, {total} characters")


if __name__ == "__main__":
    main()
