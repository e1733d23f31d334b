#pragma once
// A small lexicon world for the code lookup: about 40 main lines, 10 user lines, 20 single-character
// lines and an auxiliary-code table, with the settings, mode cells and code boxes the lookup reads.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/gbk.h"
#include "lexicon/lookup.h"
#include "lexicon/user_lookup.h"
#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"

namespace yz::lookup_testing {

struct Entry {
  std::u16string_view code;
  std::u16string_view line;
};

inline const std::vector<Entry> kMainLines = {
    {u"aa", u"啊 090 阿 200"},
    {u"ai", u"爱 100 哀 200"},
    {u"ba", u"八 100 把 150"},
    {u"bafa", u"办法 080 八发 300"},
    {u"bafaji", u"办法集 120"},
    {u"bafajm", u"办法界 700"},  // holds the cloud mark " 7"
    {u"bafaui", u"办法是 100"},
    {u"bafy", u"八分 200"},
    {u"buui", u"不是 060"},
    {u"ceui", u"测试 050"},
    {u"dajx", u"大家 050"},
    {u"dajxhf", u"大家好 060"},
    {u"dede", u"得得 300"},
    {u"dk", u"都 100"},
    {u"gego", u"各国 090"},
    {u"gsui", u"公司 040"},
    {u"hfde", u"好的 040"},
    {u"hfxx", u"好像 080"},
    {u"jiji", u"积极 060"},
    {u"jnui", u"就是 030"},
    {u"keyi", u"可以 030"},
    {u"lmdk", u"两都 300"},
    {u"mwyz", u"没有 040"},
    {u"rfmn", u"人民 050"},
    {u"uix", u"石 100"},  // a code of odd length: never searched
    {u"uiui", u"事实 070 时时 200"},
    {u"vsgo", u"中国 050 种果 300"},
    {u"vsgorf", u"中国人 040"},
    {u"vshw", u"中华 060"},
    {u"vshwrf", u"中华人 070 众华人 300"},
    {u"vswf", u"中文 060"},
    {u"wode", u"我的 020"},
    {u"womf", u"我们 030"},
    {u"xmzd", u"小组 090"},
    {u"yiji", u"一级 080"},
    {u"zlvs", u"在中 300"},
    {u"zzzy", u"最最 100"},
};

inline const std::vector<Entry> kUserLines = {
    {u"aaaa", u"啊啊 085"},
    {u"ba", u"吧 090"},
    {u"bafa", u"拔伐 085"},
    {u"dajxhfde", u"大家好的 070"},
    {u"gego", u"个 050"},
    {u"hfxx", u"*# 085"},  // a deleted word
    {u"s", u"所 090"},
    {u"vsk", u"中科 085"},
    {u"wo", u"窝 095"},
    {u"zzzz", u"咋咋 085"},
};

inline const std::vector<Entry> kCharLines = {
    {u"a", u"啊 100 阿 200"},   {u"aa", u"啊 100 阿 200"}, {u"b", u"不 100 把 200"},
    {u"ba", u"八 100 吧 300"},  {u"baf", u"拔 150"},       {u"baj", u"把 150"},
    {u"bu", u"不 100 部 200"},  {u"d", u"的 100 大 200"},  {u"da", u"大 100 打 200"},
    {u"de", u"的 100 得 200"},  {u"vsh", u"终 150"},       {u"ge", u"个 100 各 200"},
    {u"go", u"国 100 过 200"},  {u"hf", u"好 100 号 200"}, {u"jn", u"就 100 旧 200"},
    {u"rf", u"人 100 认 200"},  {u"s", u"是 100 上 200"},  {u"ui", u"是 100 时 200"},
    {u"vs", u"中 100 种 200"},  {u"wo", u"我 100 握 200"},
};

struct AuxEntry {
  char16_t ch;
  std::u16string_view letters;
};

// 中 has three letters (first z, third and last d), 国 three (first w, last i).
inline const std::vector<AuxEntry> kAuxCodes = {
    {u'中', u"zkd"}, {u'国', u"wyi"}, {u'种', u"h"}, {u'果', u"m"},  {u'华', u"x"},
    {u'人', u"r"},   {u'众', u"q"},   {u'大', u"d"}, {u'家', u"j"},  {u'好', u"r"},
    {u'办', u"l"},   {u'法', u"s"},   {u'科', u"k"}, {u'文', u"e"},
};

enum class Mode { TwoCode, Mixed, TopCode, WordMode, ThreeCode };  // 纯两码 混输 顶功 字词 纯三码

inline std::string u8(std::u16string_view s) { return toUtf8(s); }

inline void fillTable(LexiconTable& t, std::vector<Entry> entries) {
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.code < b.code; });
  t.reset();
  for (const Entry& e : entries) {
    t.codes.push(e.code);
    t.lines.push(e.line);
  }
  t.last = static_cast<std::int32_t>(entries.size());
}

