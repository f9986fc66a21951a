// Raw streams: a size and format from the first bytes, frames from the rest, read as the stream
// command reads them (truncation included) and mapped to the host's layout and back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/errors.h"
#include "cli/stream_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  // The size as text, so its parser is fuzzed too; small frames keep each run quick.
  const std::string sizeText =
      std::to_string(data[0] % 17) + (data[1] & 0x80 ? "x" : "X") + std::to_string(data[1] % 13);
  int width = 0;
  int height = 0;
  if (!jf::cli::ParseFrameSize(sizeText, width, height)) return 0;
  const jf::headless::PixFmt format = static_cast<jf::headless::PixFmt>(data[2] % 3);
  const std::size_t bytes = jf::cli::FrameBytes(format, width, height);
  std::FILE* in = size > 3 ? fmemopen(const_cast<std::uint8_t*>(data + 3), size - 3, "rb")
                           : std::fopen("/dev/null", "rb");
  if (in == nullptr) return 0;
  try {
    jf::cli::RawFrameReader reader(in, bytes);
    for (std::size_t got; (got = reader.Read()) == bytes;) {
      const jf::cli::HostImage image = jf::cli::FromRaw(format, width, height, reader.Data());
      std::string back(bytes, '\0');
      jf::cli::ToRaw(format, image, reinterpret_cast<std::uint8_t*>(back.data()));
      // Bytes and float planes carry every bit both ways; 16-bit values are rescaled.
      if (format != jf::headless::PixFmt::Rgba64le &&
          std::memcmp(back.data(), reader.Data(), bytes)) {
        __builtin_trap();
      }
    }
  } catch (const jf::cli::CliError&) {
  }
  std::fclose(in);
  return 0;
}
