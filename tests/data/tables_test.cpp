// Checks the committed built-in tables: every line parses in its format, tables that are
// binary-searched are in comparison order, and the layout columns agree with an independent
// layout source (the cross-check fixture made by data/make-tables).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"

namespace {

namespace fs = std::filesystem;

fs::path dataDir() {
  const char* dir = std::getenv("YZ_DATA_DIR");
  return dir ? fs::path(dir) : fs::path("data");
}

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Splits at CR LF; the text after the last CR LF is the last piece (possibly empty).
std::vector<std::u16string> splitCrLf(const std::u16string& text) {
  std::vector<std::u16string> pieces;
  size_t start = 0;
  for (;;) {
    size_t pos = text.find(u"\r\n", start);
    if (pos == std::u16string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, pos - start));
    start = pos + 2;
  }
}

std::vector<std::u16string> split(const std::u16string& text, char16_t sep) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  for (;;) {
    size_t pos = text.find(sep, start);
    if (pos == std::u16string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, pos - start));
    start = pos + 1;
  }
}

bool allOf(const std::u16string& s, char16_t lo, char16_t hi) {
  if (s.empty()) return false;
  for (char16_t c : s)
    if (c < lo || c > hi) return false;
  return true;
}
bool lowerLetters(const std::u16string& s) { return allOf(s, u'a', u'z'); }
bool digits(const std::u16string& s) { return allOf(s, u'0', u'9'); }
bool isHan(char16_t c) { return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || c == 0x3007; }

std::string narrow(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

class TablesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sim_ = new yz::SimPlatform;
    sim_->resourceDir = dataDir() / "resources";
    // Syllable -> 自然双拼 code from resource 101 (its first and last pieces are padding).
    auto pieces = splitCrLf(resource(101));
    for (size_t i = 1; i + 1 < pieces.size(); ++i) {
      auto f = split(pieces[i], u',');
      if (f.size() == 2) syllables_[f[0]] = f[1];
    }
  }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }

  static std::u16string resource(int id) {
    auto bytes = sim_->resource(id);
    EXPECT_TRUE(bytes.has_value()) << "resource " << id;
    return bytes ? sim_->fromGbk(*bytes) : std::u16string();
  }
  static std::u16string file(const std::string& name) {
    return sim_->fromGbk(readBytes(dataDir() / "内置文件" / name));
  }
  static std::string gbk(const std::u16string& text) { return sim_->toGbk(text); }

  // Index of a character in a per-character table.
  static int charIndex(char16_t ch) {
    std::string b = gbk(std::u16string(1, ch));
    if (b.size() != 2) return -1;
    return 65536 - (static_cast<unsigned char>(b[0]) * 256 + static_cast<unsigned char>(b[1]));
  }

  static yz::SimPlatform* sim_;
  static std::map<std::u16string, std::u16string> syllables_;
};

yz::SimPlatform* TablesTest::sim_ = nullptr;
std::map<std::u16string, std::u16string> TablesTest::syllables_;

TEST_F(TablesTest, Resource101IsTheSyllableTableInPinyinOrder) {
  auto pieces = splitCrLf(resource(101));
  ASSERT_GE(pieces.size(), 4u);
  ASSERT_LE(pieces.size() - 2, 501u);
  // The first piece repeats the second behind a byte-order mark; the last repeats the data's last
  // line and ends in a NUL.
  EXPECT_EQ(pieces[1], u"a,aa");
  EXPECT_EQ(pieces.back(), pieces[pieces.size() - 2] + u'\0');
  for (size_t i = 1; i + 1 < pieces.size(); ++i) {
    auto f = split(pieces[i], u',');
    ASSERT_EQ(f.size(), 2u) << "line " << i;
    EXPECT_TRUE(lowerLetters(f[0]) && lowerLetters(f[1]) && f[1].size() == 2) << narrow(pieces[i]);
    if (i > 1) {
      EXPECT_LT(pieces[i - 1].substr(0, pieces[i - 1].find(u',')), f[0]) << narrow(f[0]);
    }
  }
  EXPECT_EQ(syllables_.size(), pieces.size() - 2);
  EXPECT_EQ(syllables_[u"zhuang"], u"vd");
  EXPECT_EQ(syllables_[u"lve"], u"lt");
  EXPECT_EQ(syllables_[u"lue"], u"lt");
  std::set<std::u16string> byVd, byLt;
  for (auto& [syl, code] : syllables_) {
    if (code == u"vd") byVd.insert(syl);
    if (code == u"lt") byLt.insert(syl);
  }
  EXPECT_EQ(byVd, (std::set<std::u16string>{u"zhuang"}));
  EXPECT_EQ(byLt, (std::set<std::u16string>{u"lue", u"lve"}));
}

