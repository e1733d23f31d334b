#include "analyzer/analyzer.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "app/app.h"
#include "app/load.h"
#include "lexicon/encoder.h"
#include "lexicon/files.h"
#include "ui/status_bar.h"
#include "web/net.h"
#include "web/web_queries.h"

namespace yz {

namespace {

inline constexpr int kVkSpace = 32;

std::u16string trimSpaces(std::u16string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && s[b] == u' ') ++b;
  while (e > b && s[e - 1] == u' ') --e;
  return std::u16string(s.substr(b, e - b));
}

std::u16string decimal(std::int64_t n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

}  // namespace

std::vector<std::u16string> cutRacePieces(std::u16string_view line,
                                          const std::function<bool(char16_t)>& codable,
                                          std::size_t shortest, std::size_t longest) {
  std::vector<std::u16string> pieces;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && !codable(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && codable(line[i])) ++i;
    const std::size_t n = i - start;
    const std::u16string_view piece = line.substr(start, n);
    // A run of codable signs alone (full-width letters, marks) is no sentence to race.
    const bool chinese = std::any_of(piece.begin(), piece.end(), [](char16_t ch) {
      return (ch >= 0x4E00 && ch <= 0x9FFF) || (ch >= 0x3400 && ch <= 0x4DBF);
    });
    if (n >= shortest && n <= longest && chinese) pieces.emplace_back(piece);
  }
  return pieces;
}

bool Analyzer::codable(char16_t ch) const {
  return !app_.lex.charFullCodes[static_cast<std::size_t>(app_.gbk.charIndex(ch))].empty();
}

void Analyzer::pump() { app_.platform.doEvents(); }

void Analyzer::wait(int ms) { app_.input.committer.delay(ms); }

void Analyzer::clearWordState() {
  app_.conv.wordCounter = 0;
  app_.conv.wordIndex = 0;
  app_.conv.hzixb.clear();
  app_.pass.hjzi0.clear();
  app_.conv.eraseWordTable();
}

std::vector<std::u16string> Analyzer::cutRaceText() {
  std::vector<std::u16string> pieces;
  const std::optional<std::u16string> read = readRaceText(app_.files, app_.platform);
  if (!read) return pieces;
  const std::u16string& text = *read;
  const auto isCodable = [this](char16_t ch) { return codable(ch); };
  for (std::u16string_view line : splitLines(text)) {
    pump();
    if (line.empty()) continue;
    for (std::u16string& piece : cutRacePieces(line, isCodable)) {
      totals.pieceChars += static_cast<std::int64_t>(piece.size());
      pieces.push_back(std::move(piece));
    }
  }
  return pieces;
}

std::u16string Analyzer::convertByPlatform(const std::u16string& piece, const std::u16string& code) {
  app_.comp.pendingCommand = 0;
  app_.race.raceReferenceText = piece;
  app_.race.raceCode = code;
  std::u16string bmstr = code;
  std::u16string result;
  std::u16string endzf;
  app_.conversion.sentence.fjyi(bmstr, result, endzf);
  return result;
}

std::u16string Analyzer::cloudChecked(const std::u16string& piece, const std::u16string& code,
                                     const std::u16string& pinyin, const std::u16string& result) {
  App& a = app_;
  cNet net(a.platform);
  const ServiceHosts& hosts = a.webQueries.hosts();
  const std::u16string query = percentEncode(pinyin);
  std::u16string candidate =
      parseCloudPinyinReply(net.GetUrl(hosts.cloudPinyin + u"/py?rn=0&pn=20&py=" + query, 3000).str())
          .value_or(u"");
  if (candidate.size() * 2 != a.race.raceCode.size()) {
    candidate = parseInputToolsReply(
                    net.GetUrl(hosts.inputTools + u"/inputtools/request?ime=pinyin&text=" + query, 3000).str())
                    .value_or(u"");
  }
  const bool doubleByte = !candidate.empty() && a.gbk.codeOf(candidate[0]) > 0xFF;
  if (candidate.size() != result.size() || !doubleByte) candidate = result;
  a.race.raceReferenceText = piece;
  a.race.raceCode = code;
  if (a.comp.pendingCommand == kPendingPause || a.comp.pendingCommand == kPendingStop) return result;
  return mergedWithCandidate(piece, candidate);
}

