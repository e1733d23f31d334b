// The GBK code page and the character-message rule, through the system's code-page tables.

#include <gtest/gtest.h>

#include "platform/win32/code_page.h"
#include "platform/win32/send_keys.h"
#include "platform/win32/win32_platform.h"

namespace yz::win32 {
namespace {

struct GbkCase {
  std::u16string text;
  std::string bytes;
};

TEST(GbkCodec, EncodesAndDecodesBothWays) {
  const GbkCase cases[] = {
      {u"啊", "\xB0\xA1"},
      {u"€", "\x80"},
      {u"a", "a"},
      {u"砚舟", "\xD1\xE2\xD6\xDB"},
      {u"龥", "\xFD\x9B"},  // beyond GB2312: only GBK has it
      {u"", ""},
  };
  Win32Platform platform;
  for (const auto& c : cases) {
    EXPECT_EQ(platform.toGbk(c.text), c.bytes) << testing::PrintToString(c.bytes);
    EXPECT_EQ(platform.fromGbk(c.bytes), c.text) << testing::PrintToString(c.bytes);
  }
}

TEST(GbkCodec, CharactersOutsideGbkEncodeAsQuestionMarks) {
  const GbkCase cases[] = {
      {u"가", "?"},          // Hangul syllables are not in GBK
      {u"a가b", "a?b"},
      {u"\U0001F600", "??"},  // each half of a surrogate pair
      {u"ก啊", "?\xB0\xA1"},  // Thai
  };
  Win32Platform platform;
  for (const auto& c : cases) EXPECT_EQ(platform.toGbk(c.text), c.bytes);
}

TEST(GbkCodec, BytesThatAreNotGbkDecodeWithoutACrash) {
  // A lone lead byte, a lead byte with an invalid trail, and 0xFF, between plain letters.
  for (std::string bytes : {"a\x81", "a\x81\x20z", "a\xFFz", "\xB0", "a\x80\xFFz"}) {
    const std::u16string text = decode(kGbkCodePage, bytes);
    ASSERT_FALSE(text.empty()) << testing::PrintToString(bytes);
    EXPECT_NE(text.find_first_not_of(u"az \u20AC"), std::u16string::npos)
        << "something stands for the invalid bytes of " << testing::PrintToString(bytes);
  }
}

TEST(AnsiCharMessage, SingleBytesAsTheyAreDoubleBytesLeadLowTrailHigh) {
  struct Case {
    char16_t ch;
    std::uint32_t value;
  };
  const Case cases[] = {
      {u'a', 0x61}, {u'\r', 0x0D}, {u'€', 0x80}, {u'啊', 0xA1B0},
      {u'砚', 0xE2D1}, {u'，', 0xACA3}, {u'가', 0x3F},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ansiCharMessageValue(c.ch), c.value) << static_cast<int>(c.ch);
  }
}

TEST(SendKeys, ParsesModifiersGroupsAndNamedKeys) {
  using K = KeyStroke::Kind;
  struct Case {
    std::u16string keys;
    std::vector<KeyStroke> strokes;
  };
  const KeyStroke ctrlDown{K::Down, 0x11, 0}, ctrlUp{K::Up, 0x11, 0};
  const KeyStroke shiftDown{K::Down, 0x10, 0}, shiftUp{K::Up, 0x10, 0};
  const Case cases[] = {
      {u"^p", {ctrlDown, {K::Char, 0, u'p'}, ctrlUp}},
      {u"+(ab)", {shiftDown, {K::Char, 0, u'a'}, {K::Char, 0, u'b'}, shiftUp}},
      {u"~", {{K::Down, 0x0D, 0}, {K::Up, 0x0D, 0}}},
      {u"{ENTER}", {{K::Down, 0x0D, 0}, {K::Up, 0x0D, 0}}},
      {u"{f12}", {{K::Down, 0x7B, 0}, {K::Up, 0x7B, 0}}},
      {u"{+}{}}", {{K::Char, 0, u'+'}, {K::Char, 0, u'}'}}},
      {u"{BS 2}", {{K::Down, 8, 0}, {K::Up, 8, 0}, {K::Down, 8, 0}, {K::Up, 8, 0}}},
      {u"^+v", {ctrlDown, shiftDown, {K::Char, 0, u'v'}, shiftUp, ctrlUp}},
      {u"啊", {{K::Char, 0, u'啊'}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseSendKeys(c.keys), c.strokes) << testing::PrintToString(std::string(c.keys.begin(), c.keys.end()));
  }
}

TEST(SendKeys, RejectsMalformedStrings) {
  for (std::u16string keys : {u"{ENTER", u"{NOSUCHKEY}", u"(ab", u"ab)", u"^", u"{}"}) {
    EXPECT_THROW(parseSendKeys(keys), PlatformError);
  }
}

}  // namespace
}  // namespace yz::win32
