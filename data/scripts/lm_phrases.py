"""Phrases of libime's language model for resource 105, chosen by what they do to the program's
own conversion of the development texts.

The sentence conversion has no context model: the phrases of the lexicon are its context. The
language model knows which words follow which in general text (机器 -> 学习), far beyond the
development texts. Candidates are its bigrams and trigrams whose last word follows the others
with a log10 probability of at least MIN_COND, whose words join to MIN_LEN to MAX_LEN Han
characters (GBK) that resource 105 does not hold yet, and that a development text holds (a
phrase no development clause holds cannot show what it fixes). Each gets the log10 probability
of the whole phrase (the first word's unigram probability plus the conditional ones).

Then the program decides: the tables are built with the candidates, every development text is
typed through the App (bench/accuracy) and compared line by line with the tables without them.
A candidate is kept when a line that was wrong comes out right with it and it appears in no line
that comes out wrong where it was right before. The kept ones are tried again alone, and a
phrase that now appears in a line gone wrong, or no longer in a line set right, is dropped,
until none is (at most ROUNDS times; a line gone wrong that no kept phrase appears in is
printed). With the committed settings the last round left no development line wrong that was
right before. The kept phrases are written to data/tuning/lm-phrases.txt, lines
`phrase,log10 probability`; build_tables.py adds each that is not a word already. The test
texts are never read.

Usage: lm_phrases.py OUT_FILE WORKDIR BUILD_DIR DEV_TEXT [DEV_TEXT...]
  WORKDIR: the unpacked sources, as `data/make-tables --keep WORKDIR` leaves them;
  BUILD_DIR: a Release build folder of this tree (targets vexim-lexgen and accuracy);
  DEV_TEXT: development texts, UTF-8, one sentence a line.
"""
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile

import sources
from build_tables import in_gbk, tuning_lines

MIN_COND = -1.0  # log10 probability of the last word after the others (one in ten)
MIN_LEN = 3
MAX_LEN = 8
ROUNDS = 4
JOBS = 3  # accuracy processes at once
MAX_MASS = 1.05  # the most the quantized probabilities after one history may sum to
HAN_RUN = re.compile(r"[\u3400-\u9fff]+")

here = os.path.dirname(os.path.abspath(__file__))
data = os.path.dirname(here)


def lexicon_words(path):
    """Every word of a resource 105 file (GBK lines `key,word weight word weight ...`)."""
    with open(path, "rb") as f:
        text = f.read().rstrip(b"\0").decode("gbk")
    out = set()
    for line in text.split("\r\n"):
        _, _, rest = line.partition(",")
        out.update(rest.split()[0::2])
    return out


def text_pieces(texts):
    """Every run of 2 to MAX_LEN Han characters of the texts (the first two words of a trigram
    join to two characters or more)."""
    out = set()
    for path in texts:
        with open(path, encoding="utf-8") as f:
            for run in HAN_RUN.findall(f.read()):
                for i in range(len(run)):
                    for n in range(2, min(MAX_LEN, len(run) - i) + 1):
                        out.add(run[i:i + n])
    return out


def joint_probability(words, p, uni, pair):
    """log10 probability of a whole bigram or trigram of the model whose last conditional
    probability is P: the first word's unigram (UNI) and the conditional ones; a bigram is recorded
    in PAIR, a trigram whose bigram PAIR lacks gives None."""
    if len(words) == 2:
        pair[words] = p
        return uni.get(words[0], -99.0) + p
    if words[:2] in pair:
        return uni.get(words[0], -99.0) + pair[words[:2]] + p
    return None


def candidates(work, have, pieces):
    """phrase -> log10 probability of the language model's likely word runs that the texts hold."""
    with open(os.path.join(work, sources.LIBIME_LM), "rb") as f:
        lm = sources.KenLMTrie(f.read())
    uni = {w: lm.unigram(i) for i, w in enumerate(lm.words)}
    # The unigram table where the layout puts it is the one the other reader finds by its values.
    if uni != sources.libime_unigrams(work):
        raise SystemExit("libime language model: the two readers disagree on the unigrams")
    pair = {}  # the bigrams the texts hold: (w1, w2) -> log10 P(w2 | w1)
    out = {}
    mass = collections.defaultdict(float)  # history -> probability its n-grams give the next word
    for words, p in lm.ngrams():
        mass[words[:-1]] += 10 ** p
        phrase = "".join(words)
        if phrase not in pieces:
            continue
        joint = joint_probability(words, p, uni, pair)
        if joint is None:
            continue
        if p < MIN_COND or len(phrase) < MIN_LEN or phrase in have or not in_gbk(phrase):
            continue
        if not all(HAN_RUN.fullmatch(w) for w in words):
            continue
        out[phrase] = max(out.get(phrase, -99.0), joint)
    # The words after one history share a probability of at most one (the bins round a little):
    # a record read from the wrong bits breaks that.
    if max(mass.values()) > MAX_MASS:
        raise SystemExit("libime language model: the probabilities after one history sum to more than one")
    return out


