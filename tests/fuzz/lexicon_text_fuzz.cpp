// libFuzzer target: the lexicon text parser on arbitrary UTF-16 text. Every line is either an
// entry or reported, and every entry's slots lie inside the table's buffer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lexicon/files.h"
#include "lexicon/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  if (!text.empty()) std::memcpy(text.data(), data, text.size() * 2);
  yz::LexiconTable table;
  auto result = yz::parseLexiconText(text, table);
  std::size_t lines = yz::splitLines(text).size();
  if (!result.ok || static_cast<std::size_t>(table.last) + result.badLines.size() != lines) std::abort();
  if (table.codes.size() != static_cast<std::size_t>(table.last) + 1) std::abort();
  const char16_t* begin = table.buffer->data();
  const char16_t* end = begin + table.buffer->size();
  for (std::int32_t i = 1; i <= table.last; ++i) {
    for (auto view : {table.codes[static_cast<std::size_t>(i)], table.lines[static_cast<std::size_t>(i)]}) {
      if (view.data() < begin || view.data() + view.size() > end) std::abort();
    }
  }
  return 0;
}
