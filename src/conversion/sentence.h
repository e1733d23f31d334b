#pragma once
// Sentence conversion: a typed code string into a whole sentence, its word table and the
// end-of-sentence candidates.

#include <cstdint>
#include <string>

#include "conversion/context.h"
#include "conversion/segment.h"
#include "conversion/split.h"

namespace yz {

class SentenceConversion {
 public:
  SentenceConversion(ConversionContext ctx, Segmentation& seg, SplitSearch& split)
      : c_(ctx), seg_(seg), split_(split) {}

  // Converts the code `bmstr` into the sentence `hjziir` and the end-of-sentence candidate list
  // `endzf`. Writes the word table from row j0 + wordCounter on; on return `bmstr` holds the code
  // from the start of the last piece converted. Pumps messages.
  void fjyi(std::u16string& bmstr, std::u16string& hjziir, std::u16string& endzf);

  // The segmentation the conversion cuts codes with (the prefix search `bmuib`).
  Segmentation& segmentation() { return seg_; }

 private:
  // Odd-length code under 高阶形码整句 and 纯两码整句: settle only the last character.
  void positioningPath(const std::u16string& code, std::u16string& hjziir, std::u16string& endzf);
  // Re-ranks a shape word among the first candidates of its code by web hit counts. Pumps messages.
  std::u16string rerankedWord(const std::u16string& code, const std::u16string& text,
                              const std::u16string& sentence);
  // The end-of-sentence candidates after the piece loop; `pieceCode` is the code of the last piece.
  void endCandidates(const std::u16string& pieceCode, const std::u16string& hjziir,
                     std::u16string& endzf);

  std::u16string charLine(std::int32_t i) const;
  std::u16string userLine(std::int32_t i) const;

  ConversionContext c_;
  Segmentation& seg_;
  SplitSearch& split_;
};

// The routines of one conversion, wired together.
struct ConversionEngine {
  explicit ConversionEngine(ConversionContext ctx)
      : segmentation(ctx), split(ctx, segmentation), sentence(ctx, segmentation, split) {}
  Segmentation segmentation;
  SplitSearch split;
  SentenceConversion sentence;
};

}  // namespace yz
