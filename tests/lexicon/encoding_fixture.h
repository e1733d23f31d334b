#pragma once
// A small world for the text encoders: resources 102-104 written in their formats into a temp
// folder and loaded through the platform, a syllable table, full and auxiliary codes, and the
// state records the encoders read.

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/annotate.h"
#include "lexicon/gbk.h"
#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"

namespace yz::testing_support {

// Fills the by-pinyin syllable table from "pinyin,code" lines in file order from index 0, as
// the load sequence does with resource 101 (whose first line is a garbled copy of the second).
inline void fillSyllables(SyllableTable& table, const std::vector<std::u16string_view>& lines) {
  table.last = -1;
  for (auto line : lines) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos || table.last + 1 >= static_cast<std::int32_t>(kSyllableSlots)) continue;
    ++table.last;
    table.syllables[table.last] = line.substr(0, comma);
    table.codes[table.last] = line.substr(comma + 1);
  }
}

// Resource 101 (or any pair text) through the platform.
inline bool loadSyllablesFromResource101(const Platform& platform, SyllableTable& table) {
  auto bytes = platform.resource(101);
  if (!bytes) return false;
  std::u16string text = platform.fromGbk(*bytes);
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  std::vector<std::u16string_view> lines;
  std::u16string_view rest = text;
  for (std::size_t p; (p = rest.find(u"\r\n")) != std::u16string_view::npos; rest = rest.substr(p + 2)) {
    lines.push_back(rest.substr(0, p));
  }
  if (!rest.empty()) lines.push_back(rest);
  fillSyllables(table, lines);
  return true;
}

class EncodingWorld {
 public:
  // Every character slot starts as "$***" (no reading), the digits read "ling" ... "jiu".
  EncodingWorld() : gbk(sim) {
    for (std::size_t i = 1; i < kCharTableSlots - 1; ++i) lex.charInfoLines.set(i, u"$***");
    const char16_t* digits[] = {u"ling", u"yi", u"er", u"san", u"si", u"wu", u"liu", u"qi", u"ba", u"jiu"};
    for (int d = 0; d < 10; ++d) lex.charPinyin.set(static_cast<std::size_t>(u'0' + d), digits[d]);
  }

  SimPlatform sim;
  GbkTable gbk;
  LexiconState lex;
  Settings settings;
  CandidateBoxes boxes;
  PassState pass;
  RaceState race;
  WebCells web;
  EncoderCells cells;

  EncoderContext ctx() { return EncoderContext{lex, gbk, settings, boxes, pass, race, cells}; }

  void fullCode(char16_t ch, std::u16string_view code) { lex.charFullCodes.set(gbk.charIndex(ch), code); }
  void auxCode(char16_t ch, std::u16string_view code) { lex.charAuxCodes.set(gbk.charIndex(ch), code); }
  // An ordinary character with its default reading, straight into the tables.
  void addChar(char16_t ch, std::u16string_view pinyin) {
    lex.readCharInfo();  // a resource loaded before fills the tables first
    int i = gbk.charIndex(ch);
    lex.charInfoLines.set(i, u"$,xx,*,0,0," + std::u16string(pinyin) + u"," + std::u16string(1, ch));
    lex.charPinyin.set(i, pinyin);
  }

  // Writes resources 102 (the given information lines at their characters' slots, "$***"
  // elsewhere), 103 and 104 as GBK with CR LF into `dir`, 102 and 103 ending in a NUL as the
  // resources built into the program do, and loads them.
  AnnotationLoadResult writeAndLoad(const std::filesystem::path& dir,
                                    const std::vector<std::u16string>& infoLines,
                                    const std::vector<std::u16string>& polyphoneLines,
                                    const std::vector<std::u16string>& commonLines) {
    std::vector<std::u16string> slots(32768, u"$***");
    for (const auto& line : infoLines) {
      std::size_t at = 0;
      for (int field = 0; field < 6 && at != std::u16string::npos; ++field) at = line.find(u',', at) + 1;
      char16_t ch = line[at];
      slots[static_cast<std::size_t>(gbk.charIndex(ch)) - 1] = line;
    }
    std::u16string r102, r103, r104;
    for (std::size_t i = 0; i + 1 < slots.size(); ++i) r102 += slots[i] + u"\r\n";
    r102 += u'\0';
    for (const auto& line : polyphoneLines) r103 += line + u"\r\n";
    r103 += u'\0';
    for (const auto& line : commonLines) r104 += line + u"\r\n";
    std::filesystem::create_directories(dir);
    write(dir / "102.txt", r102);
    write(dir / "103.txt", r103);
    write(dir / "104.txt", r104);
    sim.resourceDir = dir;
    return loadAnnotationTables(sim, lex);
  }

 private:
  void write(const std::filesystem::path& path, std::u16string_view text) {
    std::ofstream out(path, std::ios::binary);
    out << sim.toGbk(text);
  }
};

}  // namespace yz::testing_support
