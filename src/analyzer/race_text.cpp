#include "analyzer/race_text.h"

#include <string>

#include "lexicon/files.h"
#include "lexicon/text_encoding.h"
#include "platform/platform.h"

namespace yz {

namespace {

std::u16string decimal(std::uintmax_t n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

}  // namespace

std::optional<std::u16string> readRaceText(const ProgramFolder& files, Platform& platform) {
  ReadFailure why = ReadFailure::None;
  const std::optional<std::string> bytes = files.readBytes(kRaceTextPath, kRaceTextLimit, &why);
  if (why == ReadFailure::TooLarge) {
    std::u16string message(kRaceTextPath);
    message += u" 有 ";
    message += decimal(files.size(kRaceTextPath).value_or(0));
    message += u" 字节，赛文最多读入 ";
    message += decimal(kRaceTextLimit);
    message += u" 字节，这次没有比赛。请把它分成几篇后再试。";
    platform.messageBox(message, u"", MessageBoxKind::Ok);
    return std::nullopt;
  }
  if (!bytes) return std::nullopt;
  DecodedText decoded = decodeUserText(*bytes, platform);
  if (decoded.encoding == TextEncoding::Unclean) {
    std::u16string message(kRaceTextPath);
    message +=
        u" 不是 GBK、UTF-8 或 UTF-16 编码，无法正确读出，这次没有比赛。\r\n"
        u"请把它另存为 ANSI（GBK）编码后再试。";
    platform.messageBox(message, u"", MessageBoxKind::Ok);
    return std::nullopt;
  }
  return std::move(decoded.text);
}

}  // namespace yz
