// The batch sentence test `pmqwzc`.

#include <algorithm>

#include "analyzer/analyzer.h"
#include "app/app.h"
#include "app/load.h"
#include "lexicon/annotate.h"
#include "lexicon/encoder.h"
#include "lexicon/text_file.h"
#include "web/net.h"
#include "web/web_queries.h"

namespace yz {

namespace {

// The number before and after "到" of the word-length text ("2到7"); nullopt when either fails.
std::optional<std::int32_t> leadingNumber(std::u16string_view s) {
  std::int32_t n = 0;
  bool any = false;
  for (char16_t ch : s) {
    if (ch < u'0' || ch > u'9') break;
    n = n * 10 + (ch - u'0');
    any = true;
    if (n > 100000) break;
  }
  if (!any) return std::nullopt;
  return n;
}

}  // namespace

void Analyzer::cutBatchPiece(std::u16string piece, std::vector<std::u16string>& out) {
  App& a = app_;
  const EncoderContext encoder{a.lex, a.gbk, a.settings, a.win.boxes, a.pass, a.race, a.enc};
  while (piece.size() > kLongestPiece) {
    std::u16string code;
    std::u16string pinyin;
    citcvuyn(encoder, piece, code, pinyin);
    std::u16string sentence;
    std::u16string endzf;
    clearWordState();
    a.conversion.sentence.fjyi(code, sentence, endzf);
    std::size_t sum = 0;
    std::size_t cut = 0;
    const std::int32_t first = std::max<std::int32_t>(1, a.conv.j0);
    for (std::int32_t k = 0; k < a.conv.wordCounter; ++k) {
      const std::size_t row = static_cast<std::size_t>(first + k);
      if (row >= a.conv.wordTable.size()) break;
      const std::size_t n = a.conv.wordTable[row].text.size();
      if (sum + n > kLongestPiece) {
        cut = sum;
        break;
      }
      sum += n;
    }
    clearWordState();
    // No boundary within the first 25 characters (the first word alone is longer, or the
    // words never pass 25): the piece stays whole, so the cut always ends.
    if (cut == 0 || cut >= piece.size()) break;
    out.push_back(piece.substr(0, cut));
    piece.erase(0, cut);
  }
  out.push_back(std::move(piece));
}

std::u16string Analyzer::inputToolsChecked(const std::u16string& piece, const std::u16string& pinyin,
                                          const std::u16string& result) {
  App& a = app_;
  cNet net(a.platform);
  const std::u16string reply =
      net.GetUrl(a.webQueries.hosts().inputTools + u"/inputtools/request?ime=pinyin&text=" +
                     percentEncode(pinyin),
                 kWebTimeoutMs)
          .str();
  // The candidate: the third comma field without its first three and its last two characters.
  std::u16string candidate;
  const std::vector<std::u16string_view> fields = splitFields(reply, u',');
  if (!reply.empty() && fields.size() > 2 && fields[2].size() > 5) {
    candidate = std::u16string(fields[2].substr(3, fields[2].size() - 5));
  }
  const bool doubleByte = !candidate.empty() && a.gbk.codeOf(candidate[0]) > 0xFF;
  if (candidate.size() != result.size() || !doubleByte) candidate = result;
  a.race.raceReferenceText = a.race.raceSentence;
  a.race.raceCode = a.enc.sp0;
  return mergedWithCandidate(piece, candidate);
}

void Analyzer::pmqwzc() {
  App& a = app_;
  running_ = true;
  a.input.context.setTimer1(false);
  const std::u16string& range = a.settings.wordLengthRange;
  const std::size_t to = range.find(u"到");
  if (to != std::u16string::npos) {
    if (auto n = leadingNumber(range.substr(0, to))) a.conv.wordMinLen = *n;
    if (auto n = leadingNumber(range.substr(to + 1))) a.conv.wordMaxLen = *n;
  }
  const std::u16string text = a.platform.clipboardText();
  std::vector<std::u16string> pieces;
  const auto isCodable = [this](char16_t ch) { return codable(ch); };
  for (std::u16string_view line : splitLines(text)) {
    if (line.empty()) continue;
    for (std::u16string& run : cutRacePieces(line, isCodable, kShortestPiece, line.size())) {
      cutBatchPiece(std::move(run), pieces);
    }
  }
  a.files.writeBytes(kRaceScratchPath, a.platform.toGbk(joinLines(pieces)));
  if (!a.files.exists(kUserLexiconFilePath)) a.files.writeBytes(kUserLexiconFilePath, "");

  const EncoderContext encoder{a.lex, a.gbk, a.settings, a.win.boxes, a.pass, a.race, a.enc};
  ScoringContext scoring{a.lex, a.gbk, a.input.userLookup, a.settings.smvj ? 3 : 2};
  for (const std::u16string& piece : pieces) {
    pump();
    a.race.raceSentence = piece;
    std::u16string code;
    std::u16string pinyin;
    citcbmma(encoder, piece, code, pinyin);
    if (!a.settings.smvj && a.settings.ymur) {
      code = dzqmvuyn(encoder, piece);
      a.enc.sp0 = code;
    }
    const std::u16string bm0 = code;
    pump();
    std::u16string bmstr = code;
    std::u16string result;
    std::u16string endzf;
    a.conversion.sentence.fjyi(bmstr, result, endzf);
    if (result.empty()) {
      clearWordState();
      continue;
    }
    if (a.comp.grabPending == 1) {
      a.win.boxes.text7.text = text;
      a.pass.tex7 = text;
    } else if (a.settings.ymur && !a.settings.lidyx) {
      result = inputToolsChecked(piece, pinyin, result);
    }
    std::u16string marked = piece;
    cowusd(scoring, bm0, marked, result, a.race.raceErrorCount, a.race.raceErrorRate,
           a.race.raceCharCount, a.race.raceCorrectionKeys);
    if (a.race.raceErrorCount != 0) a.learning->iyzc(marked);
    clearWordState();
    pump();
    isdan_ = 0;
  }
  a.comp.pendingCommand = 0;
  a.input.context.setTimer1(true);
  running_ = false;
}

}  // namespace yz