TEST_F(TablesTest, MasterSyllableFileAgreesWithResource101AndTheCrossCheck) {
  auto lines = splitCrLf(file("全拼-小鹤-自然-国标.txt"));
  ASSERT_TRUE(lines.back().empty());
  lines.pop_back();
  ASSERT_LE(lines.size(), 501u);
  // The first line repeats the second: the readers of the pair files start at the second.
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], lines[1]);
  lines.erase(lines.begin());
  EXPECT_EQ(lines.size(), syllables_.size());
  std::map<std::u16string, std::u16string> xiaohe, ziran;
  std::u16string previous;
  for (auto& line : lines) {
    auto f = split(line, u',');
    ASSERT_EQ(f.size(), 4u) << narrow(line);
    EXPECT_LT(previous, f[0]);
    previous = f[0];
    EXPECT_EQ(f[2], syllables_[f[0]]) << narrow(line);
    EXPECT_TRUE(lowerLetters(f[1]) && f[1].size() == 2) << narrow(line);
    xiaohe[f[0]] = f[1];
    ziran[f[0]] = f[2];
  }
  // Cross-check: every syllable that both the fixture and the master have.
  std::ifstream in(fs::path(TEST_DATA_DIR) / "layout_crosscheck.txt");
  ASSERT_TRUE(in) << "layout_crosscheck.txt";
  std::string raw;
  std::map<std::string, int> compared;
  while (std::getline(in, raw)) {
    if (raw.empty() || raw[0] == '#') continue;
    std::u16string line(raw.begin(), raw.end());  // ASCII
    auto f = split(line, u',');
    ASSERT_EQ(f.size(), 3u) << raw;
    auto& ours = f[0] == u"ziran" ? ziran : xiaohe;
    auto it = ours.find(f[1]);
    if (it == ours.end()) continue;
    auto accepted = split(f[2], u' ');
    EXPECT_NE(std::find(accepted.begin(), accepted.end(), it->second), accepted.end())
        << narrow(f[0]) << " " << narrow(f[1]) << " gives " << narrow(it->second);
    ++compared[narrow(f[0])];
  }
  EXPECT_GT(compared["ziran"], 400);
  EXPECT_GT(compared["xiaohe"], 400);
}

TEST_F(TablesTest, Resource102HasOneLinePerSlotAndValidRanges) {
  auto pieces = splitCrLf(resource(102));
  ASSERT_EQ(pieces.size(), 32768u);
  EXPECT_EQ(pieces.back(), std::u16string(1, u'\0'));
  auto polyphones = splitCrLf(resource(103));
  int info = 0;
  for (size_t n = 1; n < pieces.size(); ++n) {
    const auto& line = pieces[n - 1];
    if (line == u"$***") continue;
    auto f = split(line, u',');
    ASSERT_TRUE(f.size() == 7 || f.size() == 17) << "line " << n;
    ++info;
    EXPECT_TRUE(f[0] == u"$" || f[0] == u"#") << "line " << n;
    ASSERT_TRUE(syllables_.count(f[5])) << "line " << n << ": " << narrow(f[5]);
    EXPECT_EQ(f[1], syllables_[f[5]]) << "line " << n;
    ASSERT_EQ(f[6].size(), 1u) << "line " << n;
    EXPECT_EQ(charIndex(f[6][0]), static_cast<int>(n)) << "line " << n;
    EXPECT_EQ(f[0] == u"#", f.size() == 17) << "line " << n;
    for (size_t k = 7; k + 1 < f.size(); k += 2) {
      // ", first, last": one blank after each comma; 1, 1 means no words of that length.
      ASSERT_TRUE(f[k].size() > 1 && f[k][0] == u' ' && digits(f[k].substr(1))) << "line " << n;
      size_t first = std::stoul(narrow(f[k].substr(1))), last = std::stoul(narrow(f[k + 1].substr(1)));
      if (first == 1 && last == 1) continue;
      size_t length = 2 + (k - 7) / 2;
      ASSERT_LE(first, last);
      ASSERT_LT(last, polyphones.size());
      for (size_t i = first; i <= last; ++i) {
        std::u16string word = polyphones[i - 1].substr(0, polyphones[i - 1].find(u','));
        EXPECT_EQ(word.size(), length) << "line " << n << " range line " << i;
        EXPECT_NE(word.find(f[6][0]), std::u16string::npos) << "line " << n << " range line " << i;
      }
    }
  }
  EXPECT_GT(info, 20800);
  EXPECT_EQ(pieces[20319 - 1].substr(0, 7), u"$,aa,*,");
  EXPECT_EQ(split(pieces[20319 - 1], u',')[5], u"a");
  EXPECT_EQ(split(pieces[20319 - 1], u',')[6], u"啊");
}

