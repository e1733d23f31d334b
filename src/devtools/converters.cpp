#include "devtools/converters.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"

namespace yz {

namespace {

std::u16string field(std::u16string_view line, std::size_t index) {
  std::vector<std::u16string_view> fields = splitFields(line, u',');
  return index < fields.size() ? std::u16string(fields[index]) : std::u16string{};
}

double number(std::u16string_view text) {
  std::string narrow;
  for (char16_t c : text) {
    if (c > 0x7F) break;
    narrow.push_back(static_cast<char>(c));
  }
  return std::strtod(narrow.c_str(), nullptr);
}

std::u16string numberText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  std::string s = text;
  if (s == "-0") s = "0";
  return std::u16string(s.begin(), s.end());
}

std::u16string lengthText(std::size_t n) { return numberText(static_cast<double>(n)); }

// The two-letter pieces of a code; an odd letter left at the end is not used.
std::vector<std::u16string> codePieces(std::u16string_view code) {
  std::vector<std::u16string> pieces;
  for (std::size_t p = 0; p + 1 < code.size(); p += 2) pieces.emplace_back(code.substr(p, 2));
  return pieces;
}

std::u16string firstLetters(std::u16string_view aux, std::size_t n) { return std::u16string(aux.substr(0, n)); }

}  // namespace

LineList ciku(const LineList& records, const AuxCodeOf& auxOf) {
  LineList out;
  std::size_t n = 0;
  for (const auto& record : records) {
    ++n;
    std::u16string word = field(record, 0);
    std::u16string C = field(record, 1);
    if (word.empty()) continue;
    std::u16string a1 = firstLetters(auxOf(word.front()), 1);
    std::u16string a2 = firstLetters(auxOf(word.back()), 1);
    std::u16string c1 = C.substr(0, 2);
    std::u16string c2 = C.size() > 2 ? C.substr(2, 2) : u"";
    LineList codes;
    if (word.size() == 1) {
      codes = {C, C + a1, C + firstLetters(auxOf(word.front()), 2) + u"_"};
    } else if (word.size() == 2) {
      codes = {C, c1 + a1 + c2, c1 + a1 + c2 + a2, C + a2, C + a2 + a1};
    } else if (word.size() == 3) {
      codes = {C, C + a2};
    } else {
      codes = {C};
    }
    for (const auto& code : codes) out.push_back(code + u"," + word + u"*" + lengthText(n));
  }
  return out;
}

LineList rewriteMarkerCodes(const LineList& records, const AuxCodeOf& auxOf) {
  LineList out;
  std::size_t k = 0;
  for (const auto& record : records) {
    ++k;
    std::u16string C = field(record, 0);
    std::u16string word = field(record, 1);
    if (word.empty()) continue;
    double w = std::floor(number(field(record, 2)) * 1000 + 0.5) / 1000;
    auto line = [&](const std::u16string& code, std::u16string_view marker, double weight, std::size_t length) {
      out.push_back(code + u"," + word + std::u16string(marker) + numberText(weight) + u"," + lengthText(length));
    };
    std::u16string a1 = firstLetters(auxOf(word.front()), 1);
    std::u16string a2 = firstLetters(auxOf(word.back()), 1);
    std::u16string c1 = C.substr(0, 2);
    std::u16string c2 = C.size() > 2 ? C.substr(2, 2) : u"";
    if (word.size() == 1) {
      std::u16string aa = firstLetters(auxOf(word.front()), 2);
      line(C, u",*sy,", w, C.size());
      if (k <= 3500) {
        line(C + a1, u",*syf,", w, C.size() + a1.size());
        line(C + a1 + u"_", u",*syf_,", w, C.size() + a1.size() + 1);
      }
      if (aa.size() == 2) {
        std::u16string full = C + aa + u"_";
        line(full, u",*syff_,", w, full.size());
        line(full.substr(0, 4), u",*syff,", w + 300, full.size() - 1);
      }
    } else if (word.size() == 2) {
      line(C, u",*y,", w, C.size());
      if (k < 75000) {
        line(c1 + a1 + c2, u",*syfsy,", w, (c1 + a1 + c2).size());
        line(C + a2, u",*sysyf,", w, (C + a2).size());
      }
      line(c1 + a1 + c2 + a2, u",*syfsyf,", w, (c1 + a1 + c2 + a2).size());
    } else {
      line(C, u",*y,", w, C.size());
    }
  }
  return out;
}

