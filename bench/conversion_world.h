#pragma once
// The conversion on the real lookups, for the benchmark programs: the state records, the
// lookups and a main lexicon.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "conversion/lexicon_lookups.h"
#include "conversion/sentence.h"
#include "lexicon/gbk.h"
#include "lexicon/lookup.h"
#include "lexicon/user_lookup.h"
#include "platform/sim/sim_platform.h"

namespace yz::bench_support {

struct ConversionWorld {
  SimPlatform sim;
  GbkTable gbk{sim};
  Settings settings;
  LexiconState lex;
  ConversionState conv;
  CompositionState comp;
  PassState pass;
  WindowState win;
  RaceState race;
  WebCells webCells;
  NotBuiltServices web{sim, webCells};  // the sentence modes used here ask no hit count
  UserLookup user{lex, settings, comp, pass, win, race};
  CodeLookup code{lex, settings, comp, conv, pass, win, race, gbk, sim, user};
  LexiconLookups lookups{code, user};
  ConversionEngine engine{
      ConversionContext{settings, lex, conv, comp, pass, win, race, webCells, sim, web, lookups}};

  // Converts a whole code line from an erased word table, as the input pass does for a new line.
  std::u16string convert(std::u16string codeLine) {
    win.boxes.rtext1.text = codeLine;
    win.boxes.Text1.text = codeLine;
    conv.eraseWordTable();
    conv.wordCounter = 0;
    conv.wordIndex = 0;
    conv.j0 = 1;
    conv.qmhbir = 0;
    conv.hzixb.clear();
    std::u16string sentence, endzf;
    engine.sentence.fjyi(codeLine, sentence, endzf);
    return sentence;
  }
};

// Reads a GBK file with CR LF lines.
inline std::vector<std::u16string> readGbkLines(const Platform& platform, const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string text = platform.fromGbk(bytes);
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == u'\r' || line.back() == u'\0')) line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// The single-character lexicon of a two-letter main lexicon: the one-character words of its
// two-letter codes, with their weights.
inline void fillCharLexicon(const LexiconTable& table, LexiconTable& chars) {
  chars.reset();
  for (std::int32_t i = 1; i <= table.last; ++i) {
    const std::u16string_view code = table.codes[i];
    if (code.size() != 2) continue;
    const std::u16string_view list = table.lines[i];
    std::u16string single;
    for (std::size_t at = 0; at < list.size();) {
      const std::size_t sp = list.find(u' ', at);
      std::size_t next = sp == std::u16string_view::npos ? list.size() : list.find(u' ', sp + 1);
      if (next == std::u16string_view::npos) next = list.size();
      if (sp != std::u16string_view::npos && sp - at == 1) {
        if (!single.empty()) single += u' ';
        single += list.substr(at, next - at);
      }
      at = next + 1;
    }
    if (single.empty()) continue;
    chars.codes.push(code);
    chars.lines.push(single);
    ++chars.last;
  }
}

// A two-letter main lexicon made from the full-pinyin lexicon (resource 105): every syllable of a
// code written with its 自然双拼 pair (resource 101), the lines of equal codes joined; and the
// single-character lexicon of its one-character words. False when the resources are missing.
inline bool buildTwoLetterLexicon(const Platform& platform, const std::filesystem::path& resources,
                                  LexiconTable& table, LexiconTable& chars) {
  std::map<std::u16string, std::u16string> pairs;
  for (const auto& line : readGbkLines(platform, resources / "101.txt")) {
    const std::size_t comma = line.find(u',');
    if (comma != std::u16string::npos) pairs.emplace(line.substr(0, comma), line.substr(comma + 1));
  }
  if (pairs.empty()) return false;
  std::map<std::u16string, std::u16string> entries;
  for (const auto& line : readGbkLines(platform, resources / "105.txt")) {
    const std::size_t comma = line.find(u',');
    if (comma == std::u16string::npos) continue;
    std::u16string code;
    bool ok = true;
    for (std::size_t at = 0; at <= comma && ok;) {
      std::size_t end = line.find(u'\'', at);
      if (end == std::u16string::npos || end > comma) end = comma;
      auto it = pairs.find(line.substr(at, end - at));
      ok = it != pairs.end();
      if (ok) code += it->second;
      at = end + 1;
    }
    if (!ok || code.empty()) continue;
    std::u16string& list = entries[code];
    if (!list.empty()) list += u' ';
    list += line.substr(comma + 1);
  }
  table.reset();
  for (const auto& [code, list] : entries) {
    table.codes.push(code);
    table.lines.push(list);
  }
  table.last = static_cast<std::int32_t>(entries.size());
  fillCharLexicon(table, chars);
  return !entries.empty();
}

}  // namespace yz::bench_support
