// libFuzzer target: the lexicon image reader on arbitrary bytes. An accepted image must encode
// back to the same bytes; a rejected one must leave the table untouched.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "lexicon/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  yz::LexiconTable table;
  table.reset();
  table.codes.push(u"zz");
  table.lines.push(u"在 1");
  table.last = 1;
  auto result = yz::readLexiconImage(bytes, table);
  if (result.ok != yz::checkLexiconImage(bytes).ok) std::abort();
  if (result.ok) {
    std::string again = yz::encodeLexiconImage(table);
    if (again.size() != size || again.compare(0, size, reinterpret_cast<const char*>(data), size) != 0) {
      std::abort();
    }
  } else if (table.last != 1 || table.codes[1] != u"zz") {
    std::abort();
  }
  return 0;
}
