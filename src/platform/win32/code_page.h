#pragma once
// Conversions between UTF-16 and the Windows code pages, and the character-message rule for
// windows that take ANSI characters. Pure functions over the system's code-page tables.

#include <cstdint>
#include <string>
#include <string_view>

namespace yz::win32 {

inline constexpr unsigned kGbkCodePage = 936;
inline constexpr unsigned kUtf8CodePage = 65001;

// Bytes that the code page does not define decode to its replacement character.
std::u16string decode(unsigned codePage, std::string_view bytes);
// Characters the code page cannot represent encode as "?" (no best-fit look-alikes).
std::string encode(unsigned codePage, std::u16string_view text);

// The WM_CHAR value that carries `ch` to a window taking ANSI characters: a single-byte character
// is its byte; a GBK double-byte character travels in one message with the lead byte in bits 0-7
// and the trail byte in bits 8-15. A character outside GBK arrives as "?".
std::uint32_t ansiCharMessageValue(char16_t ch);

// The message of a Win32 error code, for PlatformError texts.
std::string errorText(unsigned long code);

}  // namespace yz::win32
