#include "analyzer/race_scoring.h"

#include <cmath>
#include <vector>

namespace yz {

namespace {

std::u16string decimal(std::int64_t n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// The candidates of a single-character lexicon line: the fields at even places of the line cut at
// single blanks.
std::vector<std::u16string_view> candidatesOf(std::u16string_view line) {
  std::vector<std::u16string_view> out;
  std::size_t field = 0;
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t end = line.find(u' ', start);
    if (end == std::u16string_view::npos) end = line.size();
    if (field % 2 == 0) out.push_back(line.substr(start, end - start));
    ++field;
    start = end + 1;
  }
  if (!out.empty() && out.back().empty()) out.pop_back();
  return out;
}

void removeAll(std::u16string& s, std::u16string_view what) {
  for (std::size_t at = s.find(what); at != std::u16string::npos; at = s.find(what, at)) {
    s.erase(at, what.size());
  }
}

}  // namespace

int correctionPrice(const ScoringContext& ctx, char16_t o, std::u16string_view c) {
  const std::u16string_view a = ctx.lex.charAuxCodes[static_cast<std::size_t>(ctx.gbk.charIndex(o))];
  const std::u16string_view ch(&o, 1);
  struct Stage {
    std::u16string code;
    int keys;
  };
  const Stage stages[] = {{std::u16string(c), 2},
                          {std::u16string(c) + std::u16string(a.substr(0, 1)), 3},
                          {std::u16string(c) + std::u16string(a.substr(0, 2)), 4}};
  for (const Stage& stage : stages) {
    std::u16string best;
    float weight = 0;
    ctx.lex.cells.charHitIndex = 0;
    ctx.user.hzirdzck(stage.code, best, weight);
    std::u16string_view line;
    const std::int32_t hit = ctx.lex.cells.charHitIndex;
    if (hit > 0 && hit <= ctx.lex.charLexicon.last) line = ctx.lex.charLexicon.lines[static_cast<std::size_t>(hit)];
    const std::vector<std::u16string_view> cands = candidatesOf(line);
    for (std::size_t i = 0; i < cands.size() && i < 5; ++i) {
      if (cands[i] == ch) return stage.keys;
    }
    if (stage.keys == 4 && cands.size() > 5) return 4;
  }
  return 0;
}

void cowusd(const ScoringContext& ctx, std::u16string_view bm0, std::u16string& b00,
            std::u16string& hjziir, std::int32_t& cowuuu, float& cowulv, std::int32_t& hzs,
            double& raceCorrectionKeys) {
  cowuuu = 0;
  hzs = static_cast<std::int32_t>(b00.size());
  std::u16string markedReference;
  std::u16string markedResult;
  bool mismatch = false;
  const std::size_t step = static_cast<std::size_t>(ctx.codeLettersPerChar);
  for (std::size_t i = 0; i < b00.size(); ++i) {
    const char16_t o = b00[i];
    const std::u16string r = i < hjziir.size() ? std::u16string(1, hjziir[i]) : std::u16string();
    if (r.size() == 1 && r[0] == o) {
      markedReference += o;
      markedResult += r;
      continue;
    }
    mismatch = true;
    ++cowuuu;
    ((markedReference += u'[') += o) += u']';
    ((markedResult += u'(') += r) += u')';
    // The pricing reads the first two code letters of the character's own code.
    const std::u16string_view c = i * step < bm0.size() ? bm0.substr(i * step, 2) : std::u16string_view();
    raceCorrectionKeys += correctionPrice(ctx, o, c);
  }
  if (mismatch) raceCorrectionKeys += 1;
  removeAll(markedReference, u"][");
  removeAll(markedResult, u")(");
  b00 = std::move(markedReference);
  hjziir = std::move(markedResult);
  if (hzs == 0) {
    cowulv = 0;
    return;
  }
  const float fraction = static_cast<float>(cowuuu) / static_cast<float>(hzs);
  cowulv = static_cast<float>(std::floor(static_cast<double>(fraction) * 10000 + 0.5) / 100);
}

double roundedPercent(double x) { return std::floor(x * 10000 + 0.5) / 100; }

std::u16string boardNumber(double value) {
  const std::int64_t hundredths = static_cast<std::int64_t>(std::llround(value * 100));
  const bool negative = hundredths < 0;
  const std::int64_t h = negative ? -hundredths : hundredths;
  std::u16string out;
  if (negative) out += u'-';
  out += decimal(h / 100);
  const std::int64_t frac = h % 100;
  if (frac != 0) {
    out += u'.';
    out += static_cast<char16_t>(u'0' + frac / 10);
    if (frac % 10 != 0) out += static_cast<char16_t>(u'0' + frac % 10);
  }
  return out;
}

RaceSummary raceSummary(const RaceTotals& totals, double correctionKeys, std::uint32_t elapsedMs,
                        std::u16string_view methodLabel, bool threeLetters, bool fair) {
  RaceSummary s;
  // The divisors carry one character more than the run scored, as the board has always reported.
  const double divisor = static_cast<double>(totals.charTotal) + 1;
  s.overallRate = roundedPercent(static_cast<double>(totals.diffTotal) / divisor);
  s.avgCodeLength =
      std::floor((static_cast<double>(totals.codeLetters) + correctionKeys) / divisor * 100 + 0.5) / 100;
  const std::uint32_t wholeSeconds = elapsedMs / 1000;
  s.seconds = wholeSeconds == 0 ? 0.01 : wholeSeconds;
  s.charsPerMinute = static_cast<std::int64_t>(std::floor(static_cast<double>(totals.charTotal) / s.seconds * 60));

  const std::u16string_view kind = threeLetters ? u"三码" : u"两码";
  const bool high = s.overallRate >= 1;
  std::u16string line1 = high ? u"    " : u"       ";
  line1 += kind;
  line1 += u"整句赛文结束, 《" + totals.firstPiece;
  line1 += fair ? u"》总汉字数  " : u"》总汉字数 ";
  line1 += decimal(totals.charTotal) + u" 个，" + std::u16string(methodLabel);
  if (!fair) {
    line1 += u"整句识别与原文有差异的汉字共";
  } else {
    line1 += high ? u"整句识别与原文有差异的汉字总共 " : u"整句识别与原文有差异的汉字共 ";
  }
  line1 += decimal(totals.diffTotal) + u"个，总体差异率  " + boardNumber(s.overallRate) + u"%！";
  line1 += u"瞬改后平均码长 " + boardNumber(s.avgCodeLength) + u"。 比赛结果存放于《" + totals.firstPiece;
  line1 += u"》";
  line1 += kind;
  line1 += u"整句赛文成绩榜中！";
  std::u16string line2 = u"    比赛共耗时  " + boardNumber(s.seconds) + u"  秒，打字速度为：" +
                         decimal(s.charsPerMinute) + u"字/分钟！";
  s.text = line1 + u"\r\n" + line2;
  return s;
}

std::u16string boardFileName(std::u16string_view methodLabel, std::u16string_view firstPiece,
                             bool threeLetters) {
  return u"赛文资料\\" + std::u16string(methodLabel) + u"《" + std::u16string(firstPiece) +
         (threeLetters ? u"》三码整句赛文成绩榜.txt" : u"》两码整句赛文成绩榜.txt");
}

std::u16string boardBlock(std::u16string_view markedPiece, std::u16string_view markedResult,
                          std::u16string_view code, std::int32_t count, float rate) {
  std::u16string out = u"原文句子：" + std::u16string(markedPiece) + u"\r\n";
  out += u"识别结果：" + std::u16string(markedResult);
  if (markedPiece.size() != markedResult.size()) out += u"------------------";
  out += u"\r\n自动编码：" + std::u16string(code) + u"\r\n";
  out += u"识别差异：" + decimal(count) + u"个, 差异率" + boardNumber(rate) + u"%\r\n\r\n";
  return out;
}

}  // namespace yz
