#include "lexbuild/scheme_regeneration.h"

#include "lexicon/encoder.h"

namespace yz {

RegenerationResult hzvh(RegenerationContext& ctx, const EncoderContext& encoder) {
  WordCoder coder;
  coder.perWord = [&encoder](std::u16string_view word) { return dzqmvuyn(encoder, word); };
  return regenerateSystemLexicon(ctx, coder, false);
}

RegenerationResult yxmvh(RegenerationContext& ctx, const EncoderContext& encoder) {
  WordCoder coder;
  coder.perWord = [&encoder](std::u16string_view word) {
    std::u16string code, pinyin;
    citcbmma(encoder, word, code, pinyin);
    return code;
  };
  return regenerateSystemLexicon(ctx, coder, false);
}

}  // namespace yz
