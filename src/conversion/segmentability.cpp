// The segmentability tests of the segmentation: can a code still be cut into lexicon entries?
// A trailing letter may be read as auxiliary code only in a rest after the first segment
// (qmhbir * wzma = 1).

#include <string>

#include "conversion/segment.h"
#include "conversion/text_steps.h"

namespace yz {

using namespace conversion_text;

bool Segmentation::hasEntry(std::u16string_view code) {
  LookupCells& cells = c_.lex.cells;
  c_.lookups.hzirvck(code, cells.lookupWord, cells.zicipn);
  return !cells.lookupWord.empty();
}

bool Segmentation::testForLength(std::int32_t h, std::u16string_view strx) {
  switch (h) {
    case 6: return igju6(strx);
    case 5: return igju5(strx);
    case 4: return igju4(strx);
    default: return igju23(strx);
  }
}

bool Segmentation::igjux(std::u16string_view strx) {
  const Settings& s = c_.settings;
  ConversionState& conv = c_.conv;
  if (c_.race.raceMode == 1 || s.dgvj || s.ilmvj || strx.empty()) return true;
  const std::int32_t n = len(strx);

  if (n > 5 && conv.cutTableLast != -1) {
    const std::int32_t last = std::min(conv.cutTableLast, kCutTableSlots - 1);
    for (std::int32_t i = 0; i <= last; ++i)
      if (equalsWithoutSpaces(conv.cutTable[i], strx)) return true;
    std::u16string piece = u" ";
    piece += strx;
    piece += u' ';
    for (std::int32_t i = 0; i <= last; ++i) {
      std::u16string cutting = conv.cutTable[i];
      cutting += u' ';
      const std::size_t at = cutting.find(piece);
      if (at == std::u16string::npos) continue;
      if (igjux(withoutSpaces(std::u16string_view(cutting).substr(0, at)))) return true;
    }
  }

  if (n == 1) return conv.qmhbir != 0 && conv.wzma != 0 && !c_.lookups.ybcib(strx).empty();
  if (n <= 6) return testForLength(n, strx);

  for (std::int32_t h = 6; h >= 3; --h) {
    conv.wzma = 0;
    if (testForLength(h, left(strx, h))) {
      conv.wzma = 1;
      if (igjux(from(strx, h + 1))) return true;
    }
  }
  conv.wzma = 0;
  if (!igju23(left(strx, 2))) return false;
  conv.wzma = 1;
  return igjux(from(strx, 3));
}

bool Segmentation::igju23(std::u16string_view strx) {
  if (hasEntry(strx)) return true;
  return c_.conv.qmhbir * c_.conv.wzma == 1 && len(strx) == 3 && hasEntry(left(strx, 2));
}

bool Segmentation::igju4(std::u16string_view strx) {
  ConversionState& conv = c_.conv;
  if (hasEntry(strx)) return true;
  if (conv.qmhbir * conv.wzma == 1) {
    conv.wzma = 0;
    if (igju23(left(strx, 3))) return true;
  }
  conv.wzma = 0;
  return igju23(left(strx, 2)) && igju23(mid(strx, 3, 2));
}

bool Segmentation::igju5(std::u16string_view strx) {
  ConversionState& conv = c_.conv;
  if (hasEntry(strx)) return true;
  if (conv.qmhbir * conv.wzma == 1) {
    conv.wzma = 0;
    if (igju4(left(strx, 4))) return true;
  }
  conv.wzma = 0;
  if (igju23(strx)) return true;
  if (igju23(left(strx, 2)) && igju23(mid(strx, 3, 3))) return true;
  return igju23(left(strx, 3)) && igju23(mid(strx, 4, 2));
}

bool Segmentation::igju6(std::u16string_view strx) {
  ConversionState& conv = c_.conv;
  if (hasEntry(strx)) return true;
  if (conv.qmhbir * conv.wzma == 1) {
    conv.wzma = 0;
    if (igju5(left(strx, 5))) return true;
  }
  conv.wzma = 0;
  if (igju23(strx)) return true;
  if (igju23(left(strx, 3)) && igju23(mid(strx, 4, 3))) return true;
  if (igju23(left(strx, 2)) && igju23(mid(strx, 3, 2)) && igju23(mid(strx, 5, 2))) return true;
  if (igju23(left(strx, 2)) && hasEntry(mid(strx, 3, 4))) return true;
  return hasEntry(left(strx, 4)) && igju23(mid(strx, 5, 2));
}

}  // namespace yz
