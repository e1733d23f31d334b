#include "platform/win32/code_page.h"

#include <algorithm>
#include <cctype>

#include "platform/win32/windows_header.h"

namespace yz::win32 {

std::u16string decode(unsigned codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const auto* src = bytes.data();
  const int srcLen = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, 0, src, srcLen, nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(codePage, 0, src, srcLen, reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

std::string encode(unsigned codePage, std::u16string_view text) {
  if (text.empty()) return {};
  const auto* src = reinterpret_cast<const wchar_t*>(text.data());
  const int srcLen = static_cast<int>(text.size());
  // UTF-8 takes neither flags nor a default character; every other code page maps what it cannot
  // represent to "?" instead of a best-fit look-alike.
  const bool utf8 = codePage == kUtf8CodePage;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* defaultChar = utf8 ? nullptr : "?";
  const int n = WideCharToMultiByte(codePage, flags, src, srcLen, nullptr, 0, defaultChar, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, src, srcLen, out.data(), n, defaultChar, nullptr);
  return out;
}

std::uint32_t ansiCharMessageValue(char16_t ch) {
  const std::string bytes = encode(kGbkCodePage, std::u16string_view(&ch, 1));
  if (bytes.empty()) return 0;
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (bytes.size() == 1) return lead;
  const auto trail = static_cast<unsigned char>(bytes[1]);
  return lead | (static_cast<std::uint32_t>(trail) << 8);
}

std::string errorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (n > 0 && buffer) text.assign(reinterpret_cast<const char16_t*>(buffer), n);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) {
    text.pop_back();
  }
  std::string out = "error " + std::to_string(code);
  if (!text.empty()) out += ": " + encode(kUtf8CodePage, text);
  return out;
}

}  // namespace yz::win32
