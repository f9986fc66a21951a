// See worlds.h.
#include "headless/worlds.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "headless/thread_pool.h"

namespace jf::headless {
namespace {

// Rows are 16-byte aligned and always carry at least this much padding after their pixels.
constexpr A_long kRowAlign = 16;
constexpr std::uint8_t kPaddingByte = 0xCD;
// Rows, or bytes of a kept buffer, cleared by one thread at a time: enough to outweigh handing
// them over.
constexpr std::int64_t kClearBand = 32;
constexpr std::size_t kClearChunk = std::size_t{256} << 10;

struct Registry {
  std::mutex mutex;
  std::unordered_map<const void*, WorldInfo> worlds;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

bool IsWorldFormat(PF_PixelFormat format) {
  return PixelBytes(format) != 0;
}

int PixelBytes(PF_PixelFormat format) {
  switch (static_cast<A_u_long>(format)) {
    case PF_PixelFormat_ARGB32:
      return 4;
    case PF_PixelFormat_ARGB64:
      return 8;
    case PF_PixelFormat_ARGB128:
      return 16;
    default:
      return 0;
  }
}

World::World(A_long width, A_long height, PF_PixelFormat format) {
  PF_Err err = Allocate(width, height, format);
  if (err == PF_Err_OUT_OF_MEMORY) throw std::bad_alloc();
  if (err != PF_Err_NONE) {
    throw std::invalid_argument("a world must be 1 to " + std::to_string(PF_MAX_WORLD_WIDTH) +
                                " pixels wide and high in format argb, ae16 or ae32 (asked " +
                                std::to_string(width) + " x " + std::to_string(height) + ")");
  }
}

PF_Err World::Make(A_long width, A_long height, PF_PixelFormat format,
                   std::unique_ptr<World>* out) {
  std::unique_ptr<World> world(new (std::nothrow) World());
  if (!world) return PF_Err_OUT_OF_MEMORY;
  if (PF_Err err = world->Allocate(width, height, format); err != PF_Err_NONE) return err;
  *out = std::move(world);
  return PF_Err_NONE;
}

PF_Err World::Allocate(A_long width, A_long height, PF_PixelFormat format) {
  if (width <= 0 || height <= 0 || width > PF_MAX_WORLD_WIDTH || height > PF_MAX_WORLD_HEIGHT ||
      !IsWorldFormat(format)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const A_long pixelBytes = PixelBytes(format);
  const A_long rowbytes = (width * pixelBytes / kRowAlign + 1) * kRowAlign;
  const std::size_t bytes = static_cast<std::size_t>(rowbytes) * static_cast<std::size_t>(height);
  // Zero bits are transparent black at every depth: fresh memory is zero already, a kept buffer
  // is cleared here.
  const TakenBuffer taken = TakeBuffer(bytes);
  std::uint8_t* data = taken.data;
  if (data == nullptr) return PF_Err_OUT_OF_MEMORY;
  if (!taken.zero) {
    const auto chunks = static_cast<std::int64_t>((bytes + kClearChunk - 1) / kClearChunk);
    ParallelFor(0, chunks, 1, [&](std::int64_t begin, std::int64_t end, int) {
      const std::size_t first = static_cast<std::size_t>(begin) * kClearChunk;
      const std::size_t last = std::min(bytes, static_cast<std::size_t>(end) * kClearChunk);
      std::memset(data + first, 0, last - first);
    });
  }
  {
    std::lock_guard lock(TheRegistry().mutex);
    try {
      TheRegistry().worlds[data] = WorldInfo{format, width, height, rowbytes};
    } catch (const std::bad_alloc&) {
      GiveBuffer(data, bytes);
      return PF_Err_OUT_OF_MEMORY;
    }
  }
  m_data = data;
  m_bytes = bytes;
  m_format = format;
  m_world.world_flags = PF_WorldFlag_WRITEABLE;
  if (format != static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB32)) {
    m_world.world_flags |= PF_WorldFlag_DEEP;
  }
  m_world.data = reinterpret_cast<PF_PixelPtr>(data);
  m_world.rowbytes = rowbytes;
  m_world.width = width;
  m_world.height = height;
  m_world.extent_hint = PF_LRect{0, 0, width, height};
  m_world.pix_aspect_ratio = PF_RationalScale{1, 1};
  const std::size_t used = static_cast<std::size_t>(width) * pixelBytes;
  for (A_long y = 0; y < height; ++y) {
    std::memset(Row(y) + used, kPaddingByte, static_cast<std::size_t>(rowbytes) - used);
  }
  return PF_Err_NONE;
}

World::~World() {
  if (m_data == nullptr) return;
  {
    std::lock_guard lock(TheRegistry().mutex);
    TheRegistry().worlds.erase(m_data);
  }
  GiveBuffer(m_data, m_bytes);
}

void World::Clear() {
  const std::size_t used = static_cast<std::size_t>(Width()) * BytesPerPixel();
  ParallelFor(0, Height(), kClearBand, [&](std::int64_t begin, std::int64_t end, int) {
    for (auto y = static_cast<A_long>(begin); y < end; ++y) std::memset(Row(y), 0, used);
  });
}

bool World::SamePixels(const World& other) const {
  if (Width() != other.Width() || Height() != other.Height() || Format() != other.Format()) {
    return false;
  }
  const std::size_t used = static_cast<std::size_t>(Width()) * BytesPerPixel();
  for (A_long y = 0; y < Height(); ++y) {
    if (std::memcmp(Row(y), other.Row(y), used) != 0) return false;
  }
  return true;
}

bool World::PaddingIntact() const {
  const std::size_t used = static_cast<std::size_t>(Width()) * BytesPerPixel();
  for (A_long y = 0; y < Height(); ++y) {
    for (std::size_t i = used; i < static_cast<std::size_t>(RowBytes()); ++i) {
      if (Row(y)[i] != kPaddingByte) return false;
    }
  }
  return true;
}

PF_Err WorldStore::New(A_long width, A_long height, PF_PixelFormat format, PF_EffectWorld* out) {
  if (out == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  std::unique_ptr<World> world;
  if (PF_Err err = World::Make(width, height, format, &world); err != PF_Err_NONE) return err;
  std::lock_guard lock(m_mutex);
  try {
    const void* key = world->Effect().data;
    auto it = m_worlds.emplace(key, std::move(world)).first;
    *out = it->second->Effect();
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  }
  return PF_Err_NONE;
}

PF_Err WorldStore::Dispose(PF_EffectWorld* world) {
  if (world == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  std::unique_ptr<World> owned;
  {
    std::lock_guard lock(m_mutex);
    auto it = m_worlds.find(world->data);
    if (it == m_worlds.end()) return PF_Err_BAD_CALLBACK_PARAM;
    owned = std::move(it->second);
    m_worlds.erase(it);
  }
  *world = PF_EffectWorld{};
  return PF_Err_NONE;
}

std::size_t WorldStore::Live() const {
  std::lock_guard lock(m_mutex);
  return m_worlds.size();
}

std::optional<WorldInfo> FindWorld(const void* data) {
  if (data == nullptr) return std::nullopt;
  std::lock_guard lock(TheRegistry().mutex);
  auto it = TheRegistry().worlds.find(data);
  if (it == TheRegistry().worlds.end()) return std::nullopt;
  return it->second;
}

PF_Err CheckWorld(const PF_EffectWorld* world, PF_PixelFormat* format) {
  if (world == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  std::optional<WorldInfo> info = FindWorld(world->data);
  // A record may describe less of a world than it holds, never more: the operations trust
  // width, height and rowbytes to stay inside the buffer.
  if (!info || world->rowbytes != info->rowbytes || world->width < 0 || world->height < 0 ||
      world->width > info->width || world->height > info->height) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (format != nullptr) *format = info->format;
  return PF_Err_NONE;
}

}  // namespace jf::headless