std::u16string Analyzer::mergedWithCandidate(const std::u16string& piece, const std::u16string& candidate) {
  App& a = app_;
  // Re-segment the piece to learn the words and their weights.
  LookupCells& cells = a.lex.cells;
  cells.fybci = 1;
  cells.fybcib = 1;
  a.comp.pendingCommand = 0;
  const EncoderContext encoder{a.lex, a.gbk, a.settings, a.win.boxes, a.pass, a.race, a.enc};
  std::u16string reading;
  citcbmma(encoder, piece, a.race.raceCode, reading);
  a.pass.bmstr = a.race.raceCode;
  clearWordState();
  std::u16string scratch;
  std::u16string endzf;
  a.conversion.sentence.fjyi(a.pass.bmstr, scratch, endzf);
  a.comp.pendingCommand = 0;
  cells.fybci = 0;
  cells.fybcib = 0;

  std::u16string merged;
  std::size_t at = 0;
  for (std::int32_t k = 1; k <= a.conv.wordIndex && static_cast<std::size_t>(k) < a.conv.wordTable.size(); ++k) {
    const SentenceWord& word = a.conv.wordTable[static_cast<std::size_t>(k)];
    const std::size_t n = word.text.size();
    std::u16string best;
    float weight = 0;
    a.codeLookup.hzirvck(word.code, best, weight);
    merged += weight >= 90 ? candidate.substr(std::min(at, candidate.size()), n) : word.text;
    at += n;
    a.race.raceCharCount = static_cast<std::int32_t>(n);
  }
  a.pass.tex7 = merged;
  return merged;
}

void Analyzer::typeCode(std::u16string_view code) {
  Platform& p = app_.platform;
  for (char16_t ch : code) {
    pump();
    wait(app_.race.raceKeyDelay);
    const bool letter = ch >= u'a' && ch <= u'z';
    const int vk = letter ? ch - u'a' + 'A' : 0;
    if (letter) p.sendKeyEvent(vk, p.scanCodeOf(vk), false);
    wait(app_.race.raceKeyDelay);
    if (letter) p.sendKeyEvent(vk, p.scanCodeOf(vk), true);
  }
}

std::u16string Analyzer::convertBySystem(std::u16string& piece, std::u16string& code) {
  Platform& p = app_.platform;
  const std::size_t k = app_.settings.smvj ? 3 : 2;
  for (;;) {
    typeCode(code);
    controls_.text1.clear();
    notify();
    if (controls_.dbjd != 0 && focusText1) focusText1();
    wait(app_.race.raceCommitDelay + 15 * static_cast<int>(code.size()));
    p.sendKeyEvent(kVkSpace, p.scanCodeOf(kVkSpace), false);
    wait(app_.race.raceKeyDelay);
    p.sendKeyEvent(kVkSpace, p.scanCodeOf(kVkSpace), true);
    wait(app_.race.raceCommitDelay);
    std::u16string result = trimSpaces(controls_.text1);
    if (code.size() != k * result.size()) return result;
    if (result.size() == trimSpaces(piece).size()) return result;
    if (isdan_ > 2) {
      isdan_ = 0;
      return result;
    }
    controls_.text1.clear();
    notify();
    if (app_.comp.pendingCommand == kPendingStop) return result;
    ++isdan_;
    if (isdan_ == 3) {
      // The last attempt types the piece cut to its first 15 characters.
      piece = piece.substr(0, 15);
      code = code.substr(0, k * piece.size());
      app_.race.raceSentence = piece;
    }
  }
}

