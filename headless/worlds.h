// Image buffers in the host's three pixel formats, and the registry that recognises them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "headless/buffers.h"
#include "AE_Effect.h"
#include "AE_EffectPixelFormat.h"

namespace jf::headless {

/// True for the formats a world can hold: PF_PixelFormat_ARGB32, ARGB64 and ARGB128.
bool IsWorldFormat(PF_PixelFormat format);
/// Bytes per pixel of a world format (4, 8, 16); 0 for any other value.
int PixelBytes(PF_PixelFormat format);
/// The world format of a depth in bits per channel: 8, 16, and anything else for 32-bit float.
inline PF_PixelFormat FormatOfDepth(int depth) {
  return depth == 8    ? PF_PixelFormat_ARGB32
         : depth == 16 ? PF_PixelFormat_ARGB64
                       : PF_PixelFormat_ARGB128;
}

/// An image the host owns: width × height pixels in one format, each row padded past its
/// pixels (so an effect that assumes rowbytes = width × pixel size reads the wrong pixels) with
/// a fixed pattern whose damage shows writes past the end of a row. Pixels start as
/// transparent black. Registered while it lives, so host operations can look up its format.
class World {
 public:
  /// Throws std::invalid_argument for a size outside 1..30000 or a format no world holds, and
  /// std::bad_alloc when the memory cannot be had.
  World(A_long width, A_long height, PF_PixelFormat format);
  /// The same without exceptions: PF_Err_BAD_CALLBACK_PARAM for a bad size or format,
  /// PF_Err_OUT_OF_MEMORY when the memory cannot be had.
  static PF_Err Make(A_long width, A_long height, PF_PixelFormat format,
                     std::unique_ptr<World>* out);
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  /// The record handed to effects; its data stays valid for the world's life.
  const PF_EffectWorld& Effect() const { return m_world; }
  PF_PixelFormat Format() const { return m_format; }
  A_long Width() const { return m_world.width; }
  A_long Height() const { return m_world.height; }
  A_long RowBytes() const { return m_world.rowbytes; }
  int BytesPerPixel() const { return PixelBytes(m_format); }

  std::uint8_t* Row(A_long y) { return m_data + static_cast<std::ptrdiff_t>(y) * RowBytes(); }
  const std::uint8_t* Row(A_long y) const {
    return m_data + static_cast<std::ptrdiff_t>(y) * RowBytes();
  }
  /// The pixel at (x, y) as the caller's pixel type (PF_Pixel8, PF_Pixel16, PF_PixelFloat).
  template <typename Pixel>
  Pixel* At(A_long x, A_long y) {
    return reinterpret_cast<Pixel*>(Row(y)) + x;
  }
  template <typename Pixel>
  const Pixel* At(A_long x, A_long y) const {
    return reinterpret_cast<const Pixel*>(Row(y)) + x;
  }

  /// Sets every pixel to transparent black; the row padding keeps its pattern. Spread over the
  /// threads of the pool the calling thread executes for, if any.
  void Clear();
  /// True when the two worlds have the same size, format and pixel bytes (padding ignored).
  bool SamePixels(const World& other) const;
  /// False when something wrote into the padding after a row's last pixel.
  bool PaddingIntact() const;

 private:
  World() = default;
  PF_Err Allocate(A_long width, A_long height, PF_PixelFormat format);

  PF_EffectWorld m_world{};
  PF_PixelFormat m_format = PF_PixelFormat_INVALID;
  std::uint8_t* m_data = nullptr;
  std::size_t m_bytes = 0;
};

/// The worlds an effect made through the host, owned by the host until the effect disposes of
/// them (or the host goes). Thread-safe.
class WorldStore {
 public:
  /// Fills *out with a new cleared world; errors as World::Make.
  PF_Err New(A_long width, A_long height, PF_PixelFormat format, PF_EffectWorld* out);
  /// Frees a world this store made and clears *world, so a second dispose is refused;
  /// PF_Err_BAD_CALLBACK_PARAM for any other world.
  PF_Err Dispose(PF_EffectWorld* world);
  std::size_t Live() const;

 private:
  mutable std::mutex m_mutex;
  std::unordered_map<const void*, std::unique_ptr<World>> m_worlds;
};

/// What the registry knows of a live world.
struct WorldInfo {
  PF_PixelFormat format;
  A_long width;
  A_long height;
  A_long rowbytes;
};

/// Looks up the live world whose pixels begin at data; nothing for an unknown pointer.
std::optional<WorldInfo> FindWorld(const void* data);

/// Checks that world is a live world, or a description of one that stays inside it (same
/// pixels and row length, no larger), and returns its format. PF_Err_BAD_CALLBACK_PARAM for a
/// null or unknown world.
PF_Err CheckWorld(const PF_EffectWorld* world, PF_PixelFormat* format);

}  // namespace jf::headless
