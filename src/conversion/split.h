#pragma once
// The split search: where the longest match at the current position does not reach the end of the
// code, cut the code into a first part and a rest at several lengths around the match, convert
// both with the greedy cost segmentation and take the first part of the best-scored cut.
//
// Costs are single-precision, scores double-precision; the lower value wins and only a strictly
// lower one replaces the best.

#include <cstdint>
#include <string>
#include <string_view>

#include "conversion/context.h"
#include "conversion/segment.h"

namespace yz {

inline constexpr double kNoScore = 1000000;

class SplitSearch {
 public:
  SplitSearch(ConversionContext ctx, Segmentation& seg) : c_(ctx), seg_(seg) {}

  // What a greedy cost segmentation found.
  struct Greedy {
    float ffcigeuu = 0;     // its cost
    std::u16string hjzils;  // its first word; empty = the segmentation failed
    std::u16string hjziqb;  // its word texts, each after one space
    std::u16string bmmals;  // its word codes, each after one space
  };
  // Greedy cost segmentation of a code (an empty code fails with nothing). Pumps messages.
  Greedy ycpd(std::u16string bmma1);

  // Score of a cut: the two costs added in single precision, plus 1 / the characters of both
  // parts, rounded to five decimals.
  static double cutScore(float s1, float s2, std::int32_t chars);

  // Split search of the code still to convert, `i3` its longest match: the first part's word texts
  // into `hzstr3` (empty = no cut converted), its length into `i4`, its word codes into `bmstr4`.
  // Pumps messages.
  void fizh(std::u16string bmstr3, std::u16string& hzstr3, std::int32_t i3, std::int32_t& i4,
            std::u16string& bmstr4);
  // The split search that weighs cuts by web hit counts, for shape codes. Same arguments.
  // Pumps messages.
  void fizhyp(std::u16string bmstr3, std::u16string& hzstr3, std::int32_t i3, std::int32_t& i4,
              std::u16string& bmstr4);

  // Lays the cuttings of the longest-match cut into the cut table.
  void fillCutTable(std::u16string_view codes1, std::u16string_view codes2);
  // Empties every slot of the cut table.
  void clearCutTable();

 private:
  // The score of a cut from its two parts' costs and characters.
  static double cutScore(const Greedy& first, const Greedy& rest);
  // One cut of the search: its parts, and the outputs a taken cut leaves.
  struct Search {
    std::u16string& hzstr3;
    std::int32_t& i4;
    std::u16string& bmstr4;
    double best = kNoScore;
    void take(double score, std::int32_t k, const Greedy& first, const Greedy& rest,
              ConversionState& conv);
  };

  // Converts one part with the given qmhbir; false when it failed.
  bool convertPart(std::u16string_view code, std::int32_t qmhbir, Greedy& out);
  // Converts both parts of the cut at k; false when one failed. `addRule300` applies the rule of
  // the longest-match cut to the first part. Pumps messages.
  bool convertCut(std::u16string_view b, std::int32_t k, bool addRule300, Greedy& first, Greedy& rest);
  // The weight step of a negative weight.
  float transformedWeight(float w, std::int32_t chars) const;

  ConversionContext c_;
  Segmentation& seg_;
};

}  // namespace yz
