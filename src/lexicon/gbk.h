#pragma once
// The GBK (code page 936) view of characters that the per-character tables and the commit need.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class Platform;

class GbkTable {
 public:
  // Builds the UTF-16 → GBK map from the platform's codec.
  explicit GbkTable(const Platform& platform);

  // The character's GBK code: a byte value (0..128) or 256 * lead + trail; 0x3F ("?") when the
  // character has no GBK code.
  std::uint16_t codeOf(char16_t ch) const {
    std::uint16_t code = codes_[ch];
    return code != 0 || ch == 0 ? code : std::uint16_t{'?'};
  }

  // The slot of a character in a per-character table: the absolute value of its GBK code read as
  // a signed 16-bit number (啊, B0 A1, is 20319; "a" 97; the euro sign, byte 0x80, 128).
  int charIndex(char16_t ch) const {
    int signedCode = static_cast<std::int16_t>(codeOf(ch));
    return signedCode < 0 ? -signedCode : signedCode;
  }

  // The value of the one WM_CHAR message that carries the character to an ANSI window: the byte
  // for a single-byte character, else the lead byte in bits 0-7 and the trail byte in bits 8-15.
  std::uint16_t ansiMessageValue(char16_t ch) const {
    std::uint16_t code = codeOf(ch);
    return code <= 0xFF ? code : static_cast<std::uint16_t>((code >> 8) | ((code & 0xFF) << 8));
  }

 private:
  std::vector<std::uint16_t> codes_;  // indexed by UTF-16 code unit; 0 = none
};

}  // namespace yz
