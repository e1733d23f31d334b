#pragma once
// A small lexicon, stand-in lookups over it, scripted web hit counts and a sim platform: enough
// to run the sentence conversion without the whole application.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "conversion/sentence.h"
#include "conversion/text_steps.h"
#include "platform/sim/sim_platform.h"
#include "../support/make_table.h"

namespace yz::testing_support {

// Exact-code lookups over the three lexicons of a LexiconState: the user line wins, then the main
// line, then the single-character line. Records every code the code lookup is asked.
class TableLookups final : public ConversionLookups {
 public:
  explicit TableLookups(LexiconState& lex) : lex_(lex) {}

  void hzirvck(std::u16string_view code, std::u16string& cnir, float& zicipn) override {
    LookupCells& c = lex_.cells;
    const std::u16string str4(code);
    asked.push_back(str4);
    c.mainHitIndex = c.userHitIndex = c.charHitIndex = 0;
    c.wordCandidates.clear();
    c.mainHitIndex = find(lex_.mainLexicon, str4);
    c.userHitIndex = find(lex_.userLexicon, str4);
    c.charHitIndex = str4.size() <= 3 ? find(lex_.charLexicon, str4) : 0;
    std::u16string_view line;
    if (c.userHitIndex) {
      line = lex_.userLexicon.lines[c.userHitIndex];
      c.wordCandidates = std::u16string(line);
    } else if (c.mainHitIndex) {
      line = lex_.mainLexicon.lines[c.mainHitIndex];
    } else if (c.charHitIndex) {
      line = lex_.charLexicon.lines[c.charHitIndex];
    }
    firstPair(line, cnir, zicipn);
  }
  std::u16string ybci(std::u16string_view strx) override {
    hzirvck(std::u16string(strx), lex_.cells.lookupWord, lex_.cells.zicipn);
    return lex_.cells.lookupWord;
  }
  std::u16string ybcib(std::u16string_view strx) override {
    LookupCells& c = lex_.cells;
    if (strx.empty()) return {};
    hzirvck(std::u16string(strx), c.cnir3, c.zicipn);
    if (c.cnir3.empty()) return {};
    std::u16string r;
    if (strx.size() < 4 && c.charHitIndex) r = lex_.charLexicon.lines[c.charHitIndex];
    if (strx.size() >= 4 && c.mainHitIndex) r = lex_.mainLexicon.lines[c.mainHitIndex];
    if (strx.size() < 3 && c.mainHitIndex) r = lex_.mainLexicon.lines[c.mainHitIndex];
    if (c.userHitIndex) r = lex_.userLexicon.lines[c.userHitIndex];
    return r;
  }
  void hziryhck(std::u16string str4, std::u16string& cnir, std::int32_t& k12) override {
    LookupCells& c = lex_.cells;
    c.wordCandidates.clear();
    const std::int32_t i = find(lex_.userLexicon, str4);
    c.userHitIndex = i;
    k12 = i;
    float w = kWeightNotFound;
    std::u16string word;
    firstPair(i ? lex_.userLexicon.lines[i] : std::u16string_view{}, word, w);
    cnir = i ? std::u16string(lex_.userLexicon.lines[i]) : std::u16string();
    c.zicipn = w;
  }
  void hzirdzck(std::u16string str4, std::u16string& cnir, float& zicipn) override {
    LookupCells& c = lex_.cells;
    std::int32_t i = find(lex_.charLexicon, str4);
    if (!i && str4.size() == 2) {
      i = find(lex_.charLexicon, str4.substr(0, 1));
      zicipn = kWeightFirstLetter;
    }
    c.charHitIndex = i;
    c.lastFoundIndex = 0;
    const float before = zicipn;
    firstPair(i ? lex_.charLexicon.lines[i] : std::u16string_view{}, cnir, zicipn);
    if (before == kWeightFirstLetter && i) zicipn = kWeightFirstLetter;
  }

  std::vector<std::u16string> asked;

