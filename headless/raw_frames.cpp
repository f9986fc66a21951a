// See raw_frames.h.
#include "headless/raw_frames.h"

#include <bit>
#include <cstring>

#include "headless/thread_pool.h"

namespace jf::headless {
namespace {

// Raw layouts are little-endian; this host reads and writes them as they lie in memory.
static_assert(std::endian::native == std::endian::little);

// The host channel (alpha, red, green, blue) of each float plane (green, blue, red, alpha).
constexpr int kHostChannelOfPlane[4] = {2, 3, 1, 0};

}  // namespace

int DepthOf(PixFmt format) {
  return format == PixFmt::Rgba ? 8 : format == PixFmt::Rgba64le ? 16 : 32;
}

std::size_t FrameBytes(PixFmt format, int width, int height) {
  const std::size_t channelBytes = format == PixFmt::Rgba ? 1 : format == PixFmt::Rgba64le ? 2 : 4;
  return static_cast<std::size_t>(width) * height * 4 * channelBytes;
}

void RawToHost(PixFmt format, const std::uint8_t* raw, std::size_t pixels, std::size_t first,
               std::size_t count, std::uint8_t* host) {
  if (format == PixFmt::Rgba) {
    // Bytes R, G, B, A read as one little-endian word, turned by a byte, are A, R, G, B.
    const std::uint8_t* p = raw + first * 4;
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t v;
      std::memcpy(&v, p + i * 4, 4);
      v = std::rotl(v, 8);
      std::memcpy(host + i * 4, &v, 4);
    }
  } else if (format == PixFmt::Rgba64le) {
    const std::uint8_t* p = raw + first * 8;
    for (std::size_t i = 0; i < count; ++i) {
      std::uint16_t file[4];
      std::memcpy(file, p + i * 8, 8);
      const std::uint16_t h[4] = {FileToHost16(file[3]), FileToHost16(file[0]),
                                  FileToHost16(file[1]), FileToHost16(file[2])};
      std::memcpy(host + i * 8, h, 8);
    }
  } else {
    const float* planes[4];
    for (int plane = 0; plane < 4; ++plane) {
      planes[kHostChannelOfPlane[plane]] =
          reinterpret_cast<const float*>(raw) + plane * pixels + first;
    }
    auto* h = reinterpret_cast<float*>(host);
    for (std::size_t i = 0; i < count; ++i) {
      for (int c = 0; c < 4; ++c) h[i * 4 + c] = planes[c][i];
    }
  }
}

void HostToRaw(PixFmt format, const std::uint8_t* host, std::size_t pixels, std::size_t first,
               std::size_t count, std::uint8_t* raw) {
  if (format == PixFmt::Rgba) {
    std::uint8_t* p = raw + first * 4;
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t v;
      std::memcpy(&v, host + i * 4, 4);
      v = std::rotr(v, 8);
      std::memcpy(p + i * 4, &v, 4);
    }
  } else if (format == PixFmt::Rgba64le) {
    std::uint8_t* p = raw + first * 8;
    for (std::size_t i = 0; i < count; ++i) {
      std::uint16_t h[4];
      std::memcpy(h, host + i * 8, 8);
      const std::uint16_t file[4] = {HostToFile16(h[1]), HostToFile16(h[2]), HostToFile16(h[3]),
                                     HostToFile16(h[0])};
      std::memcpy(p + i * 8, file, 8);
    }
  } else {
    float* planes[4];
    for (int plane = 0; plane < 4; ++plane) {
      planes[kHostChannelOfPlane[plane]] = reinterpret_cast<float*>(raw) + plane * pixels + first;
    }
    const auto* h = reinterpret_cast<const float*>(host);
    for (std::size_t i = 0; i < count; ++i) {
      for (int c = 0; c < 4; ++c) planes[c][i] = h[i * 4 + c];
    }
  }
}

void ForRows(int height, const std::function<void(int begin, int end)>& rows) {
  // Bands of a few rows: enough work per band to outweigh handing it to a thread.
  constexpr int kBand = 16;
  ParallelFor(0, height, kBand, [&](std::int64_t begin, std::int64_t end, int) {
    rows(static_cast<int>(begin), static_cast<int>(end));
  });
}

void RawToWorld(PixFmt format, const std::uint8_t* raw, World& world) {
  const auto width = static_cast<std::size_t>(world.Width());
  const std::size_t pixels = width * static_cast<std::size_t>(world.Height());
  ForRows(world.Height(), [&](int begin, int end) {
    for (int y = begin; y < end; ++y)
      RawToHost(format, raw, pixels, y * width, width, world.Row(y));
  });
}

void WorldToRaw(PixFmt format, const World& world, std::uint8_t* raw) {
  const auto width = static_cast<std::size_t>(world.Width());
  const std::size_t pixels = width * static_cast<std::size_t>(world.Height());
  ForRows(world.Height(), [&](int begin, int end) {
    for (int y = begin; y < end; ++y)
      HostToRaw(format, world.Row(y), pixels, y * width, width, raw);
  });
}

}  // namespace jf::headless
