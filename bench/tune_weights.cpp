// Tunes the weights of the full-pinyin lexicon (resource 105) with the program's own conversion.
// Every clause of the development text is encoded with the text encoder (resources 101-104) and
// converted by the sentence conversion on the two-letter lexicon made from resource 105, as the
// accuracy benchmark types it. For each clause that comes out wrong, the words the conversion
// chose that are not words of the clause get heavier (worse) and the words of the clause that it
// missed get lighter (better), by a step that shrinks from round to round (perceptron updates).
// Weights stay within 101 and 999, the range of resource 105's weights (lower is better; no
// weight takes a value the lookups give a meaning of its own). A weight moves in fractions
// inside the tuner and is written as a whole number, as the tables hold it. After the last round
// the weights of the round with the best development accuracy are written, as lines
// key,word,weight for each word whose weight changed; data/scripts/build_tables.py applies them.
// A rare word that the conversion took wrongly in several clauses of a round and rightly in none
// is taken out of the lexicon (written as key,word,-): it wins the longest match over the common
// words it spells over (德行 for 的行), and no weight can stop that.
//
// Each development text is one kind of text (software messages, narrative, help pages, everyday
// sentences): a clause of a small kind moves the weights further (kindStep), and the round kept is
// the one with the best mean of the kinds' sentence accuracies, each kind counting once.
//
// Usage: tune_weights RESOURCE_DIR DEV_TEXT[,DEV_TEXT...] OUT_FILE [ROUNDS]
//   RESOURCE_DIR holds 101.txt ... 105.txt with the untuned weights (data/tune-weights makes it);
//   the development texts are UTF-8, one clause or sentence a line (a line is cut at punctuation);
//   a text named twice is read once.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "conversion_world.h"
#include "lexicon/encoder.h"
#include "lexicon/encoding_fixture.h"
#include "lexicon/utf.h"

namespace {

namespace fs = std::filesystem;
using yz::bench_support::ConversionWorld;

constexpr double kMinWeight = 101;
constexpr double kMaxWeight = 999;
// The furthest a weight moves from its untuned value: the development text is software and game
// text, and a word it never needs (他 where the text says 她) must keep its place before rare ones.
constexpr double kMaxShift = 100;
// ... and at most kShiftPerClause for each clause that moved it: one clause of the development
// text (微波 in 对微波分解滤镜的改进) must not put a word before an everyday one (微博).
constexpr double kShiftPerClause = 55;
// A word of two or more characters is taken out after kDropErrors wrong uses in one round and no
// right one, when its untuned weight is at least kDropWeight (a tenth of the count of a
// word of weight 300: common words stay whatever the text does with them).
constexpr int kDropErrors = 2;
constexpr double kDropWeight = 450;
// The most a clause of a small kind of text multiplies the step by (see kindStep).
constexpr double kMaxKindStep = 4;

struct Entry {
  std::u16string word;
  double weight = 0;
  double base = 0;
  std::vector<std::u16string> keys;  // the full-pinyin keys of resource 105 that give it this code
  bool dropped = false;               // taken out of the lexicon
  int wrongUses = 0;                  // clauses of this round where the conversion took it wrongly
  int rightUses = 0;                  // clauses of this round that hold it where it was taken or missed
  std::set<std::size_t> movedBy;      // the clauses (by index) whose errors moved its weight
};

struct Line {
  std::u16string code;
  std::vector<Entry> entries;
  std::int32_t mainIndex = 0;
  std::int32_t charIndex = 0;  // its line in the single-character lexicon; 0 when it has none
};

// The text of a weight as the tables hold it: a whole number, never a whole hundred (those are
// weights the lookups give a meaning of their own), as build_tables.py writes it.
std::u16string weightText(double w) {
  long n = std::clamp(std::lround(w), std::lround(kMinWeight), std::lround(kMaxWeight));
  if (n % 100 == 0) n += w >= static_cast<double>(n) ? 1 : -1;
  return yz::fromUtf8(std::to_string(n));
}

class TunedLexicon {
 public:
  bool load(const yz::Platform& platform, const fs::path& resources) {
    std::map<std::u16string, std::u16string> pairs;
    for (const auto& line : yz::bench_support::readGbkLines(platform, resources / "101.txt")) {
      const std::size_t comma = line.find(u',');
      if (comma != std::u16string::npos) pairs.emplace(line.substr(0, comma), line.substr(comma + 1));
    }
    std::map<std::u16string, std::map<std::u16string, Entry>> byCode;
    for (const auto& line : yz::bench_support::readGbkLines(platform, resources / "105.txt")) {
      const std::size_t comma = line.find(u',');
      if (comma == std::u16string::npos) continue;
      const std::u16string key = line.substr(0, comma);
      std::u16string code;
      bool ok = true;
      for (std::size_t at = 0; at <= key.size() && ok;) {
        std::size_t end = key.find(u'\'', at);
        if (end == std::u16string::npos) end = key.size();
        auto it = pairs.find(key.substr(at, end - at));
        ok = it != pairs.end();
        if (ok) code += it->second;
        at = end + 1;
      }
      if (!ok || code.empty()) continue;
      auto& words = byCode[code];
      const std::u16string list = line.substr(comma + 1);
      for (std::size_t at = 0; at < list.size();) {
        std::size_t sp = list.find(u' ', at);
        if (sp == std::u16string::npos) break;
        std::size_t next = list.find(u' ', sp + 1);
        if (next == std::u16string::npos) next = list.size();
        const std::u16string word = list.substr(at, sp - at);
        const double w = std::strtod(yz::toUtf8(list.substr(sp + 1, next - sp - 1)).c_str(), nullptr);
        Entry& e = words[word];
        if (e.word.empty() || w < e.weight) {
          e.word = word;
          e.weight = e.base = w;
        }
        e.keys.push_back(key);
        at = next + 1;
      }
    }
    for (auto& [code, words] : byCode) {
      Line line;
      line.code = code;
      for (auto& [word, e] : words) line.entries.push_back(std::move(e));
      lines_.push_back(std::move(line));
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) index_.emplace(lines_[i].code, i);
    return !lines_.empty();
  }

