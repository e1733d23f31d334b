// Cloud candidates and web hit counts.

#include "web/web_queries.h"

#include <algorithm>
#include <vector>

#include "lexicon/encoder.h"

namespace yz {
namespace {

std::int32_t len(std::u16string_view s) { return static_cast<std::int32_t>(s.size()); }

std::u16string_view trimLeadingBlanks(std::u16string_view s) {
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  return s;
}

std::vector<std::u16string_view> cut(std::u16string_view text, char16_t at) {
  std::vector<std::u16string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(at, start);
    if (end == std::u16string_view::npos) break;
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

// The syllables of a query: the pieces between its apostrophes; none for an empty query.
std::int32_t syllableCount(std::u16string_view query) {
  query = trimLeadingBlanks(query);
  if (query.empty()) return 0;
  return static_cast<std::int32_t>(std::count(query.begin(), query.end(), u'\'')) + 1;
}

bool startsWith(std::u16string_view reply, char16_t c) {
  const std::size_t first = reply.find_first_not_of(u" \t\r\n\uFEFF");
  return first != std::u16string_view::npos && reply[first] == c;
}

constexpr std::u16string_view kCloudPinyinPath = u"/py?rn=0&pn=20&py=";
constexpr std::u16string_view kInputToolsPath = u"/inputtools/request?ime=pinyin&text=";
constexpr std::u16string_view kSuggestionPath =
    u"/sugrec?pre=1&p=3&ie=utf-8&json=1&prod=pc&from=pc_web&wd=";
constexpr std::u16string_view kSuggestionTail = u"&qq-pf-to=pcqq.group";

// A suggestion reply that lists suggestions holds this word.
constexpr std::u16string_view kSuggestionMark = u"type";
constexpr int kSuggestionAttempts = 3;

}  // namespace

float hitCount(std::u16string_view r, std::u16string_view t) {
  if (r.empty()) return -1;
  if (t.empty()) return 0;
  float n = 0;
  for (std::size_t at = r.find(t); at != std::u16string_view::npos; at = r.find(t, at + t.size())) {
    ++n;
  }
  return n;
}

std::optional<std::u16string> parseCloudPinyinReply(std::u16string_view reply) {
  if (!startsWith(reply, u'{')) return std::nullopt;
  const auto fields = cut(reply, u'"');
  if (fields.size() < 4) return std::nullopt;
  return std::u16string(fields[3]);
}

std::optional<std::u16string> parseInputToolsReply(std::u16string_view reply) {
  if (!startsWith(reply, u'[')) return std::nullopt;
  const auto fields = cut(reply, u',');
  if (fields.size() < 3 || fields[2].size() < 4) return std::nullopt;
  return std::u16string(fields[2].substr(2, fields[2].size() - 4));
}

std::u16string normalizePinyinQuery(std::u16string_view reading) {
  while (!reading.empty() && reading.front() == u'\'') reading.remove_prefix(1);
  const auto pieces = cut(trimLeadingBlanks(reading), u' ');
  std::u16string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    std::u16string_view piece = pieces[i];
    if (i + 1 < pieces.size() && !piece.empty()) piece.remove_suffix(1);
    joined += piece;
  }
  std::u16string query;
  for (std::size_t i = 0; i < joined.size(); ++i) {
    query.push_back(joined[i]);
    if (joined[i] == u'\'' && i + 1 < joined.size() && joined[i + 1] == u'\'') ++i;
  }
  return query;
}

const ServiceHosts& WebQueries::hosts() {
  if (!hosts_) hosts_ = readServiceHosts(c_.files, c_.platform);
  return *hosts_;
}

std::u16string WebQueries::get(cNet& net, const std::u16string& url) {
  const std::uint32_t before = c_.web.sentenceWaitMs;
  if (timeoutMs <= 0 || before >= static_cast<std::uint32_t>(timeoutMs)) return {};
  const std::uint32_t start = c_.platform.clockMs();
  std::u16string reply = net.GetUrl(url, timeoutMs - static_cast<int>(before)).str();
  // Keys served during the wait may have ended the sentence (the count went back to 0): the
  // wait was the old sentence's, not the next one's.
  if (c_.web.sentenceWaitMs >= before) c_.web.sentenceWaitMs += c_.platform.clockMs() - start;
  return reply;
}

std::u16string WebQueries::suggestions(cNet& net, std::u16string_view phrase) {
  const std::u16string url =
      hosts().suggestion + std::u16string(kSuggestionPath) + percentEncode(phrase) +
      std::u16string(kSuggestionTail);
  return get(net, url);
}

std::u16string WebQueries::cloudPinyinAnswer(cNet& net, std::u16string_view query) {
  const std::u16string url = hosts().cloudPinyin + std::u16string(kCloudPinyinPath) + percentEncode(query);
  return parseCloudPinyinReply(get(net, url)).value_or(u"");
}

std::u16string WebQueries::inputToolsAnswer(cNet& net, std::u16string_view query) {
  const std::u16string url = hosts().inputTools + std::u16string(kInputToolsPath) + percentEncode(query);
  return parseInputToolsReply(get(net, url)).value_or(u"");
}

float WebQueries::xymaypu(std::u16string_view strx) {
  cNet net(c_.platform);
  return hitCount(suggestions(net, strx), strx);
}

float WebQueries::xymaypu1(std::u16string_view strx1, std::u16string_view strx2) {
  cNet net(c_.platform);
  const std::u16string p = std::u16string(strx1) + std::u16string(strx2);
  std::u16string reply = suggestions(net, p);
  for (int attempt = 1; attempt < kSuggestionAttempts && reply.find(kSuggestionMark) == std::u16string::npos;
       ++attempt) {
    reply = suggestions(net, p);
  }
  WebCells& w = c_.web;
  w.xymayp0 = hitCount(reply, p);
  w.xymayp1 = hitCount(reply, strx1);
  w.xymayp2 = hitCount(reply, strx2);
  const float c = hitCount(reply, strx1.empty() ? std::u16string_view() : strx1.substr(strx1.size() - 1));
  w.xymayp3 = c + w.xymayp1 + w.xymayp2;
  const float result = w.xymayp1 + w.xymayp2;
  if ((c == 1 && w.xymayp1 == 1 && w.xymayp2 < 5) || w.xymayp2 == 1) w.xymayp3 = 0;
  return result;
}

float WebQueries::xymaypu2(std::u16string_view strx1, std::u16string_view strx2) {
  cNet net(c_.platform);
  const std::u16string p = std::u16string(strx1) + std::u16string(strx2);
  return hitCount(suggestions(net, p), p);
}

void WebQueries::citcbmmaxymayp(std::u16string_view b00, std::u16string& bm, std::u16string& qp) {
  if (b00.empty()) {
    bm.clear();
    qp.clear();
    c_.encoder.cells.sp0.clear();
    return;
  }
  citcvuyn(c_.encoder, b00, bm, qp);
}

void WebQueries::yuu() {
  WebCells& w = c_.web;
  PassState& p = c_.pass;
  ConversionState& cv = c_.conv;
  if (w.pinyinQuery.empty()) {
    w.cloudText.clear();
    return;
  }
  if (len(p.bmstr) < 4) {
    w.cloudText = p.hjziir;
    return;
  }
  if (cv.wordIndex < 1) cv.wordIndex = 1;
  const auto last = static_cast<std::size_t>(std::min(cv.wordIndex, kMaxSentenceWords));
  if (cv.wordTable[last].code.size() == 1) {
    p.skipUnchangedFlag = 1;
    w.cloudText = p.hjziir;
    return;
  }
  p.skipUnchangedFlag = 1;
  w.pinyinQuery = normalizePinyinQuery(w.pinyinQuery);
  const std::u16string query = w.pinyinQuery;

  cNet net(c_.platform);
  std::u16string text = cloudPinyinAnswer(net, query);
  std::u16string code, reading;
  citcbmma(c_.encoder, text, code, reading);
  if (!reading.empty()) reading.erase(0, 1);
  const std::int32_t syllables = syllableCount(query);
  if (!(len(text) == syllables && reading == query)) text = inputToolsAnswer(net, query);

  // The characters the code marks with a blank (the ones without a syllable) come back from the
  // local sentence. A blank stands at the even position 2k of the k-th character; one at an odd
  // position is the character itself (a blank) and marks nothing.
  const std::u16string& up = w.up;
  for (std::size_t at = up.find(u' ', 1); at != std::u16string::npos; at = up.find(u' ', at + 1)) {
    const std::size_t pos = at + 1;  // 1-based
    if (pos % 2 != 0) continue;
    const std::size_t k = pos / 2;
    if (k > p.hjziir.size()) continue;
    text.insert(std::min(k - 1, text.size()), 1, p.hjziir[k - 1]);
  }

  const bool doubleByte = !text.empty() && static_cast<std::int16_t>(c_.gbk.codeOf(text[0])) <= 0;
  if (!doubleByte || len(text) != syllables) text = p.hjziir;
  w.cloudText = text;
}

void WebQueries::yuuqp() {
  WebCells& w = c_.web;
  w.pinyinQuery = c_.pass.bmstr;
  if (w.pinyinQuery.empty()) {
    w.cloudText.clear();
    return;
  }
  cNet net(c_.platform);
  std::u16string text = cloudPinyinAnswer(net, w.pinyinQuery);
  if (text.empty()) text = inputToolsAnswer(net, w.pinyinQuery);
  w.cloudText = text;
}

}  // namespace yz
