#include "analyzer/word_maker.h"

#include <algorithm>
#include <string>

#include "analyzer/word_frequency.h"
#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/services.h"

namespace yz {

namespace {

constexpr std::u16string_view kCaption = u"文章学习造词器：通过大量文章语料学习，快速生成自己的词库！";
constexpr std::u16string_view kStatisticsRunning = u"文章造词结束，现在进行词频统计，请稍候.....";
constexpr std::u16string_view kFinished =
    u"      文章学习造词及词频统计结束，结果保存在“赛文资料\\两码整句造词词频结果.txt”中。关闭Vexim后，"
    u"可将该结果拷贝到“用户diy文件\\用户词库.txt”中，然后重启输入法，用整句识别分析器考察自造词效果。";

std::u16string trimSpaces(std::u16string_view text) {
  std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  return std::u16string(text.substr(first, text.find_last_not_of(u' ') - first + 1));
}

std::u16string replaceAll(std::u16string text, std::u16string_view from, std::u16string_view to) {
  std::u16string out;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(from, start)) != std::u16string::npos; start = at + from.size()) {
    out.append(text, start, at - start);
    out += to;
  }
  out.append(text, start);
  return out;
}

std::int32_t wordsConverted(const ConversionState& conversion) {
  return std::clamp<std::int32_t>(conversion.wordCounter, 0, kMaxSentenceWords);
}

// Creates an empty file where none is (a file opened for appending), keeping an existing one.
bool ensureFile(const WordMakerContext& ctx, std::u16string_view relative) {
  return ctx.files.exists(relative) || ctx.files.writeBytes(relative, "");
}

// Appends lines to a file (through a rewrite of the whole file, so nothing is lost on failure).
bool appendLines(const WordMakerContext& ctx, std::u16string_view relative,
                 const std::vector<std::u16string>& lines) {
  if (lines.empty()) return ensureFile(ctx, relative);
  std::string bytes = ctx.files.readBytes(relative).value_or(std::string{});
  if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
  bytes += ctx.platform.toGbk(joinLines(lines));
  return ctx.files.writeBytes(relative, bytes);
}

std::u16string percentText(std::uint64_t part, std::uint64_t whole) {
  std::uint64_t percent = whole == 0 ? 100 : part * 100 / whole;
  std::string digits = std::to_string(percent) + "%";
  return std::u16string(digits.begin(), digits.end());
}

bool fileMode(WordMakerContext& ctx) {
  ctx.race.showMadeWords = 0;
  if (!ensureFile(ctx, kWordMakerResultPath)) return false;
  const std::optional<std::u16string> article = readRaceText(ctx.files, ctx.platform);
  if (!article) return false;

  // Phase 1: the article cut into segments.
  std::vector<std::u16string> segments;
  std::uint64_t writtenChars = 0;
  for (std::u16string_view line : splitLines(*article)) {
    ctx.pump();
    if (line.empty()) continue;
    for (auto& piece : codablePieces(line, ctx.hasFullCode)) {
      if (piece.size() < 2) continue;
      for (auto& segment : cutPiece(ctx, std::move(piece))) {
        writtenChars += segment.size();
        segments.push_back(std::move(segment));
      }
    }
  }
  if (!writeGbkLines(ctx.files, ctx.platform, kRaceSegmentPath, segments)) return false;
  ctx.view.caption = std::u16string(kCaption);

  // Phase 2: every segment processed; the made words kept for the result file.
  if (!writeGbkLines(ctx.files, ctx.platform, kRaceReportPath, {})) return false;
  if (!ensureFile(ctx, kUserLexiconDiyPath)) return false;
  ctx.setInputTimer(false);
  std::vector<std::u16string> madeLines;
  std::uint64_t readChars = 0;
  for (const auto& segment : segments) {
    ctx.pump();
    ctx.race.raceSentence = segment;
    readChars += segment.size();
    for (const auto& word : processSegment(ctx, segment)) madeLines.push_back(word + u",1");
    ctx.view.text3 = percentText(readChars, writtenChars);
  }
  ctx.view.text3 = u"100%";
  ctx.setInputTimer(true);
  if (!appendLines(ctx, kWordMakerResultPath, madeLines)) return false;
  ctx.view.text1 = std::u16string(kStatisticsRunning);
  bool written = wvzccipn(ctx.files, ctx.platform, ctx.pump);
  ctx.view.text1 = std::u16string(kFinished);
  return written;
}

bool boxMode(WordMakerContext& ctx) {
  ctx.race.showMadeWords = -1;
  bool resultFile = ensureFile(ctx, kWordMakerResultPath);
  std::u16string text = classifyCharacters(replaceAll(ctx.view.text1, u"\r\n", u""), ctx.hasFullCode);
  std::u16string segment = replaceAll(text, u",", u"");
  // A text without a codable character has nothing to convert or compare.
  if (!segment.empty()) processSegment(ctx, segment);
  return resultFile;
}

}  // namespace

