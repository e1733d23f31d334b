#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "lexicon/quicksort.h"

namespace yz {
namespace {

using Lines = std::vector<std::u16string>;
const auto noPump = [] {};

TEST(QuickSort, SortsLinesInComparisonOrder) {
  struct Case {
    Lines input, expected;
  };
  const Case cases[] = {
      {{u"ab+100,x", u"ab+085,y"}, {u"ab+085,y", u"ab+100,x"}},
      {{u"ab0,x", u"ab,x"}, {u"ab,x", u"ab0,x"}},
      {{u"b", u"B", u"a", u"A"}, {u"A", u"B", u"a", u"b"}},
      {{u"中", u"z", u"a"}, {u"a", u"z", u"中"}},
      {{u"x"}, {u"x"}},
      {{}, {}},
  };
  for (auto c : cases) {
    QuickSort(c.input, 0, static_cast<int>(c.input.size()) - 1, noPump);
    EXPECT_EQ(c.input, c.expected);
  }
}

TEST(QuickSort, SortsOnlyTheGivenRange) {
  Lines lines{u"z", u"c", u"b", u"a", u"0"};
  QuickSort(lines, 1, 3, noPump);
  EXPECT_EQ(lines, (Lines{u"z", u"a", u"b", u"c", u"0"}));
  QuickSort(lines, 3, 1, noPump);  // l > r: nothing happens
  QuickSort(lines, 2, 2, noPump);  // l = r: nothing changes
  EXPECT_EQ(lines, (Lines{u"z", u"a", u"b", u"c", u"0"}));
}

TEST(QuickSort, LargePresortedReversedAndRandomInputs) {
  const int n = 200000;
  Lines sorted;
  for (int i = 0; i < n; ++i) {
    std::string s = std::to_string(1000000 + i);
    sorted.emplace_back(s.begin(), s.end());
  }
  Lines reversed(sorted.rbegin(), sorted.rend());
  Lines shuffled = sorted;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  Lines equal(n, u"same");
  for (Lines* lines : {&sorted, &reversed, &shuffled}) {
    Lines copy = *lines;
    QuickSort(copy, 0, n - 1, noPump);
    EXPECT_TRUE(std::is_sorted(copy.begin(), copy.end()));
  }
  QuickSort(equal, 0, n - 1, noPump);
  EXPECT_EQ(equal, Lines(n, u"same"));
}

TEST(QuickSort, PumpsBeforeEachPartition) {
  Lines lines{u"d", u"c", u"b", u"a", u"e", u"f"};
  int pumps = 0;
  QuickSort(lines, 0, 5, [&] { ++pumps; });
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
  EXPECT_GT(pumps, 0);
}

TEST(QuickSortlen, OrdersByFirstCommaPosition) {
  Lines lines{u"abc,x", u"nocomma", u"a,bc", u"ab,c,d"};
  QuickSortlen(lines, 0, 3, noPump);
  EXPECT_EQ(lines, (Lines{u"nocomma", u"a,bc", u"ab,c,d", u"abc,x"}));
}

}  // namespace
}  // namespace yz
