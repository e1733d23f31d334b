#pragma once
// The lookups the sentence conversion asks: the code lookup with its two wrappers, and the user and
// single-character lookups. They leave their results in the lookup cells (LookupCells), which the
// next lookup overwrites: read what you need right after the call.

#include <cstdint>
#include <string>
#include <string_view>

namespace yz {

class ConversionLookups {
 public:
  virtual ~ConversionLookups() = default;
  // Looks a code up: best word into `cnir`, its weight into `zicipn`; fills the lookup cells.
  // The code is read before any cell is written, so it may view a cell.
  virtual void hzirvck(std::u16string_view str4, std::u16string& cnir, float& zicipn) = 0;
  // Best word of a code (through the code lookup, into lookupWord and zicipn).
  virtual std::u16string ybci(std::u16string_view strx) = 0;
  // The lexicon line a code selects, by the code's length (a user hit winning); empty for none.
  virtual std::u16string ybcib(std::u16string_view strx) = 0;
  // Looks a code up in the user lexicon: its candidate list, its index into `k12`.
  virtual void hziryhck(std::u16string str4, std::u16string& cnir, std::int32_t& k12) = 0;
  // Looks a code up in the single-character lexicon: best character and its weight.
  virtual void hzirdzck(std::u16string str4, std::u16string& cnir, float& zicipn) = 0;

  // Between these two (they nest) a code looked up again may be answered with the outcome of its
  // earlier lookup; `forgetRepeats` drops what is kept (after a word was learned).
  virtual void beginRepeats() {}
  virtual void endRepeats() {}
  virtual void forgetRepeats() {}
};

// Keeps repeated lookups for the life of the object (one conversion).
class RepeatedLookupsScope {
 public:
  explicit RepeatedLookupsScope(ConversionLookups& lookups) : lookups_(lookups) { lookups_.beginRepeats(); }
  ~RepeatedLookupsScope() { lookups_.endRepeats(); }
  RepeatedLookupsScope(const RepeatedLookupsScope&) = delete;
  RepeatedLookupsScope& operator=(const RepeatedLookupsScope&) = delete;

 private:
  ConversionLookups& lookups_;
};

// Learns a word into the user lexicon; the segmentation calls it for a fused word.
class FusedWordLearning {
 public:
  virtual ~FusedWordLearning() = default;
  // Learns one word into the user lexicon.
  virtual void zdzyhc(std::u16string str4) = 0;
};

}  // namespace yz
