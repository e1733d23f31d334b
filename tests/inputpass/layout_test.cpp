// The layout table from a pair file, the translation of a typed code onto 自然双拼, and the
// built-in 小鹤双拼 layout from the master syllable file.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "inputpass/layout_normalize.h"
#include "lexbuild/layout_table.h"
#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

std::filesystem::path dataDir() {
  const char* dir = std::getenv("YZ_DATA_DIR");
  return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path("data");
}

TEST(LayoutTable, SptospFillsPairAndLoneKeyCells) {
  LayoutTable t;
  t.cells[3][3] = u"stale";
  // zm,zh; ab then ac (the lone key of a ends with the last); a one-key code; bad records.
  EXPECT_EQ(sptosp(u"zm,zh\r\nab,xa\r\nac,ya\r\na,aa\r\n,bb\r\n1b,cc\r\nqq,q\r\nqw,我们\r\n", t), 4);
  EXPECT_EQ(t.at(u'z', u'm'), u"zh");
  EXPECT_EQ(t.at(u'z', 0), u"z");
  EXPECT_EQ(t.at(u'a', u'b'), u"xa");
  EXPECT_EQ(t.at(u'a', u'c'), u"ya");
  EXPECT_EQ(t.at(u'a', u'a'), u"aa");
  EXPECT_EQ(t.at(u'a', 0), u"a");  // the one-key record came last
  EXPECT_EQ(t.at(u'q', u'q'), u"");
  EXPECT_EQ(t.at(u'q', u'w'), u"");
  EXPECT_EQ(t.at(u'd', u'd'), u"");  // emptied before the load
  EXPECT_EQ(t.cells[25][26], u"");   // the unused column
  EXPECT_EQ(sptosp(u"", t), 0);
  EXPECT_EQ(t.at(u'z', u'm'), u"");
}

TEST(LayoutTable, TranslatesPairsLoneKeysAndKeepsTheRest) {
  LayoutTable t;
  sptosp(u"bd,bl\r\nhc,hk\r\nuu,uu\r\nvd,vl\r\n", t);
  struct Case {
    std::u16string typed, ziran;
  };
  const std::vector<Case> cases = {
      {u"bdhc", u"blhk"},      // two pairs
      {u"bdh", u"blh"},        // a lone key through its first letter
      {u"bdxx", u"blxx"},      // a pair the layout does not list
      {u"bd, hc", u"bl, hk"},  // marks and blanks stay, the pairs around them translate
      {u"bdh,vd", u"blh,vl"},  // a lone key before a mark does not shift what follows
      {u"bd3", u"bl3"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(translateLayoutCode(t, c.typed), c.ziran) << toUtf8(c.typed);
}

// Every 小鹤双拼 pair of the built-in master file maps onto the 自然双拼 code of the same syllable,
// and every filled cell of the table holds a 自然双拼 code of the master file.
TEST(LayoutTable, BuiltInXiaoheMapsOntoZiranCodes) {
  const auto master = dataDir() / std::filesystem::path(u8"内置文件/全拼-小鹤-自然-国标.txt");
  std::ifstream in(master, std::ios::binary);
  if (!in) GTEST_SKIP() << "no master file under " << dataDir();
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  SimPlatform codec;
  const std::u16string text = codec.fromGbk(bytes);
  std::u16string pairFile;
  std::set<std::u16string> ziranCodes;
  std::vector<std::pair<std::u16string, std::u16string>> records;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    const std::u16string line = text.substr(start, end - start);
    start = end + 2;
    std::vector<std::u16string> f;
    std::size_t a = 0;
    for (std::size_t b = line.find(u','); ; b = line.find(u',', a)) {
      f.push_back(line.substr(a, b == std::u16string::npos ? std::u16string::npos : b - a));
      if (b == std::u16string::npos) break;
      a = b + 1;
    }
    if (f.size() != 4) continue;
    pairFile += f[1] + u"," + f[2] + u"\r\n";
    ziranCodes.insert(f[2]);
    records.emplace_back(f[1], f[2]);
  }
  ASSERT_GT(records.size(), 400u);
  LayoutTable t;
  EXPECT_EQ(sptosp(pairFile, t), static_cast<std::int32_t>(records.size()));
  for (const auto& [xiaohe, ziran] : records) {
    EXPECT_EQ(translateLayoutCode(t, xiaohe), ziran) << toUtf8(xiaohe);
  }
  for (int r = 0; r < kLayoutRows; ++r) {
    for (int col = 0; col < kLayoutRows; ++col) {
      const std::u16string& cell = t.cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)];
      if (!cell.empty()) {
        EXPECT_TRUE(ziranCodes.count(cell)) << r << "," << col << " " << toUtf8(cell);
      }
    }
  }
}

}  // namespace
}  // namespace yz
