// The module loader's readers: an ELF file's section table and the PiPL inside it, or PiPL bytes
// alone (by the first byte), with the UTF-8 check the command makes of the names.
#include <cstddef>
#include <cstdint>
#include <span>

#include "presets/text.h"
#include "headless/module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);
  try {
    const auto pipl = data[0] & 1
                          ? jf::headless::ParsePipl(
                                jf::headless::ReadElfSection(bytes, ".pipl", "fuzz.so"), "fuzz.so")
                          : jf::headless::ParsePipl(bytes, "fuzz.pipl");
    (void)jf::presets::IsUtf8(pipl.name);
    (void)jf::presets::Quoted(pipl.matchName);
  } catch (const jf::headless::ModuleError&) {
  }
  return 0;
}
