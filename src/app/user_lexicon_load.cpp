// The user lexicon at start: a supplied two-code lexicon, or the privileged code table and the
// user lexicon file, rebuilt and written back once the lexicon is complete.

#include <charconv>
#include <filesystem>

#include "app/app.h"
#include "app/load.h"
#include "lexicon/user_store.h"

namespace yz {
namespace {

// A weight as the runtime writes a single-precision number: up to seven significant digits.
std::u16string formatWeight(float value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
  if (ec != std::errc()) return u"0";
  return std::u16string(buffer, end);
}

std::optional<float> parseWeight(std::u16string_view text) {
  std::string s;
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    s.push_back(static_cast<char>(c));
  }
  while (!s.empty() && s.front() == ' ') s.erase(s.begin());
  while (!s.empty() && s.back() == ' ') s.pop_back();
  float value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// The fields of a privileged code file: a comma or a line end closes a field, a double-quoted
// field may hold a comma and loses its quotes; blank lines hold no field.
std::vector<std::u16string> fieldStream(std::u16string_view text) {
  std::vector<std::u16string> fields;
  std::u16string field;
  bool quoted = false, open = false;
  for (char16_t c : text) {
    if (quoted) {
      if (c == u'"') quoted = false;
      else field.push_back(c);
      continue;
    }
    if (c == u'"' && field.empty()) {
      quoted = open = true;
    } else if (c == u',' || c == u'\n') {
      if (open || c == u',') fields.push_back(std::move(field));
      field.clear();
      open = false;
    } else if (c != u'\r') {
      field.push_back(c);
      open = true;
    }
  }
  if (open) fields.push_back(std::move(field));
  return fields;
}

void appendEntry(LexiconTable& table, std::u16string_view code, std::u16string_view line) {
  table.codes.push(code);
  table.lines.push(line);
  ++table.last;
}

}  // namespace

float Lifecycle::rnd() { return app_.learningState.rnd(); }

void Lifecycle::loadUserLexicon() {
  LexiconTable& user = app_.lex.userLexicon;
  const ProgramFolder& files = app_.files;
  userFileOwned_ = false;
  if (files.exists(kTwoCodeUserLexiconPath)) {
    loadSuppliedLexicon(true);
    userLexiconInMemory_ = true;
    return;
  }
  userFileOwned_ = true;
  if (app_.settings.zrspbt == 1) readPrivilegedCodes();
  if (user.last > 0) yhckbm(user, [this] { pump(); });
  // What came before the user file lives in memory only.
  markUserEntriesDoNotSave(user);
  readUserLexiconFile();
  if (user.last > 0) yhckbm(user, [this] { pump(); });
  userLexiconInMemory_ = true;
  saveUserLexicon();
}

void Lifecycle::rebuildUserLexicon() {
  LexiconTable& user = app_.lex.userLexicon;
  user.reset();
  // The privileged codes live in memory only: a later save leaves them out of the file.
  readPrivilegedCodes();
  markUserEntriesDoNotSave(user);
  std::optional<std::string> bytes;
  if (app_.files.exists(kUserLexiconPath)) bytes = app_.files.readBytes(kUserLexiconPath, kUserLexiconLimit);
  const std::u16string text = bytes ? decodeUserText(*bytes, app_.platform).text : std::u16string();
  const CharTable& fullCodes = app_.lex.charFullCodes;
  const auto randomWeight = [this](float base) { return formatWeight(rnd() * 10 + base); };
  for (std::u16string_view line : splitLines(text)) {
    if (line.empty()) continue;
    const bool spaced = line.find(u' ') != std::u16string_view::npos;
    if (const std::size_t comma = line.find(u','); comma != std::u16string_view::npos) {
      std::u16string list(line.substr(comma + 1));
      if (!spaced) list += u" " + randomWeight(100);
      appendEntry(user, line.substr(0, comma), list);
      continue;
    }
    const std::size_t blank = line.find(u' ');
    const std::u16string_view word = line.substr(0, blank);
    const std::u16string weight = spaced ? std::u16string(line.substr(blank + 1)) : randomWeight(100);
    // A character without a full code is left out of the word's code.
    std::u16string codable;
    for (char16_t ch : word) {
      if (!fullCodes[static_cast<std::size_t>(app_.gbk.charIndex(ch))].empty()) codable.push_back(ch);
    }
    std::u16string code, pinyin;
    if (!codable.empty()) app_.input.context.citcbmma(codable, code, pinyin);
    if (code.empty()) continue;
    const std::u16string entry = std::u16string(word) + u" ";
    appendEntry(user, code, entry + weight);
    if (code.size() > 7) {
      // The initials are the letters at the odd places of the code.
      std::u16string initials;
      for (std::size_t i = 0; i < code.size(); i += 2) initials.push_back(code[i]);
      appendEntry(user, initials.substr(0, 3) + code.substr(code.size() - 2), entry + randomWeight(140));
      appendEntry(user, initials, entry + randomWeight(140));
    }
  }
  if (user.last > 0) yhckbm(user, [this] { pump(); });
}

void Lifecycle::loadSuppliedLexicon(bool firstLoad) {
  LexiconTable& user = app_.lex.userLexicon;
  const ProgramFolder& files = app_.files;
  if (auto bytes = readStartFile(kTwoCodeUserLexiconPath, kLexiconFileLimit)) {
    loadFieldLexicon(app_.platform.fromGbk(*bytes), false, user);
  }
  // The supplied lexicon and the words learned with it are saved into 用户词库.txt and read
  // again beside it. The first time, the user's own 用户词库.txt is set aside once (an empty
  // copy when there was none), and it does not join the lexicon in memory.
  if (files.exists(kUserLexiconBeforeSuppliedPath)) {
    userFileOwned_ = true;
    readUserLexiconFile();
    if (user.last > 0) yhckbm(user, [this] { pump(); });
    return;
  }
  if (!firstLoad) return;
  std::error_code why;
  const std::optional<std::string> previous =
      files.exists(kUserLexiconPath) ? files.readBytes(kUserLexiconPath) : std::string();
  if (!previous) {
    tellOnce(std::u16string(kUserLexiconPath) + u" 无法读入。程序不会改写它，本次新造的词也不会保存。");
    return;
  }
  if (!files.writeBytes(kUserLexiconBeforeSuppliedPath, *previous, &why)) {
    tellOnce(u"用户词库没能另存一份（" + writeFailureReason(why) + u"），所以本次新造的词不会保存。");
    return;
  }
  userFileOwned_ = true;
  tellOnce(std::u16string(kTwoCodeUserLexiconPath) + u" 用作用户词库：它和新造的词存入 " +
           std::u16string(kUserLexiconPath) + u"，下次启动一并读入；原来的 " +
           std::u16string(kUserLexiconPath) + u" 保留为 " +
           std::u16string(kUserLexiconBeforeSuppliedPath) + u"。");
}

std::optional<std::u16string> Lifecycle::canonicalPrivilegedCode(std::u16string_view code) {
  std::u16string body(code);
  std::u16string kept;
  if (!body.empty() && !(body.back() >= u'a' && body.back() <= u'z')) {
    kept = body.back();
    body.pop_back();
  }
  const Settings& s = app_.settings;
  if (s.ymur && !s.zrhx.marked() && !s.qrpn.marked()) {
    // Another shuangpin layout: each pair of keys, and a last lone key, through the layout
    // table; a piece without an entry stays as written.
    const LayoutTable& layout = app_.lex.layoutTable;
    std::u16string translated;
    for (std::size_t i = 0; i < body.size(); i += 2) {
      const bool pair = i + 1 < body.size();
      const std::u16string& cell = layout.at(body[i], pair ? body[i + 1] : char16_t{0});
      translated += cell.empty() ? body.substr(i, pair ? 2 : 1) : cell;
    }
    body = translated;
  }
  if (app_.mirror.fullPinyinMode == 1 && app_.comp.modifyMode == 0) {
    // Full pinyin: the code of the cloud's text for the letters; without an answer only the
    // character set aside is left.
    app_.pass.bmstr = body;
    app_.webServices->yuuqp();
    std::u16string pinyin;
    body.clear();
    app_.input.context.citcbmma(app_.web.cloudText, body, pinyin);
  }
  return body + kept;
}

void Lifecycle::readPrivilegedCodes() {
  PrivilegedCodeTable& table = app_.lex.privileged;
  table.privilegedCodes.assign(1, u"");
  table.privilegedWords.assign(1, u"");
  table.privilegedFlags.assign(1, u"");
  table.tqgu = 0;
  auto bytes = readStartFile(kPrivilegedCodesPath, kSmallTableLimit);
  if (!bytes) return;
  const std::optional<std::u16string> text = decodeTableFile(kPrivilegedCodesPath, *bytes);
  if (!text) return;
  const std::vector<std::u16string> fields = fieldStream(*text);
  LexiconTable& user = app_.lex.userLexicon;
  for (std::size_t f = 0; f < fields.size(); f += 3) {
    const std::u16string& rawCode = fields[f];
    const std::u16string word = f + 1 < fields.size() ? fields[f + 1] : u"";
    std::u16string flag = f + 2 < fields.size() ? fields[f + 2] : u"";
    auto code = canonicalPrivilegedCode(rawCode);
    if (!code || code->empty() || word.empty()) {
      ++skippedPrivilegedCodes_;
      continue;
    }
    if (flag == u"*") {
      flag = app_.lex.charFullCodes[static_cast<std::size_t>(app_.gbk.charIndex(word[0]))].substr(0, 2);
    }
    if (code->back() == u'_') table.yjjmcn += word;
    table.privilegedCodes.push_back(*code);
    table.privilegedWords.push_back(word);
    table.privilegedFlags.push_back(flag);
    appendEntry(user, *code, word + u" 1");
  }
  table.tqgu = static_cast<std::int32_t>(table.privilegedCodes.size() - 1);
}

std::optional<std::u16string> Lifecycle::decodeTableFile(std::u16string_view path, const std::string& bytes) {
  DecodedText decoded = decodeUserText(bytes, app_.platform);
  if (decoded.encoding != TextEncoding::Unclean) return std::move(decoded.text);
  tellOnce(std::u16string(path) + u" 不是 GBK、UTF-8 或 UTF-16 编码，有些字无法正确读出，没有使用它。"
                                  u"请把它另存为 ANSI（GBK）编码后重新启动。");
  return std::nullopt;
}

void Lifecycle::readUserLexiconFile() {
  const ProgramFolder& files = app_.files;
  std::error_code ec;
  if (!std::filesystem::exists(files.path(kUserLexiconPath), ec)) return;
  ReadFailure why = ReadFailure::None;
  std::optional<std::string> bytes = files.readBytes(kUserLexiconPath, kUserLexiconLimit, &why);
  if (!bytes) {
    userFileOwned_ = false;  // a file that could not be read is never overwritten
    std::u16string message =
        why == ReadFailure::TooLarge
            ? oversizedFileMessage(kUserLexiconPath, files.size(kUserLexiconPath).value_or(0))
            : std::u16string(kUserLexiconPath) + u" 无法读入。";
    tellOnce(message + u"程序不会改写它，本次新造的词也不会保存。");
    return;
  }
  DecodedText decoded = decodeUserText(*bytes, app_.platform);
  if (decoded.encoding == TextEncoding::Unclean) {
    // Words read wrongly would be saved wrongly: the file stays exactly as it is.
    userFileOwned_ = false;
    tellOnce(std::u16string(kUserLexiconPath) +
             u" 不是 GBK 编码，有些字无法正确读出。为免丢词，程序不会改写它，本次新造的词也不会保存。"
             u"请把它另存为 ANSI（GBK）编码后重新启动。");
  } else if (decoded.encoding != TextEncoding::Gbk) {
    // Read in its own encoding and saved as GBK at the end of the load, the original kept beside it.
    std::error_code why;
    const std::u16string copy = keepOriginalUserLexicon(*bytes, decoded.encoding, why);
    const std::u16string name = std::u16string(encodingName(decoded.encoding));
    if (copy.empty()) {
      userFileOwned_ = false;
      tellOnce(std::u16string(kUserLexiconPath) + u" 是 " + name + u" 编码；原文件没能另存一份（" +
               writeFailureReason(why) + u"），所以不改存为 GBK，本次新造的词也不会保存。");
    } else {
      tellOnce(std::u16string(kUserLexiconPath) + u" 是 " + name +
               u" 编码，已按原编码读入并改存为 GBK 编码；原文件保留为 " + copy + u"。");
    }
  }
  const std::u16string& text = decoded.text;
  LexiconTable& user = app_.lex.userLexicon;
  const CharTable& fullCodes = app_.lex.charFullCodes;
  for (std::u16string_view line : splitLines(text)) {
    if (line.empty()) continue;
    if (line.find(u'\uFFFD') != std::u16string_view::npos) continue;  // bytes that read as nothing
    const std::size_t comma = line.find(u',');
    if (comma == 0) continue;
    if (comma != std::u16string_view::npos) {
      const std::u16string_view rest = line.substr(comma + 1);
      std::u16string list(rest);
      if (line.find(u' ') == std::u16string_view::npos) list += u" 0" + formatWeight(80 + rnd() * 10);
      appendEntry(user, line.substr(0, comma), list);
      continue;
    }
    // A word, with or without its weight.
    std::u16string_view word = line;
    std::optional<float> weight;
    if (const std::size_t blank = line.find(u' '); blank != std::u16string_view::npos) {
      weight = parseWeight(line.substr(blank + 1));
      if (weight) word = line.substr(0, blank);
    }
    bool codable = true;
    for (char16_t ch : word) {
      codable = codable && !fullCodes[static_cast<std::size_t>(app_.gbk.charIndex(ch))].empty();
    }
    if (!codable || word.empty()) continue;
    std::u16string code, pinyin;
    app_.input.context.citcbmma(word, code, pinyin);
    if (code.empty()) continue;
    const float w = weight ? *weight : 80 + rnd() * 10;
    appendEntry(user, code, std::u16string(word) + u" " + formatWeight(w));
  }
}

std::u16string Lifecycle::keepOriginalUserLexicon(const std::string& bytes, TextEncoding encoding,
                                                  std::error_code& why) {
  const std::u16string stem = encoding == TextEncoding::Utf8 ? u"用户diy文件\\用户词库-UTF8原文件"
                                                              : u"用户diy文件\\用户词库-UTF16原文件";
  // A copy kept at an earlier start is never replaced: the next free name takes this one.
  for (int n = 1; n <= 99; ++n) {
    std::u16string path = stem;
    if (n > 1) {
      const std::string digits = std::to_string(n);
      path.append(digits.begin(), digits.end());
    }
    path += u".txt";
    if (!app_.files.exists(path)) return app_.files.writeBytes(path, bytes, &why) ? path : u"";
    if (app_.files.readBytes(path) == bytes) return path;
  }
  why = std::make_error_code(std::errc::file_exists);
  return {};
}

void Lifecycle::saveUserLexicon() {
  if (!userLexiconInMemory_ || !userFileOwned_) return;
  const UserWriteResult written = jlyhck(app_.lex.userLexicon, app_.files, app_.platform, app_.gbk,
                                         [this] { app_.input.composition.escjm(); });
  if (written.ok) {
    saveFailureShown_ = false;
    return;
  }
  // Said once, not at every later save that fails the same way.
  if (saveFailureShown_) return;
  saveFailureShown_ = true;
  app_.platform.messageBox(u"用户词库没能保存到 " + std::u16string(kUserLexiconPath) + u"：" +
                               writeFailureReason(written.why) +
                               u"。原来的文件没有改动，新造的词还没有存下。",
                           u"砚舟Vexim输入法", MessageBoxKind::Ok);
}

}  // namespace yz
