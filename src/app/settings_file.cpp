#include "app/settings_file.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "lexicon/files.h"
#include "platform/platform.h"

namespace yz {
namespace {

// How a line is read: as one delimited field (leading blanks skipped, ends at a comma) or whole.
enum class ReadMode { Field, Whole };

struct SettingsLine {
  std::u16string_view key;
  std::function<std::u16string(const Settings&)> write;
  // Stores a value; false when the value does not convert or the control refuses it.
  std::function<bool(std::u16string_view, Settings&, CompositionState&)> read;
};

std::u16string ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::string narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c > 0x7F) return {};
    out.push_back(static_cast<char>(c));
  }
  return out;
}

std::u16string_view trimBlanks(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
  return s;
}

// A decimal number as the runtime converts text: optional sign, digits, optional fraction.
std::optional<double> parseNumber(std::u16string_view text) {
  std::string s = narrow(trimBlanks(text));
  if (s.empty()) return std::nullopt;
  const char* first = s.data() + (s[0] == '+' ? 1 : 0);
  double value = 0;
  auto [end, ec] = std::from_chars(first, s.data() + s.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;  // "nan" and "inf" are no numbers of a setting
  return value;
}

// Rounds to an integer of the given range, halves to the even neighbour.
std::optional<long long> toInteger(std::u16string_view text, long long lo, long long hi) {
  auto v = parseNumber(text);
  if (!v) return std::nullopt;
  double r = std::nearbyint(*v);
  if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) return std::nullopt;
  return static_cast<long long>(r);
}

std::optional<bool> toBoolean(std::u16string_view text) {
  std::u16string_view t = trimBlanks(text);
  std::string s = narrow(t);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (s == "true") return true;
  if (s == "false") return false;
  if (auto n = parseNumber(t)) return *n != 0;
  return std::nullopt;
}

