#include "lexbuild/scheme_switch.h"

#include <algorithm>
#include <array>

#include "lexicon/gbk.h"

namespace yz {
namespace {

constexpr std::u16string_view kWaitText =
    u"词库生成中，请耐心等候约一分钟，期间不要乱点乱按哈！词库转换完毕会有提示信息的。";
constexpr std::u16string_view kWubi98WaitText =
    u"系统将重新按五笔98生成词库，请耐心等候约一分钟，期间不要乱点乱按哈！词库转换完毕会有提示信息的。";

using K = InputKind;
using R = EndRange;
using F = FullCodeRule;

// label, question, kind, main alphabet, auxiliary alphabet, full-code source, syllable source,
// end range, full-code rule, reads full codes, fluency first, wait text, ready-made, clears 全拼
const std::array<SchemeMember, 12> kMembers = {{
    {u"ubfm", u"你要改用声笔飞码吗？", K::SoundShape, std::nullopt, std::nullopt,
     u"内置文件\\单字全码声笔飞码.txt", u"", R::LettersAndMark, F::FirstWins, true, true, true, false,
     false, kWaitText},
    {u"wbjb", u"你要改用五笔98吗？", K::Shape, u"abcdefghijklmnopqrstuvwxyz", u"",
     u"内置文件\\单字全码五笔98.txt", u"", R::Letters, F::LastWins, true, true, true, false, false,
     kWubi98WaitText},
    {u"zdyxym", u"你要改用自声鹤形吗？", K::SoundShape, std::nullopt, std::nullopt,
     u"内置文件\\单字全码自声鹤形.txt", u"", R::LettersAndMark, F::FirstWins, true, true, true, false,
     false, kWaitText},
    {u"zdyyxm", u"你要改用自定义音形码吗？", K::SoundShape, std::nullopt, std::nullopt,
     u"用户diy文件\\单字全码自定义音形码.txt", u"", R::LettersAndMark, F::LastWins, true, true, true,
     false, false, kWaitText},
    {u"xdwb", u"你要改用现代五笔吗？", K::Shape, std::nullopt, std::nullopt,
     u"内置文件\\单字全码五笔86.txt", u"", R::Letters, F::LastWins, true, true, true, false, false,
     kWaitText},
    {u"zdyxm", u"你要改用自定义形码吗？", K::Shape, std::nullopt, std::nullopt,
     u"用户diy文件\\单字全码自定义形码.txt", u"", R::None, F::LastWins, true, true, true, false, false,
     kWaitText},
    {u"zm", u"你要改用郑码吗？", K::Shape, std::nullopt, std::nullopt, u"内置文件\\单字全码郑码.txt",
     u"", R::Letters, F::LastWins, true, true, true, false, false, kWaitText},
    {u"vxbf", u"你要改用自然双拼+鹤形+数字辅助码方案吗？", K::Sound, u"abcdefghijklmnopqrstuvwxyz_",
     u"0123456789", u"内置文件\\单字全码砚舟鹤形数.txt", u"内置文件\\qp2sp自然.txt", R::Letters,
     F::LastWins, true, false, true, false, true, kWaitText},
    {u"xhhx", u"你要改用小鹤双拼+鹤形辅助码方案吗？", K::Sound, std::nullopt, std::nullopt,
     u"内置文件\\单字全码小鹤鹤形.txt", u"内置文件\\qp2sp小鹤.txt", R::Letters, F::LastWins, true,
     false, false, false, true, kWaitText},
    {u"gbup", u"你要改用国标双拼方案吗？", K::Sound, std::nullopt, std::nullopt,
     u"内置文件\\单字全码国标双拼.txt", u"内置文件\\qp2sp国标.txt", R::Letters, F::LastWins, false,
     false, true, false, true, kWaitText},
    {u"zdypf", u"你要改用自定义双拼+自定义辅助码方案吗？", K::Sound, std::nullopt, std::nullopt,
     u"用户diy文件\\单字全码自定义双拼.txt", u"用户diy文件\\qp2sp自定义.txt", R::Letters,
     F::LastWins, true, false, true, false, true, kWaitText},
    {u"wbbl", u"", K::Shape, std::nullopt, std::nullopt, kWubi86FullCodesPath, u"", R::None,
     F::LastWins, false, true, false, true, false, u""},
}};

// The 23 labels of the scheme page in the order the clearers visit them.
constexpr std::array<SchemeLabel Settings::*, 23> kClearOrder = {
    &Settings::vxbf,   &Settings::zrhx,  &Settings::gbup,   &Settings::xhhx,   &Settings::ubfm,
    &Settings::wbbl,   &Settings::xdwb,  &Settings::wbjb,   &Settings::zm,     &Settings::zdyxm,
    &Settings::zdyxym, &Settings::zdyyxm, &Settings::zdypf, &Settings::ynma,   &Settings::xyma,
    &Settings::ynxyma, &Settings::xyynma, &Settings::qrpn,  &Settings::zrmfvm, &Settings::hxfvm,
    &Settings::diyfvm, &Settings::wbhfvm, &Settings::jjfvm};

constexpr std::array<std::u16string_view, 23> kClearNames = {
    u"vxbf",   u"zrhx", u"gbup",   u"xhhx",   u"ubfm", u"wbbl",   u"xdwb",   u"wbjb",
    u"zm",     u"zdyxm", u"zdyxym", u"zdyyxm", u"zdypf", u"ynma", u"xyma",   u"ynxyma",
    u"xyynma", u"qrpn", u"zrmfvm", u"hxfvm",  u"diyfvm", u"wbhfvm", u"jjfvm"};

void clearRange(Settings& s, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) (s.*kClearOrder[i]).borderStyle = 0;
}

bool insideEndRange(char16_t ch, EndRange range) {
  switch (range) {
    case EndRange::None:
      return true;
    case EndRange::Letters:
      return ch >= u'a' && ch <= u'z';
    case EndRange::LettersAndMark:
      return ch >= u'_' && ch <= u'z';
  }
  return true;
}

}  // namespace