TEST_F(TablesTest, Resource103SectionsHoldWordsWithReadings) {
  auto pieces = splitCrLf(resource(103));
  ASSERT_LE(pieces.size() - 1, 120185u);
  EXPECT_EQ(pieces.back(), std::u16string(1, u'\0'));
  std::u16string open;
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    auto f = split(pieces[i], u',');
    ASSERT_EQ(f.size(), 2u) << "line " << i + 1;
    if (f[1] == u"开始" || f[1] == u"结束") {
      ASSERT_EQ(f[0].size(), 1u);
      EXPECT_EQ(open.empty(), f[1] == u"开始") << "line " << i + 1;
      open = f[1] == u"开始" ? f[0] : u"";
      continue;
    }
    ASSERT_FALSE(open.empty()) << "word outside a section, line " << i + 1;
    auto tail = split(f[1], u'\'');
    ASSERT_EQ(tail.size(), 2u) << "line " << i + 1;
    EXPECT_TRUE(digits(tail[1])) << "line " << i + 1;
    if (tail[0].empty()) continue;
    auto readings = split(tail[0], u'/');
    size_t occurrences = std::count(f[0].begin(), f[0].end(), open[0]);
    EXPECT_EQ(readings.size(), occurrences) << "line " << i + 1;
    for (auto& r : readings) EXPECT_TRUE(syllables_.count(r)) << "line " << i + 1;
  }
  EXPECT_TRUE(open.empty());
}

TEST_F(TablesTest, Resource104IsCommonTwoCharacterWords) {
  auto pieces = splitCrLf(resource(104));
  ASSERT_GT(pieces.size(), 1000u);
  ASSERT_LE(pieces.size(), 1107u);
  for (auto& w : pieces) EXPECT_TRUE(w.size() == 2 && isHan(w[0]) && isHan(w[1])) << narrow(w);
}

TEST_F(TablesTest, Resource105IsTheSortedPinyinLexiconAndMatchesTheFile) {
  auto bytes = sim_->resource(105);
  ASSERT_TRUE(bytes.has_value());
  ASSERT_FALSE(bytes->empty());
  EXPECT_EQ(bytes->back(), '\0');
  EXPECT_EQ(bytes->substr(0, bytes->size() - 1), readBytes(dataDir() / "内置文件" / "默认词库.txt"));
  auto pieces = splitCrLf(sim_->fromGbk(*bytes));
  ASSERT_GT(pieces.size(), 100000u);
  std::u16string previous;
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    const auto& line = pieces[i];
    size_t comma = line.find(u',');
    ASSERT_NE(comma, std::u16string::npos) << "line " << i + 1;
    std::u16string key = line.substr(0, comma);
    ASSERT_LT(previous, key) << "line " << i + 1;
    previous = key;
    auto syllables = split(key, u'\'');
    for (auto& s : syllables) ASSERT_TRUE(syllables_.count(s)) << "line " << i + 1;
    auto list = split(line.substr(comma + 1), u' ');
    ASSERT_EQ(list.size() % 2, 0u) << "line " << i + 1;
    std::u16string lastWeight;
    for (size_t k = 0; k < list.size(); k += 2) {
      EXPECT_EQ(list[k].size(), syllables.size()) << "line " << i + 1;
      const auto& w = list[k + 1];
      // Three digits, no whole hundred: those are weights the lookups give a meaning of their own.
      ASSERT_TRUE(w.size() == 3 && digits(w) && w[0] != u'0' && w.substr(1) != u"00") << "line " << i + 1;
      EXPECT_LE(lastWeight, w) << "line " << i + 1;
      lastWeight = w;
    }
  }
}