  // Fills the main and the single-character lexicon from the current weights.
  void fill(yz::LexiconTable& main, yz::LexiconTable& chars) {
    main.reset();
    chars.reset();
    for (auto& line : lines_) {
      sortLine(line);
      main.codes.push(line.code);
      main.lines.push(mainText(line));
      line.mainIndex = ++main.last;
      const std::u16string single = charText(line);
      if (line.code.size() == 2 && !single.empty()) {
        chars.codes.push(line.code);
        chars.lines.push(single);
        line.charIndex = ++chars.last;
      }
    }
  }

  // The entry of a word under a code; null when the lexicon lacks it.
  Entry* find(std::u16string_view code, std::u16string_view word) {
    auto it = index_.find(std::u16string(code));
    if (it == index_.end()) return nullptr;
    for (auto& e : lines_[it->second].entries) {
      if (e.word == word && !e.dropped) return &e;
    }
    return nullptr;
  }

  // Moves a word's weight by delta and rewrites its lines in the tables.
  // clause is the index of the clause whose error moves it.
  void adjust(std::u16string_view code, Entry& e, double delta, std::size_t clause, yz::LexiconTable& main,
              yz::LexiconTable& chars) {
    e.movedBy.insert(clause);
    const double shift = std::min(kMaxShift, kShiftPerClause * static_cast<double>(e.movedBy.size()));
    e.weight = std::clamp(e.weight + delta, std::max(kMinWeight, e.base - shift), std::min(kMaxWeight, e.base + shift));
    changed_.insert(std::u16string(code));
    Line& line = lines_[index_.at(std::u16string(code))];
    sortLine(line);
    main.lines.set(static_cast<std::size_t>(line.mainIndex), mainText(line));
    if (line.charIndex != 0) chars.lines.set(static_cast<std::size_t>(line.charIndex), charText(line));
  }