const SchemeMember* schemeMember(std::u16string_view label) {
  for (const SchemeMember& m : kMembers) {
    if (m.label == label) return &m;
  }
  return nullptr;
}

std::vector<std::u16string_view> schemeLabels() {
  std::vector<std::u16string_view> out;
  for (const SchemeMember& m : kMembers) out.push_back(m.label);
  return out;
}

SchemeLabel* schemeLabel(Settings& settings, std::u16string_view label) {
  for (std::size_t i = 0; i < kClearNames.size(); ++i) {
    if (kClearNames[i] == label) return &(settings.*kClearOrder[i]);
  }
  return nullptr;
}

std::u16string_view schemeName(const Settings& settings, std::u16string_view label) {
  for (std::size_t i = 0; i < kClearNames.size(); ++i) {
    if (kClearNames[i] == label) return (settings.*kClearOrder[i]).caption;
  }
  return label;
}

void bkbu(Settings& settings) { clearRange(settings, 0, 23); }
void bkbusp(Settings& settings) { clearRange(settings, 0, 18); }
void bkbufvm(Settings& settings) { clearRange(settings, 18, 23); }

void selectInputKind(Settings& settings, InputKind kind) {
  settings.ymur = kind == InputKind::Sound;
  settings.xmur = kind == InputKind::Shape;
  settings.yxmur = kind == InputKind::SoundShape;
}

std::vector<std::u16string> charCodeFields(std::u16string_view text) {
  std::vector<std::u16string> fields;
  std::u16string field;
  bool quoted = false;
  bool open = false;  // a field has begun on this line
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t ch = text[i];
    if (quoted) {
      if (ch == u'"') {
        quoted = false;
      } else {
        field.push_back(ch);
      }
      continue;
    }
    if (ch == u'"') {
      quoted = true;
      open = true;
    } else if (ch == u',') {
      fields.push_back(std::move(field));
      field.clear();
      open = true;
    } else if (ch == u'\r' || ch == u'\n') {
      if (open || !field.empty()) fields.push_back(std::move(field));
      field.clear();
      open = false;
      if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      field.push_back(ch);
      open = true;
    }
  }
  if (open || !field.empty()) fields.push_back(std::move(field));
  return fields;
}

FullCodeReadResult readSchemeFullCodes(std::u16string_view text, const SchemeMember& member,
                                       const GbkTable& gbk, CharTable& charFullCodes,
                                       CharTable& charAuxCodes) {
  FullCodeReadResult result;
  const std::vector<std::u16string> fields = charCodeFields(text);
  std::u16string code;
  for (std::size_t f = 0; f + 1 < fields.size(); f += 2) {
    code = fields[f];
    const std::u16string& character = fields[f + 1];
    if (!code.empty() && gbk.codeOf(code[0]) > 0xFF) {
      result.suspicious.push_back(std::u16string(kActiveFullCodesPath) + code + u"  " + character +
                                  u"是否有误？请检查！");
    }
    std::erase(code, u' ');
    if (code.empty() || character.empty()) {
      ++result.skipped;
      continue;
    }
    if (code.size() == 1) code.push_back(code[0]);
    if (!insideEndRange(code.back(), member.endRange)) code.assign(2, code[0]);
    const auto slot = static_cast<std::size_t>(gbk.charIndex(character[0]));
    if (code.size() > 2) charAuxCodes.set(slot, std::u16string_view(code).substr(2));
    if (member.fullCodeRule == FullCodeRule::FirstWins) {
      if (charFullCodes[slot].empty() || code[1] == u'_') charFullCodes.set(slot, code);
    } else if (character.size() == 1) {
      charFullCodes.set(slot, code);
    }
    if (character.size() > 1) charFullCodes.set(slot, std::u16string_view(character).substr(1));
    ++result.records;
  }
  return result;
}

FirstLevelShortCodes firstLevelShortCodes(const PrivilegedCodeTable& table) {
  FirstLevelShortCodes out;
  const std::size_t n = std::min(table.privilegedCodes.size(), table.privilegedWords.size());
  for (std::size_t i = 1; i < n; ++i) {
    const std::u16string& code = table.privilegedCodes[i];
    const std::u16string& word = table.privilegedWords[i];
    if (code.size() != 2 || code.back() != u'_' || word.size() != 1) continue;
    out.yjjmcn += word;
    out.yjjmen += code;
  }
  return out;
}

}  // namespace yz