// The program folder's race text is the first clauses of the held-out software and narrative test
// texts that the analyzer races whole (2 to 25 characters), five a line joined by "，" and ended
// by "。": the two texts interleaved, each in its own order, none of their clauses skipped.
TEST_F(TablesTest, RaceTextIsTheTestTextsFirstClauses) {
  auto raced = [&](const char* name) {
    std::vector<std::u16string> clauses;
    std::istringstream text(readBytes(dataDir() / ".." / "bench" / "data" / "texts" / name));
    for (std::string line; std::getline(text, line);) {
      auto clause = yz::fromUtf8(line);
      if (clause.size() >= 2 && clause.size() <= 25) clauses.push_back(clause);
    }
    return clauses;
  };
  const std::vector<std::u16string> texts[] = {raced("software.test.txt"), raced("narrative.test.txt")};
  ASSERT_FALSE(texts[0].empty());
  ASSERT_FALSE(texts[1].empty());
  auto lines = splitCrLf(sim_->fromGbk(readBytes(dataDir() / "赛文资料" / "两码整句赛文.txt")));
  ASSERT_TRUE(lines.back().empty());
  lines.pop_back();
  size_t next[2] = {0, 0}, characters = 0, lastSize = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    ASSERT_FALSE(lines[i].empty()) << "line " << i + 1;
    ASSERT_EQ(lines[i].back(), u'。') << "line " << i + 1;
    auto pieces = split(lines[i].substr(0, lines[i].size() - 1), u'，');
    EXPECT_TRUE(pieces.size() == 5 || (i + 1 == lines.size() && pieces.size() < 5)) << "line " << i + 1;
    for (const auto& piece : pieces) {
      // The piece is the next clause of one of the texts (a clause is in one text only).
      const int from = next[0] < texts[0].size() && texts[0][next[0]] == piece ? 0 : 1;
      ASSERT_LT(next[from], texts[from].size()) << "line " << i + 1;
      ASSERT_EQ(piece, texts[from][next[from]]) << "line " << i + 1;
      ++next[from];
      characters += piece.size();
      lastSize = piece.size();
    }
  }
  EXPECT_GT(next[0], 0u);
  EXPECT_GT(next[1], 0u);
  EXPECT_GE(characters, 2000u);
  EXPECT_LT(characters - lastSize, 2000u);  // no clause beyond the 2000th character
}

// Chinese text in UTF-8 read as GBK: characters whose two GBK bytes are a UTF-8 lead byte of a
// CJK character or punctuation mark and a continuation byte outside GB2312 (銆 from 。, 鍏 from
// 公), or a word of three or more characters whose GBK bytes are whole UTF-8 text of such
// characters.
bool utf8Lead(unsigned char c) { return c == 0xE2 || c == 0xE3 || (c >= 0xE4 && c <= 0xE9) || c == 0xEF; }

bool utf8Run(const std::string& b) {
  for (size_t i = 0; i < b.size(); i += 3) {
    if (!utf8Lead(static_cast<unsigned char>(b[i]))) return false;
    for (size_t k = 1; k <= 2 && i + k < b.size(); ++k)
      if ((static_cast<unsigned char>(b[i + k]) & 0xC0) != 0x80) return false;
  }
  return true;
}

class EncodingAccidentTest : public TablesTest {
 protected:
  static bool accident(const std::u16string& word) {
    const std::string b = gbk(word);
    if (b.size() != 2 * word.size()) return false;  // not double-byte text
    for (size_t i = 0; i < b.size(); i += 2) {
      const unsigned char lead = static_cast<unsigned char>(b[i]), trail = static_cast<unsigned char>(b[i + 1]);
      if (utf8Lead(lead) && trail >= 0x80 && trail <= 0xA0) return true;
    }
    return word.size() >= 3 && b.size() % 3 == 0 && utf8Run(b);
  }
};

