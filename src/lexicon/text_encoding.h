#pragma once
// Which encoding a text file the user may have saved in an editor is in: the system's own GBK,
// or UTF-8 or UTF-16 (Notepad's "UTF-8" and "Unicode"), told by a byte-order mark or by bytes
// that are valid UTF-8 and not plain ASCII (tested before GBK: UTF-8 Chinese pairs up into GBK
// characters byte by byte).

#include <string>
#include <string_view>

namespace yz {

class Platform;

enum class TextEncoding {
  Gbk,      // GBK (plain ASCII included), every byte part of a character
  Utf8,     // UTF-8, with or without its byte-order mark
  Utf16LE,  // UTF-16 little-endian with its byte-order mark (Notepad's "Unicode")
  Utf16BE,  // UTF-16 big-endian with its byte-order mark
  Unclean,  // none of these: NUL bytes, or bytes that start or end no GBK character
};

struct DecodedText {
  TextEncoding encoding = TextEncoding::Gbk;
  std::u16string text;  // without the byte-order mark; for Unclean, the GBK decoding as it comes
};

// Decodes a file's bytes by the encoding found in them.
DecodedText decodeUserText(std::string_view bytes, const Platform& platform);

// The encoding's name as a user sees it in an editor ("UTF-8", "UTF-16").
std::u16string_view encodingName(TextEncoding encoding);

// Whether every byte is ASCII (but NUL), the euro sign 0x80 or part of a GBK double-byte
// character.
bool isCleanGbk(std::string_view bytes);
// Whether the bytes are valid UTF-8 (no overlong form, no surrogate) with at least one
// character beyond ASCII.
bool isUtf8BeyondAscii(std::string_view bytes);

}  // namespace yz