  // Takes out the rare words of this round that were only ever taken wrongly and clears the
  // counts of every word; gives the number taken out.
  std::size_t dropUnused(yz::LexiconTable& main, yz::LexiconTable& chars) {
    std::size_t n = 0;
    for (auto& line : lines_) {
      bool changed = false;
      for (auto& e : line.entries) {
        if (!e.dropped && e.word.size() >= 2 && e.base >= kDropWeight && e.wrongUses >= kDropErrors &&
            e.rightUses == 0) {
          e.dropped = changed = true;
          ++n;
        }
        e.wrongUses = e.rightUses = 0;
      }
      if (changed) {
        changed_.insert(line.code);
        main.lines.set(static_cast<std::size_t>(line.mainIndex), mainText(line));
        if (line.charIndex != 0) chars.lines.set(static_cast<std::size_t>(line.charIndex), charText(line));
      }
    }
    return n;
  }

  // Snapshot and restore of every weight and every word taken out (the best round is kept); a
  // word taken out is kept as a negative weight.
  std::vector<double> weights() const {
    std::vector<double> out;
    for (const auto& line : lines_)
      for (const auto& e : line.entries) out.push_back(e.dropped ? -1 : e.weight);
    return out;
  }
  void setWeights(const std::vector<double>& ws) {
    std::size_t k = 0;
    for (auto& line : lines_) {
      for (auto& e : line.entries) {
        e.dropped = ws[k] < 0;
        if (!e.dropped) e.weight = ws[k];
        ++k;
      }
    }
  }

  // Lines key,word,weight of every word whose weight differs from its untuned one, sorted.
  std::vector<std::string> changes() const {
    std::vector<std::string> out;
    for (const auto& line : lines_) {
      for (const auto& e : line.entries) {
        if (!e.dropped && weightText(e.weight) == weightText(e.base)) continue;
        for (const auto& key : e.keys) {
          out.push_back(yz::toUtf8(key) + "," + yz::toUtf8(e.word) + "," +
                        (e.dropped ? std::string("-") : yz::toUtf8(weightText(e.weight))));
        }
      }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
  }

 private:
  static void sortLine(Line& line) {
    std::stable_sort(line.entries.begin(), line.entries.end(), [](const Entry& a, const Entry& b) {
      const auto ta = weightText(a.weight), tb = weightText(b.weight);
      return ta != tb ? ta < tb : a.word < b.word;
    });
  }
  static std::u16string mainText(const Line& line) {
    std::u16string out;
    for (const auto& e : line.entries) {
      if (e.dropped) continue;
      if (!out.empty()) out += u' ';
      out += e.word + u' ' + weightText(e.weight);
    }
    return out;
  }
  static std::u16string charText(const Line& line) {
    std::u16string out;
    for (const auto& e : line.entries) {
      if (e.word.size() != 1 || e.dropped) continue;
      if (!out.empty()) out += u' ';
      out += e.word + u' ' + weightText(e.weight);
    }
    return out;
  }

  std::vector<Line> lines_;
  std::unordered_map<std::u16string, std::size_t> index_;
  std::set<std::u16string> changed_;
};

struct Clause {
  std::u16string text;
  std::u16string code;
  std::size_t kind = 0;  // which development text (kind of text) it comes from
};

struct Word {
  std::size_t at;  // first character
  std::u16string code;
  std::u16string text;
  bool operator<(const Word& o) const { return at != o.at ? at < o.at : text < o.text; }
};

// The clause's words with the fewest pieces that the lexicon holds under the clause's code.
std::vector<Word> goldWords(TunedLexicon& lex, const Clause& c) {
  const std::size_t n = c.text.size();
  if (c.code.size() != 2 * n) return {};
  std::vector<int> best(n + 1, 1 << 20), from(n + 1, -1);
  best[0] = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (best[i] >= (1 << 20)) continue;
    for (std::size_t len = 1; len <= std::min<std::size_t>(n - i, 12); ++len) {
      if (lex.find(std::u16string_view(c.code).substr(2 * i, 2 * len), std::u16string_view(c.text).substr(i, len)) &&
          best[i] + 1 < best[i + len]) {
        best[i + len] = best[i] + 1;
        from[i + len] = static_cast<int>(i);
      }
    }
  }
  if (from[n] < 0) return {};
  std::vector<Word> out;
  for (std::size_t j = n; j > 0; j = static_cast<std::size_t>(from[j])) {
    const std::size_t i = static_cast<std::size_t>(from[j]);
    out.push_back({i, c.code.substr(2 * i, 2 * (j - i)), c.text.substr(i, j - i)});
  }
  std::reverse(out.begin(), out.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: tune_weights RESOURCE_DIR DEV_TEXT OUT_FILE [ROUNDS]\n");
    return 2;
  }
  const fs::path resources = argv[1];
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 8;

