// frei0r frames (RGBA8888: bytes R, G, B, A, rows packed top first, straight alpha) to and from
// the host's 8-bit worlds (alpha, red, green, blue per pixel, straight alpha). Both carry the
// same four bytes per pixel, so the round trip loses nothing.
#pragma once

#include <cstdint>

#include "headless/worlds.h"

namespace jf::frei0r {

/// Copies a frame of the world's size into an 8-bit world.
void FrameToWorld(const std::uint32_t* frame, headless::World& world);

/// Copies an 8-bit world into a frame of its size.
void WorldToFrame(const headless::World& world, std::uint32_t* frame);

}  // namespace jf::frei0r