 private:
  static std::int32_t find(const LexiconTable& t, std::u16string_view code) {
    std::int32_t lo = 1, hi = t.last;
    while (lo <= hi) {
      const std::int32_t mid = (lo + hi) / 2;
      const std::u16string_view c = t.codes[mid];
      if (c == code) return mid;
      if (code < c) hi = mid - 1; else lo = mid + 1;
    }
    return 0;
  }
  static void firstPair(std::u16string_view line, std::u16string& word, float& weight) {
    if (line.empty()) {
      word.clear();
      weight = kWeightNotFound;
      return;
    }
    const std::size_t sp = line.find(u' ');
    word = std::u16string(line.substr(0, sp));
    weight = kWeightNotFound;
    if (sp != std::u16string_view::npos) {
      std::u16string_view rest = line.substr(sp + 1);
      weight = conversion_text::weightValue(rest.substr(0, rest.find(u' ')));
    }
  }
  LexiconState& lex_;
};

// Scripted hit counts; every request pumps messages as a real request does while it waits.
class ScriptedWeb final : public WebServices {
 public:
  ScriptedWeb(Platform& platform, WebCells& cells) : platform_(platform), cells_(cells) {}
  float xymaypu(std::u16string_view strx) override {
    asked.emplace_back(strx);
    platform_.doEvents();
    return count(strx);
  }
  float xymaypu1(std::u16string_view strx1, std::u16string_view strx2) override {
    asked.push_back(std::u16string(strx1) + u"+" + std::u16string(strx2));
    platform_.doEvents();
    cells_.xymayp0 = count(std::u16string(strx1) + std::u16string(strx2));
    cells_.xymayp1 = count(strx1);
    cells_.xymayp2 = count(strx2);
    cells_.xymayp3 = 0;
    return cells_.xymayp1 + cells_.xymayp2;
  }
  void yuu() override {}
  void yuuqp() override {}

  std::map<std::u16string, float, std::less<>> hits;
  float unknown = 0;  // the count of a phrase not in `hits`; -1 = no answer
  std::vector<std::u16string> asked;

 private:
  float count(std::u16string_view s) const {
    auto it = hits.find(s);
    return it == hits.end() ? unknown : it->second;
  }
  Platform& platform_;
  WebCells& cells_;
};

// A table of the entries in code order.
inline LexiconTable table(std::vector<std::pair<std::u16string, std::u16string>> entries) {
  std::sort(entries.begin(), entries.end());
  return testing_support::makeTable(entries);
}

// The state records of one conversion, on a fresh sim platform.
class ConversionTest : public ::testing::Test {
 protected:
  ConversionTest() { settings.ilmvj = true; }

  void setLexicons(std::vector<std::pair<std::u16string, std::u16string>> mainEntries,
                   std::vector<std::pair<std::u16string, std::u16string>> charEntries = {},
                   std::vector<std::pair<std::u16string, std::u16string>> userEntries = {}) {
    lex.mainLexicon = table(std::move(mainEntries));
    lex.charLexicon = table(std::move(charEntries));
    lex.userLexicon = table(std::move(userEntries));
  }

  // Converts a whole code from an erased table, as the input pass does for a fresh code line.
  std::u16string convert(std::u16string code, std::u16string* endList = nullptr) {
    win.boxes.rtext1.text = code;
    conv.eraseWordTable();
    conv.wordCounter = 0;
    conv.j0 = 1;
    conv.qmhbir = 0;
    conv.hzixb.clear();
    std::u16string sentence, endzf;
    engine.sentence.fjyi(code, sentence, endzf);
    if (endList) *endList = endzf;
    return sentence;
  }

  SimPlatform sim;
  Settings settings;
  LexiconState lex;
  ConversionState conv;
  CompositionState comp;
  PassState pass;
  WindowState win;
  RaceState race;
  WebCells webCells;
  TableLookups lookups{lex};
  ScriptedWeb web{sim, webCells};
  ConversionEngine engine{
      ConversionContext{settings, lex, conv, comp, pass, win, race, webCells, sim, web, lookups}};
};

}  // namespace yz::testing_support