// What one lookup leaves behind, with hit indexes shown as the codes of the lines they point at
// ("-" for none).
struct Outcome {
  std::string word;
  float weight = 0;
  std::string mainHit, userHit, charHit;
  std::string slot0, candidates, endzf0, sysyff;
};

class LookupWorld : public ::testing::Test {
 protected:
  LookupWorld()
      : gbk(sim),
        user(lex, settings, comp, pass, win, race),
        lookup(lex, settings, comp, conv, pass, win, race, gbk, sim, user) {
    fillTable(lex.mainLexicon, kMainLines);
    fillTable(lex.userLexicon, kUserLines);
    fillTable(lex.charLexicon, kCharLines);
    for (const AuxEntry& a : kAuxCodes) lex.charAuxCodes.set(gbk.charIndex(a.ch), a.letters);
    settings.zrhx.borderStyle = 1;  // 自然双拼: the lookups take the code as given
  }

  void setMode(Mode m) {
    settings.ilmvj = m == Mode::TwoCode;
    settings.huvj = m == Mode::Mixed;
    settings.dgvj = m == Mode::TopCode;
    settings.izcmu = m == Mode::WordMode;
    settings.smvj = m == Mode::ThreeCode;
  }

  // Types a code: the code box and the code line both hold it.
  void type(std::u16string_view code) {
    win.boxes.Text1.text = code;
    win.boxes.rtext1.text = code;
  }

  static std::string hitCode(const LexiconTable& t, std::int32_t i) {
    if (i <= 0 || i > t.last) return "-";
    return u8(t.codes[static_cast<std::size_t>(i)]);
  }

  // Runs the lookup as its usual callers do (into lookupWord and zicipn) and collects the cells.
  Outcome look(std::u16string_view code) {
    lookup.ybci(code);
    return outcome();
  }

  Outcome outcome() const {
    const LookupCells& c = lex.cells;
    Outcome o;
    o.word = u8(c.lookupWord);
    o.weight = c.zicipn;
    o.mainHit = c.mainHitIndex == lex.commandSlot() ? u8(lex.commandCode) : hitCode(lex.mainLexicon, c.mainHitIndex);
    o.userHit = hitCode(lex.userLexicon, c.userHitIndex);
    o.charHit = hitCode(lex.charLexicon, c.charHitIndex);
    o.slot0 = u8(lex.mainLexicon.lines[0]);
    o.candidates = u8(c.wordCandidates);
    o.endzf0 = u8(c.endzf0);
    o.sysyff = u8(pass.sysyff);
    return o;
  }

  SimPlatform sim;
  GbkTable gbk;
  Settings settings;
  CompositionState comp;
  ConversionState conv;
  PassState pass;
  WindowState win;
  RaceState race;
  LexiconState lex;
  UserLookup user;
  CodeLookup lookup;
};

}  // namespace yz::lookup_testing