  yz::testing_support::EncodingWorld encoding;
  encoding.sim.resourceDir = resources;
  if (!yz::loadAnnotationTables(encoding.sim, encoding.lex).ok() ||
      !yz::testing_support::loadSyllablesFromResource101(encoding.sim, encoding.lex.syllablesByPinyin)) {
    std::fprintf(stderr, "tune_weights: resources 101-104 not found in %s\n", argv[1]);
    return 1;
  }
  std::vector<Clause> clauses;
  std::vector<std::string> kinds;  // the development texts, each once: one kind of text each
  for (std::string list = argv[2]; !list.empty();) {
    const std::size_t comma = list.find(',');
    const std::string path = list.substr(0, comma);
    list = comma == std::string::npos ? "" : list.substr(comma + 1);
    if (std::find(kinds.begin(), kinds.end(), path) != kinds.end()) continue;
    kinds.push_back(path);
    std::ifstream in(path);
    for (std::string raw; std::getline(in, raw);) {
      std::u16string piece;
      for (char16_t ch : yz::fromUtf8(raw) + u"。") {
        if (ch >= 0x4E00 && ch <= 0x9FFF) {
          piece += ch;
          continue;
        }
        if (!piece.empty()) {
          Clause c{piece, {}, kinds.size() - 1};
          std::u16string pinyin;
          yz::citcbmma(encoding.ctx(), c.text, c.code, pinyin);
          clauses.push_back(std::move(c));
        }
        piece.clear();
      }
    }
  }
  // Each kind's clauses move the weights by kindStep times the step: the square root of the share a
  // kind would have if the kinds were alike in size over the share it has, at least 1 and at most
  // kMaxKindStep (53,115 clauses of software messages would otherwise decide every near-tie of the
  // few thousand everyday ones: 简称 for 建成).
  std::vector<std::size_t> kindClauses(kinds.size());
  for (const Clause& c : clauses) ++kindClauses[c.kind];
  std::vector<double> kindStep(kinds.size(), 1.0);
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    if (kindClauses[k] == 0) continue;
    const double share = static_cast<double>(clauses.size()) / static_cast<double>(kinds.size() * kindClauses[k]);
    kindStep[k] = std::clamp(std::sqrt(share), 1.0, kMaxKindStep);
    std::printf("%s: %zu clauses, step x%.2f\n", kinds[k].c_str(), kindClauses[k], kindStep[k]);
  }
  auto world = std::make_unique<ConversionWorld>();
  TunedLexicon lex;
  if (!lex.load(world->sim, resources) || clauses.empty()) {
    std::fprintf(stderr, "tune_weights: no lexicon or no text\n");
    return 1;
  }
  lex.fill(world->lex.mainLexicon, world->lex.charLexicon);