class Trial:
    """Builds the tables with a set of phrases and types the development texts through the App."""

    def __init__(self, work, build, texts, tmp):
        self.work, self.build, self.tmp = work, build, tmp
        self.parts = []  # (text, part file): each text cut into JOBS parts typed at once
        for t, path in enumerate(texts):
            with open(path, encoding="utf-8") as f:
                lines = [line for line in f if line.strip()]
            step = (len(lines) + JOBS - 1) // JOBS
            for k in range(JOBS):
                part = os.path.join(tmp, f"text{t}-{k}.txt")
                with open(part, "w", encoding="utf-8") as f:
                    f.writelines(lines[k * step:(k + 1) * step])
                self.parts.append(part)

    def wrong(self, phrases, name="lm-phrases.txt", texts=None):
        """line -> what the App wrote, for every line that comes out wrong, with the tables built
        with PHRASES as data/tuning/NAME (the other tuning files as committed); TEXTS: the files
        typed (the development parts by default)."""
        out = os.path.join(self.tmp, "data")
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(os.path.join(out, "tuning"))
        for other in os.listdir(os.path.join(data, "tuning")):
            shutil.copy(os.path.join(data, "tuning", other), os.path.join(out, "tuning", other))
        write_phrases(os.path.join(out, "tuning", name), phrases)
        subprocess.run([sys.executable, os.path.join(here, "build_tables.py"), self.work, out,
                        os.path.join(self.tmp, "testdata")], check=True, stdout=subprocess.DEVNULL)
        program = os.path.join(self.tmp, "program")
        shutil.rmtree(program, ignore_errors=True)
        os.makedirs(os.path.join(program, "用户diy文件"))
        shutil.copytree(os.path.join(data, "内置文件"), os.path.join(program, "内置文件"))
        shutil.copytree(os.path.join(out, "内置文件"), os.path.join(program, "内置文件"), dirs_exist_ok=True)
        subprocess.run([os.path.join(self.build, "src/main/vexim-lexgen"), program,
                        os.path.join(out, "resources")], check=True, stdout=subprocess.DEVNULL)
        env = dict(os.environ, YZ_DATA_DIR=out, TMPDIR=self.tmp)
        # Each run writes to a file of its own: runs that wrote to pipes read one after the other
        # would wait on each other.
        runs = []
        for k, part in enumerate(texts or self.parts):
            with open(os.path.join(self.tmp, f"typed-{k}.txt"), "w", encoding="utf-8") as log:
                runs.append((subprocess.Popen([os.path.join(self.build, "bench/accuracy"), program, part],
                                              env=env, stdout=log), log.name))
        wrong = {}
        for run, log in runs:
            if run.wait() != 0:
                raise SystemExit("accuracy failed")
            with open(log, encoding="utf-8") as f:
                lines = f.read().splitlines()
            for a, b in zip(lines, lines[1:]):
                if b.startswith("  -> ") and a.startswith("  ") and not a.startswith("  -> "):
                    wrong[a[2:]] = b[5:]
        return wrong


def write_phrases(path, phrases, maker="lm_phrases.py"):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(f"# phrase,log10 probability of libime's language model (made by {maker})\n")
        for p in sorted(phrases, key=lambda p: (-phrases[p], p)):
            f.write(f"{p},{phrases[p]:.3f}\n")


def main():
    out, work, build, texts = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    # What resource 105 holds without the phrases chosen last time (they are candidates again).
    have = lexicon_words(os.path.join(data, "resources", "105.txt"))
    have -= {p for p, _ in tuning_lines(data, "lm-phrases.txt", 2)}
    have.update(p for p, _ in tuning_lines(data, "phrases.txt", 2))
    cands = candidates(work, have, text_pieces(texts))
    print(f"{len(cands)} candidates of the language model held by the development texts")
    with tempfile.TemporaryDirectory() as tmp:
        trial = Trial(work, build, texts, tmp)
        before = trial.wrong({})
        print(f"without them: {len(before)} lines wrong")
        after = trial.wrong(cands)
        fixed = [line for line in before if line not in after]
        broke = [after[line] for line in after if line not in before]
        print(f"with all: {len(after)} lines wrong ({len(fixed)} fixed, {len(broke)} broken)")
        kept = {p: s for p, s in cands.items()
                if any(p in line for line in fixed) and not any(p in got for got in broke)}
        for _ in range(ROUNDS):
            after = trial.wrong(kept)
            broke = [after[line] for line in after if line not in before]
            fixed = [line for line in before if line not in after]
            print(f"{len(kept)} kept: {len(after)} lines wrong ({len(fixed)} fixed, {len(broke)} broken)")
            drop = {p for p in kept if any(p in got for got in broke) or not any(p in line for line in fixed)}
            if not drop:
                # A line gone wrong that no kept phrase appears in is shown, not blamed on a phrase.
                for line in after:
                    if line not in before:
                        print(f"  went wrong: {line} -> {after[line]}")
                break
            kept = {p: s for p, s in kept.items() if p not in drop}
    write_phrases(out, kept)
    print(f"{len(kept)} phrases written")


if __name__ == "__main__":
    main()
