// The system tables of the load: syllables, the per-character tables of resources 102-104, the
// main lexicon, the auxiliary codes, the single-character full codes and lexicon.

#include <memory>
#include <span>

#include "app/app.h"
#include "app/load.h"
#include "lexbuild/char_lexicon.h"
#include "lexicon/annotate.h"
#include "lexicon/image_loader.h"
#include "lexicon/syllables.h"
#include "lexicon/text_file.h"

namespace yz {

std::vector<std::u16string_view> splitResourcePieces(std::u16string_view text) {
  std::vector<std::u16string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

void loadFieldLexicon(std::u16string_view text, bool resourcePieces, LexiconTable& table) {
  auto buffer = std::make_shared<const TextBuffer>(text);
  const std::u16string_view own = buffer->view();
  std::vector<std::u16string_view> lines;
  if (resourcePieces) {
    lines = splitResourcePieces(own);
    lines.pop_back();  // the last piece carries the resource's padding
  } else {
    lines = splitLines(own);
  }
  LexiconTable fresh;
  fresh.reset();
  fresh.codes.reserve(lines.size() + 1);
  fresh.lines.reserve(lines.size() + 1);
  for (std::u16string_view line : lines) {
    if (line.empty()) continue;
    const std::size_t comma = line.find(u',');
    std::u16string_view code = line.substr(0, comma);
    std::u16string_view list;
    if (comma != std::u16string_view::npos) {
      list = line.substr(comma + 1);
      list = list.substr(0, list.find(u','));
    }
    fresh.codes.pushView(code);
    fresh.lines.pushView(list);
  }
  fresh.last = static_cast<std::int32_t>(fresh.codes.size() - 1);
  fresh.buffer = std::move(buffer);
  table = std::move(fresh);
}

bool Lifecycle::loadTables() {
  loadSyllableTables();
  loadAnnotationTables(app_.platform, app_.lex);
  loadMainLexicon();
  loadAuxCodes();
  std::vector<std::u16string> oneLetterLines;
  if (!loadFullCodes(oneLetterLines)) return false;
  loadCharLexicon(oneLetterLines);
  app_.files.remove(kCharScratchPath);
  app_.files.remove(kSortedScratchPath);
  return true;
}

void Lifecycle::loadSyllableTables() {
  std::vector<std::u16string> lines;
  if (auto bytes = readStartFile(kSyllablePairPath, kSmallTableLimit)) {
    const std::u16string text = app_.platform.fromGbk(*bytes);
    for (std::u16string_view line : splitLines(text)) lines.emplace_back(line);
  } else if (auto resource = app_.platform.resource(101)) {
    const std::u16string text = app_.platform.fromGbk(*resource);
    auto pieces = splitResourcePieces(text);
    pieces.pop_back();  // padding
    lines.assign(pieces.begin(), pieces.end());
  }
  fillSyllableTables(app_.lex, lines, [this] { pump(); });
}

void Lifecycle::loadMainLexicon() {
  LexiconTable& main = app_.lex.mainLexicon;
  const ProgramFolder& files = app_.files;
  Platform& p = app_.platform;
  // A damaged image, or one that a newer text lexicon has outdated, is rejected whole and the
  // text lexicon loads instead. The start checks only what makes the image safe to read; the
  // rest of the check runs a stretch at each tick of its timer once the start is done.
  imageCheck_.reset();
  if (imageCheckTimer_ >= 0) p.setTimer(imageCheckTimer_, kImageCheckIntervalMs, false);
  if (imageTrimTimer_ >= 0) p.setTimer(imageTrimTimer_, kImageTrimIntervalMs, false);
  std::optional<LexiconImageResult> rejected;
  if (files.exists(kLexiconImagePath)) {
    LexiconImageResult image = duqudaciku(files, p, main, &imageCheck_);
    if (image.ok) {
      if (imageTrimTimer_ < 0) imageTrimTimer_ = p.createIdleTimer([this] { trimImagePages(); });
      p.setTimer(imageTrimTimer_, kImageTrimIntervalMs, true);
      if (imageCheck_) {
        if (imageCheckTimer_ < 0) imageCheckTimer_ = p.createIdleTimer([this] { continueImageCheck(); });
        p.setTimer(imageCheckTimer_, kImageCheckIntervalMs, true);
      }
      return;
    }
    rejected = std::move(image);
  }
  loadTextLexicon(rejected);
}

void Lifecycle::continueImageCheck() {
  Platform& p = app_.platform;
  // Only between handlers: a key being handled may hold indexes into the main lexicon.
  if (stopped_ || p.handlersRunning() > 1) return;
  const std::shared_ptr<const ImageRecords>& records = app_.lex.mainLexicon.codes.records();
  const bool damaged = records && records->damaged();
  if (!damaged && imageCheck_ && !imageCheck_->step(kImageCheckBytes)) return;
  p.setTimer(imageCheckTimer_, kImageCheckIntervalMs, false);
  if (!damaged && (!imageCheck_ || imageCheck_->result().ok)) {
    imageCheck_.reset();
    return;
  }
  LexiconImageResult rejected;
  rejected.error = damaged ? "a record lies outside the image" : imageCheck_->result().error;
  imageCheck_.reset();
  loadTextLexicon(rejected);
}

void Lifecycle::trimImagePages() {
  if (stopped_ || app_.platform.handlersRunning() > 1) return;
  if (!app_.win.boxes.rtext1.text.empty() || app_.pass.lastNewKeyTime == trimmedAfterKey_) return;
  trimmedAfterKey_ = app_.pass.lastNewKeyTime;
  releaseLexiconImagePages(app_.lex.mainLexicon);
}

void Lifecycle::releaseLexiconImage() {
  if (imageCheck_) {
    while (!imageCheck_->step(kImageCheckBytes)) {
    }
    app_.platform.setTimer(imageCheckTimer_, kImageCheckIntervalMs, false);
    if (!imageCheck_->result().ok) {
      const LexiconImageResult rejected = imageCheck_->result();
      imageCheck_.reset();
      loadTextLexicon(rejected);
      return;
    }
    imageCheck_.reset();
  }
  holdLexiconImageInMemory(app_.lex.mainLexicon);
}

void Lifecycle::loadTextLexicon(const std::optional<LexiconImageResult>& rejected) {
  LexiconTable& main = app_.lex.mainLexicon;
  const ProgramFolder& files = app_.files;
  Platform& p = app_.platform;
  // Stamped before it is read: a text changed meanwhile makes a mended image stale, never wrong.
  if (const auto stamp = files.stamp(kMainLexiconPath)) {
    auto bytes = readStartFile(kMainLexiconPath, kLexiconFileLimit);
    std::optional<std::u16string> decoded;
    if (bytes) decoded = decodeTableFile(kMainLexiconPath, *bytes);
    if (decoded) {
      const TextLexiconResult text = parseLexiconText(*decoded, main);
      if (!text.badLines.empty()) {
        p.messageBox(badLexiconLinesMessage(text.badLines), u"", MessageBoxKind::Ok);
      }
      if (main.last == 0 && rejected && rejected->stale && keepSoundImage(u"中没有一条词")) return;
      if (rejected) mendLexiconImage(*rejected, *stamp);
      return;
    }
  }
  // An unreadable text lexicon never outweighs a sound image made from an earlier one.
  if (rejected && rejected->stale && keepSoundImage(u"读不出")) return;
  if (rejected && !rejected->stale) {
    tellOnce(std::u16string(kLexiconImagePath) + u" 已损坏，没有使用它。");
  }
  if (auto resource = p.resource(105)) loadFieldLexicon(p.fromGbk(*resource), true, main);
}

bool Lifecycle::keepSoundImage(std::u16string_view what) {
  const auto bytes = app_.files.readBytes(kLexiconImagePath, kLexiconImageLimit);
  if (!bytes) return false;
  LexiconTable image;
  image.reset();
  if (!readLexiconImage(std::as_bytes(std::span(bytes->data(), bytes->size())), image).ok) return false;
  app_.lex.mainLexicon = std::move(image);
  tellOnce(std::u16string(kMainLexiconPath) + u" " + std::u16string(what) + u"，本次沿用 " +
           std::u16string(kLexiconImagePath) + u" 中的词库，没有改动它。");
  return true;
}

void Lifecycle::mendLexiconImage(const LexiconImageResult& rejected, const LexiconSourceStamp& text) {
  std::error_code why;
  const bool rebuilt = app_.files.writeBytes(
      kLexiconImagePath, encodeLexiconImage(app_.lex.mainLexicon, text), &why);
  if (rejected.stale) return;  // an outdated image is renewed without a word
  std::u16string message = std::u16string(kLexiconImagePath) + u" 已损坏，本次改用 " +
                           std::u16string(kMainLexiconPath);
  message += rebuilt ? u"，并已重新生成它。" : u"；重新生成它没有成功：" + writeFailureReason(why) + u"。";
  tellOnce(message);
}

void Lifecycle::loadAuxCodes() {
  const Settings& s = app_.settings;
  std::u16string_view path;
  if (s.hxfvm.marked()) path = u"内置文件\\鹤形辅助码.txt";
  if (s.diyfvm.marked()) path = u"用户diy文件\\自定义辅助码.txt";
  if (s.jjfvm.marked()) path = u"内置文件\\偏旁辅助码.txt";
  if (s.wbhfvm.marked()) path = u"内置文件\\笔画辅助码.txt";
  if (s.zrmfvm.marked()) path = u"内置文件\\自然码辅助码.txt";
  if (path.empty()) return;
  auto bytes = readStartFile(path, kSmallTableLimit);
  if (!bytes) return;
  const std::u16string text = app_.platform.fromGbk(*bytes);
  for (std::u16string_view line : splitLines(text)) {
    auto fields = splitFields(line, u',');
    if (fields.size() < 2 || fields[0].empty()) continue;
    app_.lex.charAuxCodes.set(app_.gbk.charIndex(fields[0][0]), fields[1]);
  }
}

bool Lifecycle::loadFullCodes(std::vector<std::u16string>& oneLetterLines) {
  LexiconState& lex = app_.lex;
  Platform& p = app_.platform;
  const Settings& s = app_.settings;
  lex.charFullCodes.clear();
  ReadFailure why = ReadFailure::None;
  const auto bytes = app_.files.readBytes(kFullCodesPath, kSmallTableLimit, &why);
  if (why == ReadFailure::TooLarge) {
    p.messageBox(oversizedFileMessage(kFullCodesPath, app_.files.size(kFullCodesPath).value_or(0)) +
                     u"程序无法启动。",
                 u"", MessageBoxKind::Ok);
    return false;
  }
  if (!bytes) {
    p.messageBox(u"找不到内置文件\\单字全码.txt,你是否仅安装了主程序而没有配套的词库文件？请检查！", u"",
                 MessageBoxKind::Ok);
    return false;
  }
  const std::u16string text = p.fromGbk(*bytes);
  const bool auxChanged = app_.mirror.auxSchemeChanged;
  double weight = 100;
  std::u16string code;  // reused from line to line
  bool sound = true;
  forEachLine(text, [&](std::u16string_view line) {
    // "code,character[,...]"
    const std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) return true;
    const std::u16string_view rest = line.substr(comma + 1);
    code.assign(line.substr(0, comma));
    std::u16string_view character = rest.substr(0, rest.find(u','));
    if (s.zm.marked()) character = character.substr(0, 1);
    if (code.empty() || character.empty()) return true;
    if (code.size() == 1) {
      weight += 0.001;
      oneLetterLines.push_back(oneLetterScratchLine(code, character, weight));
      return true;
    }
    const auto slot = static_cast<std::size_t>(app_.gbk.charIndex(character[0]));
    const std::u16string_view aux = lex.charAuxCodes[slot];
    if (!aux.empty() && auxChanged) code.replace(2, std::u16string::npos, aux);
    if (character.size() > 1) return true;
    if (app_.gbk.codeOf(code[0]) > 0xFF) {
      p.messageBox(std::u16string(kFullCodesPath) + code + u"  " + std::u16string(character) +
                       u"是否有误？请检查！",
                   u"", MessageBoxKind::Ok);
      sound = false;
      return false;
    }
    std::erase(code, u' ');
    if (s.xmur && code.size() > 2 && (aux.empty() || !auxChanged)) {
      lex.charAuxCodes.set(slot, std::u16string_view(code).substr(2, 2));
    }
    if (code.size() > lex.charFullCodes[slot].size()) lex.charFullCodes.set(slot, code);
    return true;
  });
  return sound;
}

void Lifecycle::loadCharLexicon(const std::vector<std::u16string>& oneLetterLines) {
  const ProgramFolder& files = app_.files;
  Platform& p = app_.platform;
  std::optional<std::u16string> text;
  std::u16string damage;  // what is wrong with the file found, for the message
  std::optional<std::string> damagedBytes;
  bool regenerate = !files.exists(kCharLexiconPath) || app_.mirror.auxSchemeChanged;
  if (!regenerate) {
    ReadFailure why = ReadFailure::None;
    std::optional<std::string> bytes = files.readBytes(kCharLexiconPath, kLexiconFileLimit, &why);
    if (bytes) {
      text = p.fromGbk(*bytes);
      damage = charLexiconDamage(*text);
      if (!damage.empty() && !bytes->empty()) damagedBytes = std::move(bytes);
    } else {
      damage = why == ReadFailure::TooLarge ? u"远远超出正常大小" : u"无法读出";
    }
    regenerate = !damage.empty();
  }
  if (regenerate) {
    // A damaged file the user may have edited by hand is kept aside (the first one only).
    bool kept = false;
    if (damagedBytes) {
      kept = files.exists(kDamagedCharLexiconCopy) ||
             files.writeBytes(kDamagedCharLexiconCopy, *damagedBytes);
    }
    writeGbkLines(files, p, kCharScratchPath, oneLetterLines);
    const CharLexiconResult made = regenerateCharLexicon(
        files, p, app_.lex, app_.gbk, app_.settings.vxbf.marked(), [this] { pump(); });
    app_.mirror.auxSchemeChanged = false;
    if (!damage.empty()) {
      std::u16string message = std::u16string(kCharLexiconPath) + u" " + damage;
      if (made.ok) {
        message += u"，已重新生成";
        if (kept) message += u"；原文件另存为 " + std::u16string(kDamagedCharLexiconCopy);
        message += u"。";
      } else {
        message += u"，重新生成也没有成功，单字可能打不出来。";
      }
      tellOnce(message);
    }
    // The new file is committed with the settings; the user lexicon is not in memory yet and
    // is not written.
    csqid();
    if (made.ok) text.reset();
  }
  LexiconTable& table = app_.lex.charLexicon;
  if (!text) {
    if (auto bytes = files.readBytes(kCharLexiconPath, kLexiconFileLimit)) text = p.fromGbk(*bytes);
  }
  if (text) {
    loadFieldLexicon(*text, false, table);
  } else {
    table.reset();
  }
}

std::u16string fullCodesRefusal(const ProgramFolder& files, const Platform& platform, const GbkTable& gbk,
                                bool firstCharOnly) {
  ReadFailure why = ReadFailure::None;
  const auto bytes = files.readBytes(kFullCodesPath, kSmallTableLimit, &why);
  if (why == ReadFailure::TooLarge) {
    return oversizedFileMessage(kFullCodesPath, files.size(kFullCodesPath).value_or(0)) + u"程序无法启动。";
  }
  if (!bytes) return u"找不到内置文件\\单字全码.txt";
  const std::u16string text = platform.fromGbk(*bytes);
  for (std::u16string_view line : splitLines(text)) {
    const std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) continue;
    const std::u16string_view code = line.substr(0, comma);
    const std::u16string_view rest = line.substr(comma + 1);
    std::u16string_view character = rest.substr(0, rest.find(u','));
    if (firstCharOnly) character = character.substr(0, 1);
    if (code.size() < 2 || character.size() != 1) continue;
    if (gbk.codeOf(code[0]) > 0xFF) {
      return std::u16string(kFullCodesPath) + std::u16string(code) + u"  " + std::u16string(character) +
             u"是否有误？请检查！";
    }
  }
  return {};
}

