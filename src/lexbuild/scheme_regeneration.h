#pragma once
// The shape and sound-shape regenerations of the system lexicon: the words of resource 105 coded
// by the text encoders of the current scheme (see lexbuild/system_lexicon.h for the shared steps).

#include "lexbuild/system_lexicon.h"
#include "lexicon/annotate.h"

namespace yz {

// The shape regeneration: every word under `dzqmvuyn` of the word (the characters' full codes cut
// to two letters, three under 纯三码整句). A word with an empty code is left out. Pumps messages.
RegenerationResult hzvh(RegenerationContext& ctx, const EncoderContext& encoder);

// The sound-shape regeneration: every word under `citcbmma` of the word, the encoder of the
// current input kind. Pumps messages.
RegenerationResult yxmvh(RegenerationContext& ctx, const EncoderContext& encoder);

}  // namespace yz
