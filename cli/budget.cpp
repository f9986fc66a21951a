// See budget.h.
#include "cli/budget.h"

#include <algorithm>
#include <cstdio>

#include "cli/errors.h"
#include "cli/platform.h"

namespace jf::cli {
namespace {

std::uint64_t BytesPerPixel(int depth) {
  return depth == 8 ? 4 : depth == 16 ? 8 : 16;
}

std::string Gibibytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / (1ull << 30));
  return text;
}

}  // namespace

std::uint64_t AvailableMemory() {
  const std::uint64_t bytes = platform::UsableMemory();
  return bytes != 0 ? bytes : std::uint64_t{4} << 30;
}

std::uint64_t DefaultMaxPixels() {
  return AvailableMemory() / (kFrameBuffersPerRender * BytesPerPixel(8));
}

void CheckFrameBudget(const std::string& what, std::int64_t width, std::int64_t height, int depth,
                      std::uint64_t maxPixels) {
  const std::uint64_t budget = maxPixels != 0 ? maxPixels : DefaultMaxPixels();
  const auto pixels = static_cast<std::uint64_t>(std::max<std::int64_t>(width, 0)) *
                      static_cast<std::uint64_t>(std::max<std::int64_t>(height, 0));
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (pixels > budget) {
    throw CliError(what + ": " + size + " is " + std::to_string(pixels) +
                       " pixels, over the pixel budget of " + std::to_string(budget) +
                       " (--max-pixels" +
                       (maxPixels != 0 ? ")" : "; the default follows this machine's memory)"),
                   2);
  }
  const std::uint64_t needed = pixels * BytesPerPixel(depth) * kFrameBuffersPerRender;
  const std::uint64_t available = AvailableMemory();
  if (needed > available) {
    throw CliError(what + ": rendering " + size + " at " + std::to_string(depth) +
                       " bits needs about " + Gibibytes(needed) + ", more than the " +
                       Gibibytes(available) + " of memory here",
                   2);
  }
}

}  // namespace jf::cli