std::u16string formatNumber(double value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
  return ascii(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

// --- option groups: selecting one option clears the others of its group ---

using OptionRef = bool& (*)(Settings&);

#define YZ_OPTION(member) +[](Settings& s) -> bool& { return s.member; }
const std::vector<std::vector<OptionRef>>& optionGroups() {
  static const std::vector<std::vector<OptionRef>> groups = {
      {YZ_OPTION(huvj), YZ_OPTION(ilmvj), YZ_OPTION(dgvj), YZ_OPTION(izcmu), YZ_OPTION(smvj),
       YZ_OPTION(gdms)},
      {YZ_OPTION(xmur), YZ_OPTION(ymur), YZ_OPTION(yxmur)},
      {YZ_OPTION(lidyx), YZ_OPTION(vqdyx)},
      {YZ_OPTION(auxOrder[0]), YZ_OPTION(auxOrder[1]), YZ_OPTION(auxOrder[2])},
      {YZ_OPTION(uphx), YZ_OPTION(hphx)},
      {YZ_OPTION(lctr), YZ_OPTION(ugzdy)},
      {YZ_OPTION(lshift), YZ_OPTION(qhzdy)},
  };
  return groups;
}
#undef YZ_OPTION

// --- line kinds ---

SettingsLine check(std::u16string_view key, int Settings::*member) {
  return {key, [member](const Settings& s) { return ascii(std::to_string(s.*member)); },
          [member](std::u16string_view v, Settings& s, CompositionState&) {
            auto n = toInteger(v, -32768, 32767);
            if (!n || *n < 0 || *n > 2) return false;
            s.*member = static_cast<int>(*n);
            return true;
          }};
}

SettingsLine option(std::u16string_view key, bool& (*ref)(Settings&)) {
  return {key,
          [ref](const Settings& s) {
            return std::u16string(ref(const_cast<Settings&>(s)) ? u"True" : u"False");
          },
          [ref](std::u16string_view v, Settings& s, CompositionState&) {
            auto b = toBoolean(v);
            if (!b) return false;
            if (*b) selectOption(s, ref(s));
            else ref(s) = false;
            return true;
          }};
}

SettingsLine border(std::u16string_view key, SchemeLabel Settings::*member) {
  return {key, [member](const Settings& s) { return ascii(std::to_string((s.*member).borderStyle)); },
          [member](std::u16string_view v, Settings& s, CompositionState&) {
            auto n = toInteger(v, -32768, 32767);
            if (!n || (*n != 0 && *n != 1)) return false;
            (s.*member).borderStyle = static_cast<int>(*n);
            return true;
          }};
}

SettingsLine text(std::u16string_view key, std::u16string Settings::*member) {
  return {key, [member](const Settings& s) { return s.*member; },
          [member](std::u16string_view v, Settings& s, CompositionState&) {
            s.*member = std::u16string(v);
            return true;
          }};
}

SettingsLine keyCaption(std::u16string_view key, std::u16string Settings::*caption,
                        std::int32_t CompositionState::*mirror) {
  return {key, [caption](const Settings& s) { return s.*caption; },
          [caption, mirror](std::u16string_view v, Settings& s, CompositionState& comp) {
            s.*caption = std::u16string(v);
            if (auto n = toInteger(v, INT32_MIN, INT32_MAX)) comp.*mirror = static_cast<std::int32_t>(*n);
            return true;
          }};
}

#define YZ_OPT(member) +[](Settings& s) -> bool& { return s.member; }
// One row per line of the settings file, in the file's order; rows alike in shape are different
// settings of the same kind, so the table is the one piece of code that serves them.
const std::vector<SettingsLine>& settingsLines() {
  static const std::vector<SettingsLine> lines = {
      check(u"全句造词=", &Settings::qjzc),
      check(u"智能造词=", &Settings::fczc),
      check(u"单字造词=", &Settings::dzzc),
      option(u"混输整句模式=", YZ_OPT(huvj)),
      option(u"形码输入=", YZ_OPT(xmur)),
      option(u"音码输入=", YZ_OPT(ymur)),
      option(u"音形码输入=", YZ_OPT(yxmur)),
      check(u"光标跟随=", &Settings::gbgs),
      option(u"流畅度优先=", YZ_OPT(lidyx)),
      check(u"词组重叠取差=", &Settings::idqi),
      check(u"竖排候选句末跟随=", &Settings::jmgs),
      check(u"快选键上屏=", &Settings::kxup),
      option(u"首末字辅助=", YZ_OPT(auxOrder[0])),
      option(u"末首字辅助码=", YZ_OPT(auxOrder[1])),
      option(u"自由辅助=", YZ_OPT(auxOrder[2])),
      text(u"自造词词长范围=", &Settings::wordLengthRange),
      check(u"自动横竖排显示=", &Settings::zdhu),
      check(u"双候选栏=", &Settings::uhxj),
      check(u"云输入延后=", &Settings::yuryh),
      option(u"竖排候选=", YZ_OPT(uphx)),
      option(u"横排候选=", YZ_OPT(hphx)),
      check(u"回车上屏汉字=", &Settings::hiup),
      check(u"词库有词=", &Settings::ckyc),
      check(u"音形码zcs模糊=", &Settings::yxmmh),
      option(u"纯两码整句=", YZ_OPT(ilmvj)),
      option(u"顶功整句=", YZ_OPT(dgvj)),
      check(u"52顶=", &Settings::jumoxris),
      option(u"纯字词模式=", YZ_OPT(izcmu)),
      check(u"特权码表=", &Settings::zrspbt),
      border(u"声韵辅数=", &Settings::vxbf),
      border(u"自然鹤形=", &Settings::zrhx),
      border(u"国标双拼=", &Settings::gbup),
      border(u"经典自然码=", &Settings::zrhx),
      border(u"小鹤鹤形=", &Settings::xhhx),
      border(u"五笔86=", &Settings::wbbl),
      border(u"现代五笔=", &Settings::xdwb),
      border(u"郑码=", &Settings::zm),
      border(u"自定义音形码=", &Settings::zdyyxm),
      border(u"自定义形码=", &Settings::zdyxm),
      border(u"自定义双拼和辅助码=", &Settings::zdypf),
      border(u"自定义形音码=", &Settings::zdyxym),
      border(u"五笔98=", &Settings::wbjb),
      border(u"声笔飞码=", &Settings::ubfm),
      option(u"左Ctrl键瞬改=", YZ_OPT(lctr)),
      option(u"左shift键切换输入法=", YZ_OPT(lshift)),
      check(u"容许用数字选择候选字词=", &Settings::uzkx),
      text(u"快捷候选键=", &Settings::kjhxj),
      check(u"剪贴板上屏=", &Settings::jtb),
      check(u"超前联想=", &Settings::iqlx),
      option(u"瞬改自定义键=", YZ_OPT(ugzdy)),
      keyCaption(u"瞬改自定义键值=", &Settings::ugjv, &CompositionState::modifyKeyCode),
      option(u"切换输入法自定义键=", YZ_OPT(qhzdy)),
      keyCaption(u"切换输入法自定义键值=", &Settings::qhjv, &CompositionState::switchKeyCode),
      text(u"两字词编码=", &Settings::ldzici),
      text(u"三字词编码=", &Settings::sjzici),
      text(u"四字词编码=", &Settings::sizici),
      text(u"五字词编码=", &Settings::wuzici),
      text(u"六字词编码=", &Settings::lqzici),
      text(u"七字词编码=", &Settings::qizici),
      text(u"N字词编码=", &Settings::nzici),
      check(u"一字两码=", &Settings::yzlm),
      check(u"一字一码=", &Settings::yzym),
      check(u"四码定长=", &Settings::smdi),
      check(u"超级简拼=", &Settings::ijjp),
      border(u"第三方词库音码=", &Settings::ynma),
      border(u"第三方词库形码=", &Settings::xyma),
      border(u"第三方词库音形码=", &Settings::ynxyma),
      border(u"第三方词库形音码=", &Settings::xyynma),
      text(u"超前联想起始码数=", &Settings::iqlxms),
      check(u"标点快捷选=", &Settings::bdkx),
      text(u"卸载砚舟=", &Settings::xzvx),
      text(u"混输整句=", &Settings::huzj),
      text(u"两码整句=", &Settings::lmzj),
      text(u"准确度优先=", &Settings::vqyx),
      text(u"流畅度优先=", &Settings::liyx),
      text(u"覆水可收=", &Settings::fuku),
      text(u"打印文档=", &Settings::dywd),
      text(u"当前时间=", &Settings::dqsj),
      text(u"当前日期=", &Settings::dqrq),
      text(u"当前星期=", &Settings::dqxq),
      text(u"计算器=", &Settings::jsq),
      text(u"记事本=", &Settings::jub),
      text(u"候选个数=", &Settings::hxgu),
      check(u"多候选句=", &Settings::dhxj),
      {u"编码码元集=", [](const Settings& s) { return s.mayrji + u" " + s.fumayrji; },
       [](std::u16string_view v, Settings& s, CompositionState&) {
         std::size_t blank = v.find(u' ');
         s.mayrji = std::u16string(v.substr(0, blank));
         if (blank != std::u16string_view::npos) {
           std::u16string_view rest = v.substr(blank + 1);
           s.fumayrji = std::u16string(rest.substr(0, rest.find(u' ')));
         }
         return true;
       }},
      check(u"候选唯一上屏=", &Settings::wyup),
      check(u"空码上屏=", &Settings::kmup),
      check(u"简略编码=", &Settings::jlbm),
      text(u"辅助后切分时间=", &Settings::fcuj),
      option(u"三码整句=", YZ_OPT(smvj)),
      border(u"全拼=", &Settings::qrpn),
      border(u"自然码辅助码=", &Settings::zrmfvm),
      border(u"鹤形辅助码=", &Settings::hxfvm),
      border(u"自定义辅助码=", &Settings::diyfvm),
      border(u"五笔画辅助码=", &Settings::wbhfvm),
      border(u"偏旁辅助码=", &Settings::jjfvm),
  };
  return lines;
}
#undef YZ_OPT

ReadMode readModeOf(int lineNumber) {
  if (lineNumber == 16 || lineNumber == 47 || lineNumber >= 54) return ReadMode::Whole;
  return ReadMode::Field;
}

// The value of a raw line: read as a field or whole, then the text after the first "=".
std::u16string_view valueOf(std::u16string_view raw, ReadMode mode) {
  if (mode == ReadMode::Field) {
    while (!raw.empty() && (raw.front() == u' ' || raw.front() == u'\t')) raw.remove_prefix(1);
    raw = raw.substr(0, raw.find(u','));
  }
  std::size_t eq = raw.find(u'=');
  return eq == std::u16string_view::npos ? raw : raw.substr(eq + 1);
}

struct SkinLine {
  std::u16string_view key;
  SkinBox Settings::*box;
  enum Property { Back, Fore, Size, Name } property;
};

constexpr SkinLine kSkinLineTable[kSkinLines] = {
    {u"编码栏背景色=", &Settings::Text6, SkinLine::Back},
    {u"整句栏结果背景色=", &Settings::Text4, SkinLine::Back},
    {u"候选字词栏背景色=", &Settings::Text5, SkinLine::Back},
    {u"编码栏字体颜色=", &Settings::Text6, SkinLine::Fore},
    {u"整句栏结果字体颜色=", &Settings::Text4, SkinLine::Fore},
    {u"候选字词栏字体颜色=", &Settings::Text5, SkinLine::Fore},
    {u"编码栏字号=", &Settings::Text6, SkinLine::Size},
    {u"整句栏结果字号=", &Settings::Text4, SkinLine::Size},
    {u"候选字词栏字号=", &Settings::Text5, SkinLine::Size},
    {u"编码栏字体=", &Settings::Text6, SkinLine::Name},
    {u"整句栏结果字体=", &Settings::Text4, SkinLine::Name},
    {u"候选字词栏字体=", &Settings::Text5, SkinLine::Name},
};

bool writeRecords(const ProgramFolder& files, const Platform& platform, const Settings& settings,
                  SettingsCopy copy, std::error_code* why) {
  std::u16string_view folder = copy == SettingsCopy::User ? u"用户diy文件\\" : u"";
  std::error_code settingsWhy, skinWhy;
  bool ok = files.writeBytes(std::u16string(folder) + u"设置记录.ini",
                             platform.toGbk(settingsRecordText(settings, copy)), &settingsWhy);
  ok = files.writeBytes(std::u16string(folder) + u"界面皮肤.ini",
                        platform.toGbk(skinRecordText(settings)), &skinWhy) && ok;
  if (why != nullptr) *why = settingsWhy ? settingsWhy : skinWhy;
  return ok;
}

}  // namespace

void selectOption(Settings& s, bool& option) {
  for (const auto& group : optionGroups()) {
    bool inGroup = false;
    for (OptionRef ref : group) inGroup = inGroup || &ref(s) == &option;
    if (!inGroup) continue;
    for (OptionRef ref : group) ref(s) = false;
  }
  option = true;
}

std::u16string settingsRecordText(const Settings& settings, SettingsCopy copy) {
  std::u16string out;
  int n = 0;
  for (const auto& line : settingsLines()) {
    ++n;
    std::u16string_view key = line.key;
    if (n == 27 && copy == SettingsCopy::User) key = u"句末选重上屏=";
    out += key;
    out += line.write(settings);
    out += u"\r\n";
  }
  return out;
}

bool inuvjl(std::u16string_view text, Settings& settings, CompositionState& comp) {
  std::vector<std::u16string_view> raw = splitLines(text);
  const auto& lines = settingsLines();
  // The key of a raw line: its text up to and with the first "=", leading blanks skipped.
  auto keyOf = [](std::u16string_view line) {
    while (!line.empty() && (line.front() == u' ' || line.front() == u'\t')) line.remove_prefix(1);
    const std::size_t eq = line.find(u'=');
    return eq == std::u16string_view::npos ? std::u16string_view() : line.substr(0, eq + 1);
  };
  auto keyMatches = [&](std::u16string_view key, int n) {
    return !key.empty() && (key == lines[static_cast<std::size_t>(n - 1)].key ||
                            (n == 27 && key == u"句末选重上屏="));
  };
  auto isKnownKey = [&](std::u16string_view key) {
    for (int n = 1; n <= kSettingsLines; ++n) {
      if (keyMatches(key, n)) return true;
    }
    return false;
  };
  bool recognised = false;
  for (std::u16string_view line : raw) recognised = recognised || isKnownKey(keyOf(line));
  if (!recognised) return false;

  for (int n = 1; n <= kSettingsLines; ++n) {
    // A line stands at its position; one moved by an added or a lost line is found by its key
    // (the k-th line of a key that two lines carry); a line whose key is no setting's is read
    // where it stands.
    std::optional<std::u16string_view> found;
    const std::size_t at = static_cast<std::size_t>(n - 1);
    if (at < raw.size() && keyMatches(keyOf(raw[at]), n)) {
      found = raw[at];
    } else {
      int occurrence = 0;
      for (int m = 1; m < n; ++m) occurrence += keyMatches(lines[static_cast<std::size_t>(m - 1)].key, n);
      for (std::u16string_view line : raw) {
        if (keyMatches(keyOf(line), n) && occurrence-- == 0) {
          found = line;
          break;
        }
      }
      if (!found && at < raw.size() && !isKnownKey(keyOf(raw[at]))) found = raw[at];
    }
    // A value that does not convert, or that the control refuses, leaves the control as it is.
    if (found) lines[at].read(valueOf(*found, readModeOf(n)), settings, comp);
    if (n == 12) settings.kxup = 1;
    if (n == 16 && (settings.wordLengthRange.size() < 3 ||
                    settings.wordLengthRange.find(u'到') == std::u16string::npos)) {
      settings.wordLengthRange = u"2到7";
    }
  }
  return true;
}

std::u16string skinRecordText(const Settings& settings) {
  std::u16string out;
  for (const auto& line : kSkinLineTable) {
    const SkinBox& box = settings.*line.box;
    out += line.key;
    switch (line.property) {
      case SkinLine::Back: out += ascii(std::to_string(box.backColour)); break;
      case SkinLine::Fore: out += ascii(std::to_string(box.foreColour)); break;
      case SkinLine::Size: out += formatNumber(box.fontSize); break;
      case SkinLine::Name: out += box.fontName; break;
    }
    out += u"\r\n";
  }
  return out;
}

void readSkinRecord(std::u16string_view text, Settings& settings) {
  std::vector<std::u16string_view> raw = splitLines(text);
  for (std::size_t n = 0; n < kSkinLines && n < raw.size(); ++n) {
    const SkinLine& line = kSkinLineTable[n];
    SkinBox& box = settings.*line.box;
    std::u16string_view value = valueOf(raw[n], ReadMode::Field);
    switch (line.property) {
      case SkinLine::Back:
      case SkinLine::Fore:
        if (auto c = toInteger(value, INT32_MIN, INT32_MAX)) {
          (line.property == SkinLine::Back ? box.backColour : box.foreColour) =
              static_cast<std::int32_t>(*c);
        }
        break;
      case SkinLine::Size:
        if (auto size = parseNumber(value); size && *size > 0 && *size < 2048) {
          box.fontSize = static_cast<float>(*size);
        }
        break;
      case SkinLine::Name:
        if (!value.empty()) box.fontName = std::u16string(value);
        break;
    }
  }
}

bool uvjl(const ProgramFolder& files, const Platform& platform, const Settings& settings,
          std::error_code* why) {
  return writeRecords(files, platform, settings, SettingsCopy::Program, why);
}

bool uvjly(const ProgramFolder& files, const Platform& platform, const Settings& settings,
           std::error_code* why) {
  return writeRecords(files, platform, settings, SettingsCopy::User, why);
}

}  // namespace yz
