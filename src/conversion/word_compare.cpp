#include "conversion/word_compare.h"

#include <cmath>
#include <vector>

#include "conversion/text_steps.h"

namespace yz {

using namespace conversion_text;

namespace {

// The words between single spaces; two spaces in a row hold an empty word.
std::vector<std::u16string_view> wordsOf(std::u16string_view s) {
  std::vector<std::u16string_view> words;
  std::size_t start = 0;
  while (true) {
    const std::size_t sp = s.find(u' ', start);
    if (sp == std::u16string_view::npos) {
      words.push_back(s.substr(start));
      return words;
    }
    words.push_back(s.substr(start, sp - start));
    start = sp + 1;
  }
}

}  // namespace

float differenceRate(std::int32_t differing, std::int32_t total) {
  if (total == 0) return 0;
  const float f = static_cast<float>(differing) / static_cast<float>(total);
  return static_cast<float>(std::floor(static_cast<double>(f) * 10000.0 + 0.5) / 100.0);
}

WordComparison cowu(std::u16string& b00, std::u16string& hjziir, std::u16string_view raceSentence,
                    std::int16_t& grabPending) {
  WordComparison r;
  if (grabPending == 1) {
    b00 = withoutSpaces(u"[" + b00 + u"]");
    hjziir = withoutSpaces(u"(" + hjziir + u")");
    r.hzs = r.cowuuu = len(b00) - 2;
    r.cowulv = differenceRate(r.cowuuu, r.hzs);
    grabPending = 0;
    return r;
  }
  const std::vector<std::u16string_view> a = wordsOf(b00);
  const std::vector<std::u16string_view> b = wordsOf(hjziir);
  r.hzs = len(raceSentence);
  std::u16string marked, converted;
  const std::size_t m = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < m; ++i) {
    const std::u16string_view ai = i < a.size() ? a[i] : std::u16string_view{};
    const std::u16string_view bi = i < b.size() ? b[i] : std::u16string_view{};
    if (ai == bi) {
      marked += ai;
      converted += bi;
      continue;
    }
    for (std::size_t j = 0; j < ai.size(); ++j) r.cowuuu += j >= bi.size() || bi[j] != ai[j];
    marked += u'[';
    marked += ai;
    marked += u']';
    converted += u'(';
    converted += bi;
    converted += u')';
  }
  b00 = std::move(marked);
  hjziir = std::move(converted);
  r.cowulv = differenceRate(r.cowuuu, r.hzs);
  return r;
}

}  // namespace yz
