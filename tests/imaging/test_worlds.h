// Small owned worlds for the imaging tests, at any of the three depths. Rows carry three spare
// pixels holding a marker, so that a wrong rowbytes or a write past a row shows.
#pragma once

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "headless/imaging/imaging.h"
#include "headless/imaging/pixel_formats.h"

namespace jf::headless::testing {

using AllFormats = ::testing::Types<Argb32Traits, Argb64Traits, Argb128Traits>;

template <HeadlessPixelTraits Px>
class TestWorld {
 public:
  using Pixel = typename Px::Pixel;

  TestWorld(A_long width, A_long height)
      : m_stride(width + 3), m_pixels(static_cast<std::size_t>(m_stride) * height, Marker()) {
    m_world.data = reinterpret_cast<PF_PixelPtr>(m_pixels.data());
    m_world.rowbytes = static_cast<A_long>(m_stride * sizeof(Pixel));
    m_world.width = width;
    m_world.height = height;
    for (A_long y = 0; y < height; ++y) {
      for (A_long x = 0; x < width; ++x) At(x, y) = Pixel{};
    }
  }

  PF_EffectWorld& World() { return m_world; }
  Pixel& At(A_long x, A_long y) { return m_pixels[static_cast<std::size_t>(y) * m_stride + x]; }

  /// A pixel from integers 0..255, stored exactly: as they are at 8 bits, × 128 at 16 bits,
  /// ÷ 256 at float.
  static Pixel Make(unsigned a, unsigned r, unsigned g, unsigned b) {
    auto ch = [](unsigned v) -> typename Px::Channel {
      if constexpr (Px::kIsFloat)
        return static_cast<float>(v) / 256.0f;
      else
        return static_cast<typename Px::Channel>(Px::kMax == 255.0 ? v : v * 128u);
    };
    return Pixel{ch(a), ch(r), ch(g), ch(b)};
  }

  /// Every pixel a different value, alpha included.
  void Pattern(unsigned salt) {
    for (A_long y = 0; y < m_world.height; ++y) {
      for (A_long x = 0; x < m_world.width; ++x) {
        const unsigned k = (unsigned(x) * 37u + unsigned(y) * 101u + salt * 53u) % 251u;
        At(x, y) = Make(k, (k * 3 + 1) % 251, (k * 7 + 2) % 251, (k * 11 + 5) % 251);
      }
    }
  }

  /// The pixels row by row, and then the spare pixels, which must still hold the marker.
  std::vector<Pixel> Pixels() {
    std::vector<Pixel> out;
    for (A_long y = 0; y < m_world.height; ++y) {
      for (A_long x = 0; x < m_world.width; ++x) out.push_back(At(x, y));
    }
    const bool intact = std::all_of(m_pixels.begin(), m_pixels.end(), [&](const Pixel& p) {
      const std::size_t i = static_cast<std::size_t>(&p - m_pixels.data());
      return static_cast<A_long>(i % m_stride) < m_world.width || SameAs(p, Marker());
    });
    EXPECT_TRUE(intact) << "a spare pixel past a row was written";
    return out;
  }

  static bool SameAs(const Pixel& a, const Pixel& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

 private:
  static Pixel Marker() { return Make(77, 77, 77, 77); }

  A_long m_stride;
  std::vector<Pixel> m_pixels;
  PF_EffectWorld m_world{};
};

template <typename Pixel>
bool SameBytes(const std::vector<Pixel>& a, const std::vector<Pixel>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Pixel)) == 0;
}

template <typename Pixel>
::testing::AssertionResult PixelEq(const Pixel& expected, const Pixel& actual) {
  if (std::memcmp(&expected, &actual, sizeof(Pixel)) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected (" << +expected.alpha << ", " << +expected.red << ", " << +expected.green
         << ", " << +expected.blue << ") got (" << +actual.alpha << ", " << +actual.red << ", "
         << +actual.green << ", " << +actual.blue << ")";
}

inline PF_FloatMatrix Identity() {
  return PF_FloatMatrix{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
}

/// The composite request the effect makes: full opacity at every depth, rgb_only off.
inline PF_CompositeMode FullOpacity(PF_TransferMode mode, A_long seed = 0) {
  return PF_CompositeMode{mode, seed, 255, false, 0x8000};
}

/// transform_world of src onto the whole of dst through one matrix, straight alpha.
template <typename Px>
PF_Err Transform(TestWorld<Px>& src, TestWorld<Px>& dst, const PF_CompositeMode& mode,
                 const PF_FloatMatrix& matrix, PF_Quality quality = PF_Quality_HI,
                 bool srcToDst = true, const PF_Rect* destRect = nullptr) {
  return TransformWorldImpl(Px::kFormat, quality, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, src.World(),
                            mode, nullptr, &matrix, 1, srcToDst, destRect, dst.World());
}

}  // namespace jf::headless::testing