std::u16string classifyCharacters(std::u16string_view line, const std::function<bool(char16_t)>& hasFullCode) {
  std::u16string out(line);
  for (char16_t& c : out) {
    if ((c >= u'0' && c <= u'9') || c == u' ' || !hasFullCode(c)) c = u',';
  }
  return out;
}

std::vector<std::u16string> codablePieces(std::u16string_view line,
                                          const std::function<bool(char16_t)>& hasFullCode) {
  std::u16string text = classifyCharacters(line, hasFullCode);
  std::vector<std::u16string> pieces;
  for (std::u16string_view field : splitFields(text, u',')) {
    if (!field.empty()) pieces.emplace_back(field);
  }
  return pieces;
}

std::vector<std::u16string> cutPiece(WordMakerContext& ctx, std::u16string piece) {
  std::vector<std::u16string> segments;
  ConversionState& conv = ctx.conversion;
  // Every pass drops at least one character, so the loop ends.
  while (piece.size() > kSegmentMaxChars) {
    conv.wordCounter = 0;
    conv.wordIndex = 0;
    for (auto& word : conv.wordTable) word = SentenceWord{};
    ctx.engine.convert(ctx.engine.cuttingCode(piece));
    std::size_t sum = 0;
    std::size_t cut = 0;
    for (std::int32_t k = 1; k <= wordsConverted(conv); ++k) {
      std::size_t length = conv.wordTable[static_cast<std::size_t>(k)].text.size();
      sum += length;
      if (sum > kSegmentMaxChars) {
        cut = sum - length;
        break;
      }
    }
    if (sum <= kSegmentMaxChars) break;  // the conversion covered no more than 25 characters
    // A first word longer than 25 characters: cut at 25 so the piece shrinks.
    if (cut == 0) cut = kSegmentMaxChars;
    segments.push_back(piece.substr(0, cut));
    piece.erase(0, cut);
  }
  if (piece.size() >= static_cast<std::size_t>(std::max(0, conv.wordMinLen))) segments.push_back(piece);
  return segments;
}

std::vector<std::u16string> processSegment(WordMakerContext& ctx, const std::u16string& segment) {
  RaceState& race = ctx.race;
  ConversionState& conv = ctx.conversion;
  race.raceCommittedText = trimSpaces(segment);
  race.raceCode = ctx.engine.segmentCode(race.raceCommittedText);

  conv.wordCounter = 0;
  ctx.pendingCommand = kPendingNone;
  race.raceMode = 0;
  const std::u16string normal = ctx.engine.convert(race.raceCode);

  conv.wordCounter = 0;
  ctx.pendingCommand = kPendingWordMaking;
  ctx.engine.convert(race.raceCode);
  ctx.pendingCommand = kPendingNone;

  // Both texts cut at the word ends of the word-making conversion.
  race.raceCommittedPieces.clear();
  race.raceResultPieces.clear();
  std::size_t p = 0;
  for (std::int32_t k = 1; k <= wordsConverted(conv); ++k) {
    std::size_t length = conv.wordTable[static_cast<std::size_t>(k)].text.size();
    std::size_t start = p;
    p += length;
    race.raceCommittedPieces += u' ';
    if (start < segment.size()) race.raceCommittedPieces += segment.substr(start, length);
    race.raceResultPieces += u' ';
    if (start < normal.size()) race.raceResultPieces += normal.substr(start, length);
  }
  race.raceSentence = segment;
  race.raceCommittedPieces = trimSpaces(race.raceCommittedPieces);
  race.raceResultPieces = trimSpaces(race.raceResultPieces);
  ctx.view.text1 = race.raceCommittedPieces + u"\r\n" + race.raceResultPieces;
  race.raceMarkedText = race.raceCommittedPieces;

  ctx.pendingCommand = kPendingLearnMarked;
  std::vector<std::u16string> made = ctx.engine.compareAndMakeWords();
  ctx.view.text1 = trimSpaces(race.raceMarkedText) + u"\r\n" + trimSpaces(race.raceResultPieces) + u"\r\n";

  std::vector<std::u16string> kept;
  for (auto& word : made) {
    if (race.wordMakerMode == 1 && (word.size() < static_cast<std::size_t>(std::max(0, conv.wordMinLen)) ||
                                    word.size() > static_cast<std::size_t>(std::max(0, conv.wordMaxLen)))) {
      continue;
    }
    if (race.showMadeWords == -1) {
      ctx.view.text1 += u"  " + word;
      ctx.learning.zdzyhc(word);
    }
    kept.push_back(std::move(word));
  }
  return kept;
}

bool makeWordsFromArticle(WordMakerContext& ctx) {
  ctx.race.raceMode = 1;
  ctx.setInputTimer(false);
  ctx.race.wordMakerMode = 1;
  const bool fromFile = ctx.view.text1.empty();
  const bool done = fromFile ? fileMode(ctx) : boxMode(ctx);
  // Typing goes on under the ordinary lookup rules, also after a run with nothing to convert.
  ctx.race.raceMode = 0;
  // A file-mode run that stopped early gives typing its input timer back, as a finished one does.
  if (fromFile && !done) ctx.setInputTimer(true);
  return done;
}

}  // namespace yz