LineList joinSameCodeLines(const LineList& lines) {
  LineList out;
  std::u16string code;
  std::u16string list;
  bool open = false;
  for (const auto& line : lines) {
    std::size_t comma = line.find(u',');
    std::u16string code2 = line.substr(0, comma);
    std::u16string rest2 = comma == std::u16string::npos ? u"" : line.substr(comma + 1);
    if (!open) {
      code = code2;
      list = rest2;
      open = true;
    } else if (code2 != code) {
      out.push_back(code + u"," + list);
      code = code2;
      list = rest2;
    } else {
      list += u" " + rest2;
    }
  }
  if (open) out.push_back(code + u"," + list);
  return out;
}

LineList splitLexiconPairs(const LineList& lines) {
  LineList out;
  for (const auto& line : lines) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string::npos) continue;
    std::u16string code = line.substr(0, comma);
    std::size_t h = code.size() / 2;
    for (std::u16string_view item : splitFields(std::u16string_view(line).substr(comma + 1), u' ')) {
      if (item.empty()) continue;
      out.push_back(code + u"," + std::u16string(item.substr(0, h)) + u" " +
                    std::u16string(item.substr(std::min(h, item.size()))));
    }
  }
  return out;
}

LineList separateStrokeDigits(const LineList& lines) {
  LineList out;
  for (const auto& line : lines) {
    std::u16string b2;
    for (char16_t c : field(line, 1)) {
      if (c >= u'0' && c <= u'9') {
        b2 += {u',', c, u','};
      } else {
        b2 += c;
      }
    }
    out.push_back(field(line, 0) + u"," + b2);
  }
  return out;
}

std::u16string zeroInitialCode(std::u16string_view code, const LineList& zeroTable) {
  std::u16string out;
  for (std::u16string piece : codePieces(code)) {
    switch (piece[0]) {
      case u'v': piece[0] = u'z'; break;
      case u'i': piece[0] = u'c'; break;
      case u'u': piece[0] = u's'; break;
      default: break;
    }
    if (piece[0] == u'a' || piece[0] == u'e' || piece[0] == u'o') {
      for (const auto& row : zeroTable) {
        if (field(row, 0) == piece) {
          piece = field(row, 1);
          break;
        }
      }
    }
    out += piece;
  }
  return out;
}

LineList zeroInitialVariants(const LineList& lexiconLines, const LineList& zeroTable) {
  LineList out;
  for (const auto& line : lexiconLines) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string::npos) continue;
    out.push_back(zeroInitialCode(std::u16string_view(line).substr(0, comma), zeroTable) + line.substr(comma));
  }
  return out;
}

LineList zeroInitialStrokeMerge(const LineList& strokeLines, const LineList& zeroTable,
                                const LineList& charCodeLines) {
  std::unordered_map<std::u16string, std::u16string> strokes;
  for (const auto& line : strokeLines) strokes[field(line, 0)] = field(line, 1);
  LineList out;
  for (const auto& line : charCodeLines) {
    std::u16string code = field(line, 0);
    std::u16string ch = field(line, 1);
    auto it = strokes.find(ch);
    if (it == strokes.end() || it->second.empty() || code.size() < 2) continue;
    out.push_back(zeroInitialCode(std::u16string_view(code).substr(0, 2), zeroTable) + it->second + u"," + ch);
  }
  return out;
}

