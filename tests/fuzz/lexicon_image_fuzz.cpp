// libFuzzer target: the lexicon image reader on arbitrary bytes. The input's last 32 bytes are
// taken as the seal and its checksum written afresh, so the walk over the records is what gets
// fuzzed; every second input keeps its own checksum, so the checksum test is fuzzed too. An
// accepted image must encode back to the same bytes (one without a seal, to its first bytes); a
// rejected one must leave the table untouched.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "lexicon/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string image(reinterpret_cast<const char*>(data), size);
  if (size % 2 == 0) yz::resealLexiconImage(image);
  std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(image.data()), image.size());
  yz::LexiconTable table;
  table.reset();
  table.codes.push(u"zz");
  table.lines.push(u"在 1");
  table.last = 1;
  auto result = yz::readLexiconImage(bytes, table);
  if (result.ok != yz::checkLexiconImage(bytes).ok) std::abort();
  if (result.ok && result.unsealed) {
    // The records read again make the image's first bytes; what follows them is not the table's.
    std::string records = yz::encodeLexiconImage(table);
    records.resize(yz::lexiconImageRecordsEnd(std::as_bytes(std::span(records.data(), records.size()))));
    if (image.compare(0, records.size(), records) != 0) std::abort();
  } else if (result.ok) {
    if (yz::encodeLexiconImage(table, result.source) != image) std::abort();
  } else if (table.last != 1 || table.codes[1] != u"zz") {
    std::abort();
  }
  return 0;
}
