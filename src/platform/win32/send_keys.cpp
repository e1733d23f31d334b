#include "platform/win32/send_keys.h"

#include <string>

#include "platform/platform.h"

namespace yz::win32 {
namespace {

constexpr int kShift = 0x10, kControl = 0x11, kAlt = 0x12;

struct NamedKey {
  std::u16string_view name;
  int vk;
};

constexpr NamedKey kNamedKeys[] = {
    {u"BACKSPACE", 0x08}, {u"BS", 0x08},       {u"BKSP", 0x08},       {u"BREAK", 0x03},
    {u"CAPSLOCK", 0x14},  {u"DELETE", 0x2E},   {u"DEL", 0x2E},        {u"DOWN", 0x28},
    {u"END", 0x23},       {u"ENTER", 0x0D},    {u"ESC", 0x1B},        {u"HELP", 0x2F},
    {u"HOME", 0x24},      {u"INSERT", 0x2D},   {u"INS", 0x2D},        {u"LEFT", 0x25},
    {u"NUMLOCK", 0x90},   {u"PGDN", 0x22},     {u"PGUP", 0x21},       {u"PRTSC", 0x2C},
    {u"RIGHT", 0x27},     {u"SCROLLLOCK", 0x91}, {u"TAB", 0x09},      {u"UP", 0x26},
    {u"ADD", 0x6B},       {u"SUBTRACT", 0x6D}, {u"MULTIPLY", 0x6A},   {u"DIVIDE", 0x6F},
    {u"SPACE", 0x20},
};

std::u16string upper(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return out;
}

[[noreturn]] void malformed(std::u16string_view keys) {
  std::string ascii;
  for (char16_t c : keys) ascii.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  throw PlatformError("malformed keystroke string: " + ascii);
}

class Parser {
 public:
  explicit Parser(std::u16string_view keys) : keys_(keys) {}

  std::vector<KeyStroke> run() {
    parseSequence(false);
    return std::move(out_);
  }

 private:
  // Parses keys until the end or, inside a group, the closing parenthesis.
  void parseSequence(bool inGroup) {
    while (pos_ < keys_.size()) {
      if (keys_[pos_] == u')') {
        if (!inGroup) malformed(keys_);
        ++pos_;
        return;
      }
      parseItem();
    }
    if (inGroup) malformed(keys_);
  }

  // One key or group with the modifiers in front of it.
  void parseItem() {
    std::vector<int> modifiers;
    while (pos_ < keys_.size()) {
      const char16_t c = keys_[pos_];
      const int vk = c == u'+' ? kShift : c == u'^' ? kControl : c == u'%' ? kAlt : 0;
      if (vk == 0) break;
      modifiers.push_back(vk);
      ++pos_;
    }
    if (pos_ >= keys_.size()) malformed(keys_);
    for (int vk : modifiers) out_.push_back({KeyStroke::Kind::Down, vk, 0});
    const char16_t c = keys_[pos_++];
    if (c == u'(') {
      parseSequence(true);
    } else if (c == u'{') {
      parseBraced();
    } else if (c == u'~') {
      press(0x0D);
    } else {
      out_.push_back({KeyStroke::Kind::Char, 0, c});
    }
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
      out_.push_back({KeyStroke::Kind::Up, *it, 0});
    }
  }

  // After "{": a name or a literal character, an optional repeat count, then "}".
  void parseBraced() {
    // "{}}" names the closing brace itself.
    std::size_t close = keys_.find(u'}', pos_ + 1);
    if (close == std::u16string_view::npos) malformed(keys_);
    std::u16string_view body = keys_.substr(pos_, close - pos_);
    pos_ = close + 1;
    int count = 1;
    if (const auto space = body.find(u' '); space != std::u16string_view::npos && space > 0) {
      count = 0;
      for (char16_t d : body.substr(space + 1)) {
        if (d < u'0' || d > u'9') malformed(keys_);
        count = count * 10 + (d - u'0');
      }
      body = body.substr(0, space);
    }
    if (body.empty()) malformed(keys_);
    for (int i = 0; i < count; ++i) emitNamed(body);
  }

  void emitNamed(std::u16string_view name) {
    if (name.size() == 1) {
      out_.push_back({KeyStroke::Kind::Char, 0, name[0]});
      return;
    }
    const std::u16string key = upper(name);
    for (const auto& named : kNamedKeys) {
      if (named.name == key) {
        press(named.vk);
        return;
      }
    }
    if (key[0] == u'F' && key.size() <= 3) {
      int n = 0;
      for (char16_t d : key.substr(1)) {
        if (d < u'0' || d > u'9') malformed(keys_);
        n = n * 10 + (d - u'0');
      }
      if (n >= 1 && n <= 24) {
        press(0x70 + n - 1);
        return;
      }
    }
    malformed(keys_);
  }

  void press(int vk) {
    out_.push_back({KeyStroke::Kind::Down, vk, 0});
    out_.push_back({KeyStroke::Kind::Up, vk, 0});
  }

  std::u16string_view keys_;
  std::size_t pos_ = 0;
  std::vector<KeyStroke> out_;
};

}  // namespace

std::vector<KeyStroke> parseSendKeys(std::u16string_view keys) { return Parser(keys).run(); }

}  // namespace yz::win32