TEST_F(EncodingAccidentTest, TheCheckKnowsTheAccidentsAndSparesRealWords) {
  EXPECT_TRUE(accident(u"銆"));
  EXPECT_TRUE(accident(u"鍏"));
  EXPECT_TRUE(accident(u"鍏司"));
  // 你好 in UTF-8 read as GBK: 浣犲ソ, three characters that are nothing but UTF-8 bytes.
  EXPECT_TRUE(accident(sim_->fromGbk("\xe4\xbd\xa0\xe5\xa5\xbd")));
  for (const char16_t* real : {u"末", u"没", u"涓", u"涓涓", u"猕猴", u"公司", u"微信", u"你好"}) EXPECT_FALSE(accident(real));
}

TEST_F(EncodingAccidentTest, NoWordTableHoldsOne) {
  std::vector<std::pair<std::string, std::u16string>> found;
  auto check = [&](const std::string& table, const std::u16string& word) {
    if (!word.empty() && accident(word)) found.emplace_back(table, word);
  };
  for (const auto& line : splitCrLf(resource(105))) {
    const size_t comma = line.find(u',');
    if (comma == std::u16string::npos) continue;
    auto list = split(line.substr(comma + 1), u' ');
    for (size_t k = 0; k < list.size(); k += 2) check("105", list[k]);
  }
  for (const auto& line : splitCrLf(resource(103))) check("103", line.substr(0, line.find(u',')));
  for (const auto& line : splitCrLf(resource(104))) check("104", line);
  EXPECT_TRUE(found.empty()) << found.size() << " words, the first in resource " << (found.empty() ? "" : found[0].first);
}

struct CodeFileCase {
  const char* name;
  bool codeFirst;   // CharCodeLine (code,character) or AuxCodeLine (character,code)
  size_t maxCode;   // longest code
  int minChars;     // characters the file must cover
};
// A case shows as its file's name, so the test's name is the same in every run.
void PrintTo(const CodeFileCase& c, std::ostream* os) { *os << c.name; }

class CodeFileTest : public TablesTest, public ::testing::WithParamInterface<CodeFileCase> {};

TEST_P(CodeFileTest, EveryLineIsACodeAndOneCharacter) {
  const auto& c = GetParam();
  auto lines = splitCrLf(file(c.name));
  ASSERT_TRUE(lines.back().empty()) << c.name;
  lines.pop_back();
  std::set<char16_t> chars;
  for (size_t i = 0; i < lines.size(); ++i) {
    auto f = split(lines[i], u',');
    ASSERT_EQ(f.size(), 2u) << c.name << " line " << i + 1;
    const auto& code = c.codeFirst ? f[0] : f[1];
    const auto& ch = c.codeFirst ? f[1] : f[0];
    ASSERT_EQ(ch.size(), 1u) << c.name << " line " << i + 1;
    EXPECT_GT(charIndex(ch[0]), 128) << c.name << " line " << i + 1;
    EXPECT_TRUE(lowerLetters(code) && code.size() <= c.maxCode) << c.name << " line " << i + 1;
    chars.insert(ch[0]);
  }
  EXPECT_GE(static_cast<int>(chars.size()), c.minChars) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, CodeFileTest,
    ::testing::Values(CodeFileCase{"单字全码五笔86.txt", true, 4, 20924},
                      CodeFileCase{"单字全码五笔98.txt", true, 4, 20924},
                      CodeFileCase{"单字全码郑码.txt", true, 4, 20900},
                      CodeFileCase{"单字全码砚舟鹤形数.txt", true, 2, 20800},
                      CodeFileCase{"单字全码默认.txt", true, 2, 20800},
                      CodeFileCase{"自然码辅助码.txt", false, 2, 6700},
                      CodeFileCase{"笔画辅助码.txt", false, 2, 20924},
                      CodeFileCase{"偏旁辅助码.txt", false, 1, 20800}));

}  // namespace
