// The per-pixel transfer-mode composite that transform_world applies once it has a source pixel
// for a destination pixel.
#pragma once

#include <cstdint>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "headless/imaging/pixel_formats.h"

namespace jf::headless {

/// A composite request, read once per call.
struct CompositeSetup {
  PF_TransferMode mode = PF_Xfer_IN_FRONT;
  std::uint32_t seed = 0;    // Dissolve's seed, the request's rand_seed modulo 2^32
  double opacity8 = 1.0;     // opacity ÷ 255, applied at 8 bits
  double opacityDeep = 1.0;  // opacitySu ÷ 32768, applied at 16 bits and float
  bool rgbOnly = false;
};

/// Reads the request's fields.
CompositeSetup MakeCompositeSetup(const PF_CompositeMode& mode);

/// False for the values that leave every destination pixel as it is (39, and anything outside
/// the named modes 0…38), so that a caller can skip the whole pass.
bool ChangesPixels(PF_TransferMode mode);

/// Composites the source pixel s (straight alpha) onto the destination pixel d at destination
/// position (x, y), which only Dissolve reads.
template <HeadlessPixelTraits Px>
void CompositePixel(const CompositeSetup& setup, const typename Px::Pixel& s, typename Px::Pixel& d,
                    A_long x, A_long y);

/// Composites count source pixels (straight alpha) onto the destination pixels at positions
/// x0 … x0 + count − 1 of row y, each exactly as CompositePixel would; the mode is chosen once.
template <HeadlessPixelTraits Px>
using CompositeRowFn = void (*)(const CompositeSetup& setup, const typename Px::Pixel* s,
                                typename Px::Pixel* d, A_long count, A_long x0, A_long y);

/// The row composite for the request's mode; null for the values that change nothing.
template <HeadlessPixelTraits Px>
CompositeRowFn<Px> CompositeRowFor(const CompositeSetup& setup);

/// True when a transparent source pixel leaves the destination pixel exactly as it was, so a
/// caller can skip the parts of a row the source does not cover. Only Copy, the two stencil
/// modes and Additive Premultiply act on a transparent source.
bool SkipsTransparentSource(const CompositeSetup& setup);

/// Dissolve's position-keyed hash of (x, y, seed), as a 32-bit value.
std::uint32_t DissolveHash(std::uint32_t x, std::uint32_t y, std::uint32_t seed);

extern template void CompositePixel<Argb32Traits>(const CompositeSetup&, const PF_Pixel8&,
                                                  PF_Pixel8&, A_long, A_long);
extern template void CompositePixel<Argb64Traits>(const CompositeSetup&, const PF_Pixel16&,
                                                  PF_Pixel16&, A_long, A_long);
extern template void CompositePixel<Argb128Traits>(const CompositeSetup&, const PF_PixelFloat&,
                                                   PF_PixelFloat&, A_long, A_long);

extern template CompositeRowFn<Argb32Traits> CompositeRowFor<Argb32Traits>(const CompositeSetup&);
extern template CompositeRowFn<Argb64Traits> CompositeRowFor<Argb64Traits>(const CompositeSetup&);
extern template CompositeRowFn<Argb128Traits> CompositeRowFor<Argb128Traits>(const CompositeSetup&);

}  // namespace jf::headless
