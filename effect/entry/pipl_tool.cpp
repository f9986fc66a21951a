// Writes the module's PiPL bytes to a file, from which the Windows resource compiler makes the
// module's "PiPL" resource; run at build time on the build machine.
#include <cstdio>

#include "entry/pipl.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pipl_tool OUTPUT\n");
    return 2;
  }
  const auto bytes = jf::PiplBytes();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) {
    std::perror(argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
