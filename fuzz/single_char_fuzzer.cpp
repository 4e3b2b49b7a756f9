// Arbitrary bytes as a single-character dictionary file: read through the file loader (which
// checks UTF-8) and, when that accepts it, every entry must be found again by lookup.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/model/single_char_dictionary.h"
#include "fuzz/fuzz_support.h"

using kotori::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& path = kotori::fuzz::scratch_file(".tsv");
  kotori::fuzz::write_file(path, data, size);
  auto loaded = kotori::core::load_single_char_file(path);
  if (!loaded) {
    check(!loaded.error().display().empty(), "every error has a display text");
    return 0;
  }
  const auto parsed =
      kotori::core::parse_single_char_text(std::string_view(reinterpret_cast<const char*>(data), size));
  check(parsed.size() == loaded->size(), "file and text parse agree");
  char32_t previous = 0;
  bool first = true;
  for (const auto& entry : loaded->entries()) {
    check(first || entry.character > previous, "entries sorted, one per character");
    check(!entry.readings.empty(), "every entry has a reading");
    check(loaded->lookup(entry.character) == &entry.readings, "lookup finds every entry");
    previous = entry.character;
    first = false;
  }
  return 0;
}
