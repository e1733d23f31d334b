#include "lexbuild/ready_made.h"

#include <memory>

#include "lexbuild/char_lexicon.h"
#include "lexbuild/file_snapshot.h"
#include "lexbuild/scheme_regeneration.h"
#include "lexbuild/scheme_switch.h"
#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "lexicon/image_loader.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"
#include "state/encoder_cells.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/window_state.h"

namespace yz {

ReadyMadeResult makeWubi86Lexicons(const ProgramFolder& files, Platform& platform, const GbkTable& gbk) {
  ReadyMadeResult result;
  const auto source = files.readBytes(kWubi86FullCodesPath);
  if (!source) {
    result.error = u"找不到" + std::u16string(kWubi86FullCodesPath);
    return result;
  }
  const FileSnapshot snapshot(files, {kMainLexiconPath, kCharLexiconPath, kLexiconImagePath, kCharScratchPath,
                                      u"两码词库.txt"});
  auto lex = std::make_unique<LexiconState>();
  Settings settings;
  selectInputKind(settings, InputKind::Shape);
  // The codes as a switch to 现代五笔 reads the same file.
  const std::u16string text = platform.fromGbk(*source);
  readSchemeFullCodes(text, *schemeMember(u"xdwb"), gbk, lex->charFullCodes, lex->charAuxCodes);

  CandidateBoxes boxes;
  PassState pass;
  RaceState race;
  EncoderCells cells;
  const EncoderContext encoder{*lex, gbk, settings, boxes, pass, race, cells};
  RegenerationContext ctx{platform, files, *lex, pass, settings, u"", u"", [] {}};
  const RegenerationResult regenerated = hzvh(ctx, encoder);
  result.skippedWords = regenerated.skippedWords;
  if (!regenerated.ok) {
    snapshot.restore();
    result.error = regenerated.reportText;
    return result;
  }
  result.lexiconLines = regenerated.lines;

  // The single-character lexicon as the load builds it: the one-letter codes first.
  std::vector<std::u16string> oneLetter;
  double weight = 100;
  for (std::u16string_view line : splitLines(text)) {
    auto fields = splitFields(line, u',');
    if (fields.size() < 2 || fields[0].size() != 1 || fields[1].empty()) continue;
    weight += 0.001;
    oneLetter.push_back(oneLetterScratchLine(fields[0], fields[1], weight));
  }
  bool ok = writeGbkLines(files, platform, kCharScratchPath, oneLetter);
  CharLexiconResult chars;
  if (ok) chars = regenerateCharLexicon(files, platform, *lex, gbk, false, [] {});
  ok = ok && chars.ok && files.copy(kMainLexiconPath, kWubi86LexiconPath) &&
       files.copy(kCharLexiconPath, kWubi86CharLexiconPath);
  result.charLines = chars.lines;
  snapshot.restore();
  if (!ok) {
    result.error = u"五笔86的词库文件写不进内置文件";
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace yz