LineList mergeWordFrequencies(const LineList& frequencyLines, const LineList& wordLines) {
  std::vector<std::u16string> W;
  std::vector<std::u16string> F;
  for (const auto& line : frequencyLines) {
    W.push_back(field(line, 0));
    F.push_back(numberText(number(field(line, 1))));
  }
  LineList out;
  for (const auto& line : wordLines) {
    std::u16string a = field(line, 0);
    std::u16string b = field(line, 1);
    std::u16string frequency = u"400";
    if (!W.empty()) {
      std::size_t lo = 0;
      std::size_t hi = W.size() - 1;
      if (W[lo] == b) {
        frequency = F[lo];
      } else if (W[hi] == b) {
        frequency = F[hi];
      } else {
        while (hi - lo > 1) {
          std::size_t mid = lo + (hi - lo) / 2;
          if (W[mid] == b) {
            frequency = F[mid];
            break;
          }
          (b < W[mid] ? hi : lo) = mid;
        }
      }
    }
    out.push_back(a + u"," + b + u"," + frequency);
  }
  return out;
}

LineList joinCorpusFrequencies(const LineList& corpusLines, const LineList& wordLines) {
  struct Row {
    std::u16string x, y;
    double f;
  };
  std::vector<Row> rows;
  for (const auto& line : corpusLines) rows.push_back({field(line, 0), field(line, 1), number(field(line, 2))});
  LineList out;
  double last = 0;
  for (const auto& line : wordLines) {
    std::u16string a = field(line, 0);
    std::u16string b = field(line, 1);
    bool found = false;
    for (const auto& row : rows) {
      if (row.x == a && row.y == b) {
        last = row.f;
        found = true;
        break;
      }
    }
    if (!found) last += 0.0001;
    out.push_back(a + u"," + b + numberText(last));
  }
  return out;
}

LineList annotateWordList(const LineList& lines,
                          const std::function<std::u16string(std::u16string_view)>& codeOf) {
  LineList out;
  for (const auto& line : lines) {
    std::u16string text = field(line, 0);
    out.push_back(codeOf(text) + u"," + text + u" 100");
  }
  return out;
}

LineList frequencyListToShuangpin(const LineList& layoutTable, const LineList& frequencyLines) {
  LineList out;
  for (const auto& line : frequencyLines) {
    std::u16string pinyin;
    for (const auto& piece : codePieces(field(line, 1))) {
      std::u16string syllable;
      for (const auto& row : layoutTable) {
        if (field(row, 1) == piece) {
          syllable = field(row, 0);
          break;
        }
      }
      if (!pinyin.empty()) pinyin += u'\'';
      pinyin += syllable;
    }
    out.push_back(field(line, 0) + u"," + pinyin + u"," + numberText(number(field(line, 3)) + 1000));
  }
  return out;
}

LineList frequencyListToShuangpin2(const LineList& ziranTable, const LineList& pinyinLines) {
  std::unordered_map<std::u16string, std::u16string> codeOf;
  for (const auto& row : ziranTable) codeOf.try_emplace(field(row, 0), field(row, 1));
  LineList out;
  for (const auto& line : pinyinLines) {
    std::u16string code;
    const std::u16string pinyin = field(line, 1);
    for (std::u16string_view syllable : splitFields(pinyin, u'\'')) {
      auto it = codeOf.find(std::u16string(syllable));
      if (it != codeOf.end()) code += it->second;
    }
    out.push_back(code + u"," + field(line, 0) + u"," + field(line, 2));
  }
  return out;
}

bool convertFiles(const ProgramFolder& files, const Platform& platform, std::u16string_view input,
                  std::u16string_view output, const std::function<LineList(const LineList&)>& convert) {
  auto lines = readGbkLines(files, platform, input);
  if (!lines) return false;
  if (!lines->empty() && lines->back().empty()) lines->pop_back();
  return writeGbkLines(files, platform, output, convert(*lines));
}

}  // namespace yz
