#include "devtools/syllable_helpers.h"

namespace yz {

namespace {

constexpr std::size_t kLongestSyllable = 6;

// Binary search of a syllable over the whole filled table; its index or -1.
int findSyllable(const SyllableTable& table, std::u16string_view t) {
  int lo = 0;
  int hi = table.last;
  if (hi < lo || t.empty()) return -1;
  if (table.syllables[static_cast<std::size_t>(lo)] == t) return lo;
  if (table.syllables[static_cast<std::size_t>(hi)] == t) return hi;
  while (hi - lo > 1) {
    int mid = lo + (hi - lo) / 2;
    const std::u16string& s = table.syllables[static_cast<std::size_t>(mid)];
    if (s == t) return mid;
    if (t < std::u16string_view(s)) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  return -1;
}

}  // namespace

std::u16string quuuzi(std::u16string_view strx, std::int32_t& hjziih) {
  std::u16string_view first = strx.substr(0, strx.find(u' '));
  std::int32_t n = hjziih;
  while (n > 0) {
    std::size_t taken = std::min<std::size_t>(static_cast<std::size_t>(n), first.size());
    if (taken == 0 || first[taken - 1] >= 0x80) break;
    --n;
  }
  if (n < 0) n = 0;
  hjziih = n;
  std::u16string result;
  std::size_t start = 0;
  while (true) {
    std::size_t space = strx.find(u' ', start);
    std::u16string_view item = strx.substr(start, space == std::u16string_view::npos ? space : space - start);
    if (start > 0) result += u' ';
    result += item.substr(0, static_cast<std::size_t>(n));
    if (space == std::u16string_view::npos) break;
    start = space + 1;
  }
  return result;
}

std::u16string qrpn(const SyllableTable& syllables, std::u16string_view strx) {
  for (std::size_t len = std::min(kLongestSyllable, strx.size()); len >= 1; --len) {
    int index = findSyllable(syllables, strx.substr(0, len));
    if (index < 0) continue;
    const std::u16string& code = syllables.codes[static_cast<std::size_t>(index)];
    if (code == u"an" || code == u"en") {
      if (!qrpn(syllables, strx.substr(len)).empty()) return code;
      return code == u"an" ? u"aa" : u"ee";
    }
    return code;
  }
  return {};
}

std::u16string udpn(const SyllableTable& syllables, std::u16string_view strx) {
  std::u16string result;
  std::u16string_view rest = strx;
  while (!rest.empty()) {  // every pass drops at least one character
    std::u16string_view window = rest.substr(0, kLongestSyllable);
    std::u16string token;
    std::size_t m = 1;
    int syllable = -1;
    if (window.size() == 1) {
      token = {u'\'', window[0], u'\''};
    } else if (window[0] < 95 || window[0] > 122) {
      token = {window[0], u' '};
    } else {
      for (std::size_t len = window.size(); len >= 2 && syllable < 0; --len) {
        syllable = findSyllable(syllables, window.substr(0, len));
        if (syllable >= 0) m = len;
      }
      if (syllable >= 0) {
        token = syllables.codes[static_cast<std::size_t>(syllable)];
      } else {
        token = {u'\'', window[0], u'\''};
      }
    }
    if (syllable >= 0) {
      const std::u16string& pinyin = syllables.syllables[static_cast<std::size_t>(syllable)];
      if (!pinyin.empty() && (pinyin.back() == u'g' || pinyin.back() == u'n')) {
        std::u16string next = qrpn(syllables, rest.substr(m));
        if (next != u"ee" && next != u"aa") {
          std::u16string alt1 = qrpn(syllables, std::u16string_view(pinyin).substr(0, pinyin.size() - 1));
          std::u16string alt2 = qrpn(syllables, rest.substr(m - 1));
          if (!alt1.empty() && !alt2.empty()) {
            result += alt1;
            rest.remove_prefix(m - 1);
            continue;
          }
        }
      }
    }
    result += token;
    rest.remove_prefix(m);
  }
  std::size_t first = result.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  result = result.substr(first, result.find_last_not_of(u' ') - first + 1);
  std::u16string joined;
  for (std::size_t p = 0; p < result.size(); ++p) {
    if (result[p] == u'\'' && p + 1 < result.size() && result[p + 1] == u'\'') {
      ++p;
    } else {
      joined += result[p];
    }
  }
  return joined;
}

}  // namespace yz