std::u16string charLexiconDamage(std::u16string_view text) {
  std::int32_t lineNo = 0;
  std::int32_t entries = 0;
  std::u16string_view previous;  // the last line: the file is sorted line by line
  auto atLine = [&lineNo](std::u16string_view what) {
    const std::string n = std::to_string(lineNo);
    return u"第 " + std::u16string(n.begin(), n.end()) + u" 行" + std::u16string(what);
  };
  for (std::u16string_view line : splitLines(text)) {
    ++lineNo;
    if (line.empty()) continue;
    const std::size_t comma = line.find(u',');
    if (comma == 0 || comma == std::u16string_view::npos) return u"已损坏（" + atLine(u"有误") + u"）";
    const std::u16string_view code = line.substr(0, comma);
    const std::u16string_view list = line.substr(comma + 1);
    bool sound = !list.empty() && line.find(u'\uFFFD') == std::u16string_view::npos;
    for (char16_t c : code) sound = sound && c > u' ';
    if (!sound) return u"已损坏（" + atLine(u"有误") + u"）";
    if (entries > 0 && line < previous) return u"已损坏（" + atLine(u"次序错乱") + u"）";
    previous = line;
    ++entries;
  }
  if (entries == 0) return u"是空的";
  // The regeneration ends every line with its break: a last line without one was cut off.
  if (!text.ends_with(u'\n')) return u"已损坏（" + atLine(u"不完整") + u"）";
  return {};
}

}  // namespace yz
