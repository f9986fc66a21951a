// See pixels.h.
#include "frei0r/pixels.h"

#include <cstddef>

namespace jf::frei0r {

void FrameToWorld(const std::uint32_t* frame, headless::World& world) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame);
  const std::size_t width = static_cast<std::size_t>(world.Width());
  for (A_long y = 0; y < world.Height(); ++y) {
    const std::uint8_t* src = bytes + static_cast<std::size_t>(y) * width * 4;
    PF_Pixel8* dst = world.At<PF_Pixel8>(0, y);
    for (std::size_t x = 0; x < width; ++x, src += 4) {
      dst[x] = PF_Pixel8{src[3], src[0], src[1], src[2]};
    }
  }
}

void WorldToFrame(const headless::World& world, std::uint32_t* frame) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(frame);
  const std::size_t width = static_cast<std::size_t>(world.Width());
  for (A_long y = 0; y < world.Height(); ++y) {
    const PF_Pixel8* src = world.At<PF_Pixel8>(0, y);
    std::uint8_t* dst = bytes + static_cast<std::size_t>(y) * width * 4;
    for (std::size_t x = 0; x < width; ++x, dst += 4) {
      dst[0] = src[x].red;
      dst[1] = src[x].green;
      dst[2] = src[x].blue;
      dst[3] = src[x].alpha;
    }
  }
}

}  // namespace jf::frei0r
