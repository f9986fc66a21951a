// Raw video frames as ffmpeg lays them out, to and from the host's pixel layout: straight into a
// world's rows and back, one pass each way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "headless/worlds.h"

namespace jf::headless {

/// 16-bit file value to the host's 0..32768 scale, and back (both round half up). Inline: the raw
/// stream maps every channel of every frame through them.
inline std::uint16_t FileToHost16(std::uint16_t v) {
  return static_cast<std::uint16_t>((static_cast<std::uint32_t>(v) * 32768u + 32767u) / 65535u);
}

inline std::uint16_t HostToFile16(std::uint16_t v) {
  const std::uint32_t c = v < 32768u ? v : 32768u;
  return static_cast<std::uint16_t>((c * 65535u + 16384u) / 32768u);
}

/// The raw layouts a stream carries, named as ffmpeg names them.
enum class PixFmt {
  Rgba,       // rgba: bytes R, G, B, A
  Rgba64le,   // rgba64le: 16-bit little-endian R, G, B, A; mapped as 16-bit files are
  Gbrapf32le  // gbrapf32le: planes of 32-bit little-endian floats, G, then B, R, A
};

/// The host depth a layout renders at: 8, 16 or 32.
int DepthOf(PixFmt format);
/// Bytes of one frame.
std::size_t FrameBytes(PixFmt format, int width, int height);

/// Pixels first to first + count of a raw frame of `pixels` pixels (the float layout keeps each
/// channel in a plane of its own), as host pixels at host: alpha, red, green, blue.
void RawToHost(PixFmt format, const std::uint8_t* raw, std::size_t pixels, std::size_t first,
               std::size_t count, std::uint8_t* host);
/// The way back: count host pixels to pixels first to first + count of the raw frame.
void HostToRaw(PixFmt format, const std::uint8_t* host, std::size_t pixels, std::size_t first,
               std::size_t count, std::uint8_t* raw);

/// Calls rows(begin, end) for bands of rows covering 0 to height, spread over the threads of the
/// host pool that runs the caller (one after another outside one).
void ForRows(int height, const std::function<void(int begin, int end)>& rows);

/// A whole raw frame of the world's size into the world's rows, and the world's rows into one.
void RawToWorld(PixFmt format, const std::uint8_t* raw, World& world);
void WorldToRaw(PixFmt format, const World& world, std::uint8_t* raw);

}  // namespace jf::headless