void Analyzer::sdq() {
  App& a = app_;
  RaceState& race = a.race;
  std::int32_t& pending = a.comp.pendingCommand;
  running_ = true;
  a.input.context.setTimer1(false);
  race.wordMakerMode = 0;
  race.raceMode = 1;
  totals = RaceTotals{};
  isdan_ = 0;
  const std::uint32_t startMs = a.platform.clockMs();
  const bool three = a.settings.smvj;

  // Cutting.
  const std::vector<std::u16string> pieces = cutRaceText();
  a.files.writeBytes(kRaceScratchPath, a.platform.toGbk(joinLines(pieces)));
  controls_.title = std::u16string(kAnalyzerTitle);
  notify();
  if (!a.files.exists(kUserLexiconFilePath)) a.files.writeBytes(kUserLexiconFilePath, "");
  clearWordState();

  // Racing.
  const EncoderContext encoder{a.lex, a.gbk, a.settings, a.win.boxes, a.pass, a.race, a.enc};
  ScoringContext scoring{a.lex, a.gbk, a.input.userLookup, three ? 3 : 2};
  std::u16string board;
  bool firstRead = false;
  std::size_t next = 0;
  while (next < pieces.size()) {
    pump();
    if (pending == kPendingPause) {
      wait(10);
      continue;
    }
    if (pending == kPendingStop) break;
    std::u16string piece = pieces[next++];
    race.raceSentence = piece;
    if (!firstRead) {
      totals.firstPiece = piece;
      firstRead = true;
    }
    std::u16string code;
    std::u16string pinyin;
    citcbmma(encoder, piece, code, pinyin);
    race.raceCode = code;
    a.enc.sp0 = code;
    const std::u16string bm0 = code;
    pump();

    std::u16string result;
    if (a.win.platformLabel == kPlatformCaption) {
      result = convertByPlatform(piece, code);
      if (result.empty()) {
        clearWordState();
        continue;
      }
      if (a.settings.ymur && !a.settings.lidyx) {
        std::size_t lead = 0;
        while (lead < pinyin.size() && pinyin[lead] == u'\'') ++lead;
        result = cloudChecked(piece, code, pinyin.substr(lead), result);
      }
    } else {
      result = convertBySystem(piece, code);
      race.raceCode = code;
    }

    // Scoring.
    totals.processedChars += static_cast<std::int64_t>(piece.size());
    std::u16string typed = race.raceCode;
    std::erase(typed, u'C');
    totals.codeLetters += static_cast<std::int64_t>(typed.size());
    std::u16string markedPiece = piece;
    std::u16string markedResult = result;
    cowusd(scoring, bm0, markedPiece, markedResult, race.raceErrorCount, race.raceErrorRate,
           race.raceCharCount, race.raceCorrectionKeys);
    if (pending == kPendingStop) break;
    if (pending == kPendingPause) {
      clearWordState();
      continue;
    }
    if (race.raceErrorCount != 0) {
      controls_.text1 = u"原文句子：" + markedPiece + u"\r\n\r\n识别结果：" + markedResult;
      notify();
      board += boardBlock(markedPiece, markedResult, typed, race.raceErrorCount, race.raceErrorRate);
      if (race.gpsd == 0) a.learning->iyzc(markedPiece);
    }
    clearWordState();
    totals.charTotal += race.raceCharCount;
    totals.diffTotal += race.raceErrorCount;
    pump();
    isdan_ = 0;
    if (pending == kPendingStop) {
      pending = 0;
      break;
    }
    const double share = totals.pieceChars > 0
                             ? static_cast<double>(totals.processedChars) / static_cast<double>(totals.pieceChars)
                             : 1.0;
    controls_.text2 = decimal(static_cast<std::int64_t>(std::floor(share * 100 + 0.5))) + u" %";
    notify();
  }

  // Summary.
  controls_.text2 = u"100%";
  notify();
  pending = 0;
  const RaceSummary summary = raceSummary(totals, race.raceCorrectionKeys,
                                          a.platform.clockMs() - startMs, race.raceMethodLabel,
                                          three, race.gpsd != 0);
  race.raceCorrectionKeys = 0;
  race.reportText = summary.text;
  // The closing message must come to the front: the candidate window leaves the topmost band.
  a.win.form1.topMost = false;
  board += summary.text + u"\r\n";
  a.files.writeBytes(kRaceBoardPath, a.platform.toGbk(board));
  const std::u16string finalName = boardFileName(race.raceMethodLabel, totals.firstPiece, three);
  a.files.remove(finalName);
  std::error_code ec;
  std::filesystem::rename(a.files.path(kRaceBoardPath), a.files.path(finalName), ec);
  a.input.context.setTimer1(true);
  running_ = false;
}

}  // namespace yz
