#pragma once
// Longest-match segmentation: the word at the start of a code, with the tests of whether the code
// after it can still be cut into lexicon entries.
//
// Results go to shared cells (lookup cells, tailCode/tailText, loopCounter2, wzma, ...) that the
// next nested call overwrites; callers read them right after each call.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/context.h"

namespace yz {

inline constexpr int kMaxAlternatives = 100;

class Segmentation {
 public:
  explicit Segmentation(ConversionContext ctx) : c_(ctx) {}

  // Prefix search: the longest prefix of at least `blen` letters that has an entry (and leaves a
  // rest that can be cut, where the sentence mode asks). Code into `bmb`, text into `hzb`.
  // Pumps messages. `bmstr` must not view `bmb`, `hzb` or a cell of the conversion.
  void bmuib(std::u16string_view bmstr, std::u16string& bmb, std::u16string& hzb, std::int32_t blen);
  // Segment choice: the first match, repaired and weighed against the matches that begin inside
  // it. Code into `outCode`, text into `outText` (empty when nothing matched). Pumps messages.
  // `bmstr` must not view `outCode`, `outText` or a cell of the conversion.
  void bmui(std::u16string_view bmstr, std::u16string& outCode, std::u16string& outText);

  // Segmentability test for a code of any length.
  bool igjux(std::u16string_view strx);
  // Segmentability tests for codes of two or three, four, five and six letters.
  bool igju23(std::u16string_view strx);
  bool igju4(std::u16string_view strx);
  bool igju5(std::u16string_view strx);
  bool igju6(std::u16string_view strx);

 private:
  struct Alternative {
    std::u16string code;
    std::u16string text;
    float weight = 0;
    std::int32_t start = 1;  // letter of the code where the entry begins
  };
  // Local to one segment choice: a conversion can run again inside the pump of an earlier one.
  // Entries 0..n are in use; the strings keep their room from one choice to the next.
  using Alternatives = std::vector<Alternative>;

  // True when the code lookup finds a word for the code.
  bool hasEntry(std::u16string_view code);
  bool testForLength(std::int32_t h, std::u16string_view strx);
  // Under word making: the weight of the known text's word among the lines the lookup selected;
  // false when the code lies at no odd position of the race code or the word is in none of them.
  bool knownTextWeight(std::u16string_view bmstr, std::int32_t headLetters, float& weight);
  // The choice among the alternatives 0..n; returns the index chosen. Pumps messages.
  std::int32_t choose(const Alternatives& alt, std::int32_t n);

  ConversionContext c_;
  // The alternatives of each segment choice under way, by how deep it is nested.
  std::vector<std::unique_ptr<Alternatives>> alternativesByDepth_;
  std::size_t alternativesDepth_ = 0;
};

}  // namespace yz