  // Sentence and character accuracy of each kind; a round's value is their mean, each kind
  // counting once whatever its size.
  struct Score {
    std::vector<std::size_t> n, right, chars, rightChars;
    explicit Score(std::size_t kinds) : n(kinds), right(kinds), chars(kinds), rightChars(kinds) {}
    double sentences() const { return mean(right, n); }
    double characters() const { return mean(rightChars, chars); }
    double value() const { return sentences() + 1e-3 * characters(); }
    static double mean(const std::vector<std::size_t>& a, const std::vector<std::size_t>& b) {
      double sum = 0;
      std::size_t k = 0;
      for (std::size_t i = 0; i < a.size(); ++i) {
        if (b[i] == 0) continue;
        sum += static_cast<double>(a[i]) / static_cast<double>(b[i]);
        ++k;
      }
      return k ? sum / static_cast<double>(k) : 0;
    }
  };
  // Converts every clause with the current weights; with a step, updates the weights of the
  // words of each wrong clause as it goes.
  auto pass = [&](double step) {
    Score s(kinds.size());
    for (const Clause& c : clauses) {
      const auto clauseIndex = static_cast<std::size_t>(&c - clauses.data());
      const std::u16string got = world->convert(c.code);
      ++s.n[c.kind];
      s.chars[c.kind] += c.text.size();
      for (std::size_t i = 0; i < c.text.size() && i < got.size(); ++i) s.rightChars[c.kind] += c.text[i] == got[i];
      const double clauseStep = step * kindStep[c.kind];
      if (got == c.text) {
        ++s.right[c.kind];
        if (step == 0) continue;
        for (std::int32_t r = 1; r <= world->conv.wordCounter && r <= yz::kMaxSentenceWords; ++r) {
          const auto& row = world->conv.wordTable[static_cast<std::size_t>(r)];
          if (Entry* e = lex.find(row.code, row.text)) ++e->rightUses;
        }
        continue;
      }
      if (step == 0) continue;
      const std::vector<Word> gold = goldWords(lex, c);
      if (gold.empty()) continue;
      std::vector<Word> said;
      std::size_t at = 0;
      for (std::int32_t r = 1; r <= world->conv.wordCounter && r <= yz::kMaxSentenceWords; ++r) {
        const auto& row = world->conv.wordTable[static_cast<std::size_t>(r)];
        said.push_back({at, row.code, row.text});
        at += row.text.size();
      }
      const std::set<Word> goldSet(gold.begin(), gold.end()), saidSet(said.begin(), said.end());
      for (const Word& w : said) {
        Entry* e = lex.find(w.code, w.text);
        if (!e) continue;
        if (goldSet.count(w)) {
          ++e->rightUses;
          continue;
        }
        ++e->wrongUses;
        lex.adjust(w.code, *e, clauseStep, clauseIndex, world->lex.mainLexicon, world->lex.charLexicon);
      }
      for (const Word& w : gold) {
        if (saidSet.count(w)) continue;
        Entry* e = lex.find(w.code, w.text);
        if (!e) continue;
        ++e->rightUses;
        lex.adjust(w.code, *e, -clauseStep, clauseIndex, world->lex.mainLexicon, world->lex.charLexicon);
      }
    }
    return s;
  };

  std::vector<double> best;
  double bestScore = -1;
  int bestRound = 0;
  for (int round = 0;; ++round) {
    const auto started = std::chrono::steady_clock::now();
    const Score s = pass(0);
    std::printf("after round %d: sentence accuracy %.4f, character accuracy %.4f (mean of the kinds;", round,
                s.sentences(), s.characters());
    for (std::size_t k = 0; k < kinds.size(); ++k)
      std::printf(" %.4f", s.n[k] ? static_cast<double>(s.right[k]) / static_cast<double>(s.n[k]) : 0.0);
    std::printf(")");
    if (s.value() > bestScore) {
      bestScore = s.value();
      bestRound = round;
      best = lex.weights();
    }
    if (round == rounds) {
      std::printf("\n");
      break;
    }
    const double step = 24.0 / (1 + 0.5 * round);  // shrinks from round to round
    pass(step);
    const std::size_t dropped = lex.dropUnused(world->lex.mainLexicon, world->lex.charLexicon);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("; round %d with step %.1f, %zu rare words taken out (%.1f s)\n", round + 1, step, dropped, secs);
    std::fflush(stdout);
  }
  lex.setWeights(best);
  const std::vector<std::string> lines = lex.changes();
  std::ofstream out(argv[3], std::ios::binary);
  out << "# Tuned weights of resource 105 (key,word,weight), written by bench/tune_weights (data/tune-weights)\n"
         "# from the untuned tables and the development texts: the weights after round "
      << bestRound << " of " << rounds << ".\n";
  for (const auto& line : lines) out << line << "\n";
  std::printf("kept round %d; %zu tuned weights written\n", bestRound, lines.size());
  return 0;
}
