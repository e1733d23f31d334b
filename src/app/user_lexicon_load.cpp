// The user lexicon at start: a supplied two-code lexicon, or the privileged code table and the
// user lexicon file, rebuilt and written back once the lexicon is complete.

#include <charconv>

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

float Lifecycle::rnd() {
  rndSeed_ = (rndSeed_ * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
  return static_cast<float>(rndSeed_) / 16777216.0f;
}

void Lifecycle::loadUserLexicon() {
  LexiconTable& user = app_.lex.userLexicon;
  const ProgramFolder& files = app_.files;
  userFileOwned_ = false;
  if (files.exists(kTwoCodeUserLexiconPath)) {
    // A supplied lexicon is the whole user lexicon; 用户词库.txt is neither read nor written.
    if (auto bytes = files.readBytes(kTwoCodeUserLexiconPath)) {
      loadFieldLexicon(app_.platform.fromGbk(*bytes), false, user);
    }
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
  if (app_.files.exists(kTwoCodeUserLexiconPath)) {
    if (auto bytes = app_.files.readBytes(kTwoCodeUserLexiconPath)) {
      loadFieldLexicon(app_.platform.fromGbk(*bytes), false, user);
    }
    return;
  }
  if (app_.settings.zrspbt == 1) readPrivilegedCodes();
  if (user.last > 0) yhckbm(user, [this] { pump(); });
  markUserEntriesDoNotSave(user);
  readUserLexiconFile();
  if (user.last > 0) yhckbm(user, [this] { pump(); });
}

std::optional<std::u16string> Lifecycle::canonicalPrivilegedCode(std::u16string_view code) {
  std::u16string body(code);
  std::u16string kept;
  if (!body.empty() && !(body.back() >= u'a' && body.back() <= u'z')) {
    kept = body.back();
    body.pop_back();
  }
  // Another shuangpin layout than 自然双拼 translates pair by pair through the layout table once
  // that table exists; until then the code stays as written.
  if (app_.mirror.fullPinyinMode == 1 && app_.comp.modifyMode == 0) {
    // Full pinyin needs the cloud text of the syllables; without an answer no code can be formed.
    return std::nullopt;
  }
  return body + kept;
}

void Lifecycle::readPrivilegedCodes() {
  PrivilegedCodeTable& table = app_.lex.privileged;
  table.privilegedCodes.assign(1, u"");
  table.privilegedWords.assign(1, u"");
  table.privilegedFlags.assign(1, u"");
  table.tqgu = 0;
  auto bytes = app_.files.readBytes(kPrivilegedCodesPath);
  if (!bytes) return;
  const std::vector<std::u16string> fields = fieldStream(app_.platform.fromGbk(*bytes));
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

void Lifecycle::readUserLexiconFile() {
  const ProgramFolder& files = app_.files;
  if (!files.exists(kUserLexiconPath)) return;
  auto bytes = files.readBytes(kUserLexiconPath);
  if (!bytes) {
    userFileOwned_ = false;  // a file that could not be read is never overwritten
    return;
  }
  const std::u16string text = app_.platform.fromGbk(*bytes);
  LexiconTable& user = app_.lex.userLexicon;
  const CharTable& fullCodes = app_.lex.charFullCodes;
  for (std::u16string_view line : splitLines(text)) {
    if (line.empty()) continue;
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

void Lifecycle::saveUserLexicon() {
  if (!userLexiconInMemory_ || !userFileOwned_) return;
  jlyhck(app_.lex.userLexicon, app_.files, app_.platform, app_.gbk,
         [this] { app_.input.composition.escjm(); });
}

}  // namespace yz
