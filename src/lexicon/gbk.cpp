#include "lexicon/gbk.h"

#include "platform/platform.h"

namespace yz {

GbkTable::GbkTable(const Platform& platform) : codes_(0x10000, 0) {
  // Single bytes 0..0x80 (0x80 is the euro sign in code page 936).
  std::string singles;
  for (int b = 1; b <= 0x80; ++b) singles.push_back(static_cast<char>(b));
  std::u16string decoded = platform.fromGbk(singles);
  if (decoded.size() == singles.size()) {
    for (int b = 1; b <= 0x80; ++b) {
      char16_t ch = decoded[static_cast<std::size_t>(b - 1)];
      if (ch != 0xFFFD && codes_[ch] == 0) codes_[ch] = static_cast<std::uint16_t>(b);
    }
  }
  // Double bytes, one codec call per lead byte; a line feed after each pair keeps an invalid
  // pair from disturbing its neighbours.
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    std::string bytes;
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      bytes.push_back(static_cast<char>(lead));
      bytes.push_back(static_cast<char>(trail));
      bytes.push_back('\n');
    }
    std::u16string text = platform.fromGbk(bytes);
    std::size_t pos = 0;
    for (int trail = 0x40; trail <= 0xFE && pos <= text.size(); ++trail) {
      if (trail == 0x7F) continue;
      std::size_t end = text.find(u'\n', pos);
      if (end == std::u16string::npos) break;
      if (end - pos == 1) {
        char16_t ch = text[pos];
        if (ch != 0xFFFD && ch != u'?' && codes_[ch] == 0) {
          codes_[ch] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
      }
      pos = end + 1;
    }
  }
}

}  // namespace yz
