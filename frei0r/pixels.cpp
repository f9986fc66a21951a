// See pixels.h.
#include "frei0r/pixels.h"

#include "headless/raw_frames.h"

namespace jf::frei0r {

// A frei0r frame is the stream command's rgba layout.
void FrameToWorld(const std::uint32_t* frame, headless::World& world) {
  headless::RawToWorld(headless::PixFmt::Rgba, reinterpret_cast<const std::uint8_t*>(frame), world);
}

void WorldToFrame(const headless::World& world, std::uint32_t* frame) {
  headless::WorldToRaw(headless::PixFmt::Rgba, world, reinterpret_cast<std::uint8_t*>(frame));
}

}  // namespace jf::frei0r
