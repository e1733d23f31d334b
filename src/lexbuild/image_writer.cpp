#include "lexbuild/image_writer.h"

#include <bit>
#include <cstring>
#include <limits>

#include "lexicon/files.h"
#include "lexicon/image_loader.h"
#include "platform/platform.h"

namespace yz {
namespace {

static_assert(std::endian::native == std::endian::little, "the image stores UTF-16LE text");

void putInt32(std::string& out, std::uint32_t v) {
  char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
               static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
  out.append(b, 4);
}

void putText(std::string& out, std::u16string_view text) {
  putInt32(out, static_cast<std::uint32_t>(2 * text.size()));
  std::size_t at = out.size();
  out.resize(at + 2 * text.size() + 2);
  if (!text.empty()) std::memcpy(out.data() + at, text.data(), 2 * text.size());
  out[out.size() - 2] = '\0';
  out[out.size() - 1] = '\0';
}

}  // namespace

LexiconImageBytes buildLexiconImage(std::u16string_view text, const LexiconSourceStamp& source) {
  LexiconImageBytes image;
  // Every text unit is stored once with at most 12 bytes per line around it.
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 4)) {
    return image;
  }
  std::string& out = image.bytes;
  out.reserve(4 + 2 * text.size() + 12 * (text.size() / 16 + 1) + kLexiconImageSealBytes);
  putInt32(out, 0);
  std::int32_t n = 0;
  for (std::u16string_view line : splitLines(text)) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) {
      if (!line.empty()) ++image.skippedLines;
      continue;
    }
    putText(out, line.substr(0, comma));
    putText(out, line.substr(comma + 1));
    ++n;
  }
  if (n == 0) {
    out.clear();
    return image;
  }
  std::string count;
  putInt32(count, static_cast<std::uint32_t>(n));
  std::memcpy(out.data(), count.data(), 4);
  sealLexiconImage(out, source);
  image.records = n;
  return image;
}

ImageWriteResult writeLexiconImage(const ProgramFolder& files, const Platform& platform) {
  ImageWriteResult result;
  // Stamped before it is read: a text changed meanwhile makes the image stale, never wrong.
  const std::optional<LexiconSourceStamp> stamp = files.stamp(kMainLexiconPath);
  std::optional<std::string> source;
  if (stamp) source = files.readBytes(kMainLexiconPath);
  if (source) {
    LexiconImageBytes image = buildLexiconImage(platform.fromGbk(*source), *stamp);
    result.skippedLines = image.skippedLines;
    if (image.records > 0 && files.writeBytes(kLexiconImagePath, image.bytes)) {
      result.ok = true;
      result.records = image.records;
      return result;
    }
  }
  if (files.exists(kLexiconImagePath)) result.removedStale = files.remove(kLexiconImagePath);
  return result;
}

ImageWriteResult refreshLexiconImage(const ProgramFolder& files, const Platform& platform) {
  if (!files.exists(kLexiconImagePath)) return {};
  return writeLexiconImage(files, platform);
}

std::u16string secondsText(std::uint32_t ms) {
  std::u16string text;
  for (char c : std::to_string(ms / 1000)) text.push_back(static_cast<char16_t>(c));
  std::uint32_t frac = ms % 1000;
  if (frac != 0) {
    char16_t digits[3] = {static_cast<char16_t>(u'0' + frac / 100),
                          static_cast<char16_t>(u'0' + frac / 10 % 10),
                          static_cast<char16_t>(u'0' + frac % 10)};
    int len = 3;
    while (digits[len - 1] == u'0') --len;
    text.push_back(u'.');
    text.append(digits, static_cast<std::size_t>(len));
  }
  return text;
}

ImageWriteResult iuuihw(const ProgramFolder& files, Platform& platform) {
  std::uint32_t start = platform.clockMs();
  ImageWriteResult result = writeLexiconImage(files, platform);
  std::uint32_t elapsed = platform.clockMs() - start;
  if (result.ok) {
    platform.messageBox(u"词库初始化耗时  " + secondsText(elapsed) + u"  秒", u"", MessageBoxKind::Ok);
  } else {
    platform.messageBox(u"内置文件\\两码词库.txt 中没有可用的词条，未生成词库映像！", u"",
                        MessageBoxKind::Ok);
  }
  platform.quit();
  return result;
}

}  // namespace yz
