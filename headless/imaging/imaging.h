// The headless host's pixel operations, over plain buffers described by PF_EffectWorld.
//
// Common principles (each operation's comment says only what differs):
// - Rectangles are left, top, right, bottom, half-open: a pixel (x, y) is inside when
//   left <= x < right and top <= y < bottom. A null rectangle means the whole world.
// - A world's pixels are the rectangle (0, 0, width, height); extent_hint is only a hint and is
//   never used to bound a read or a write. Nothing outside a world is ever read or written: parts
//   of a rectangle that fall outside are clipped away, never an error.
// - The caller (the host's shim layer) has already checked the worlds and looked up their pixel
//   format; source and destination have the same format. Formats: PF_PixelFormat_ARGB32 (8-bit,
//   white 255), PF_PixelFormat_ARGB64 (16-bit, white 32768), PF_PixelFormat_ARGB128 (float,
//   white 1.0); pixels are alpha, red, green, blue in memory, straight (not premultiplied).
// - Errors are the host's codes: PF_Err_BAD_CALLBACK_PARAM for requests the host cannot serve
//   (an unknown format, a bad kernel size), PF_Err_OUT_OF_MEMORY when scratch memory fails.
// - Operations may split rows among the threads of the current pool; the result never
//   depends on the thread count or on the order in which rows are visited.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectPixelFormat.h"

namespace jf::headless {

/// Copies srcRect of src to dstRect of dst one to one: the translation is the difference of the
/// two rectangles' top-left corners, and only pixels inside srcRect, dstRect and both worlds are
/// touched. src and dst may be the same world (overlap is handled as by memmove).
PF_Err CopyImpl(PF_PixelFormat format, const PF_EffectWorld& src, PF_EffectWorld& dst,
                const PF_Rect* srcRect, const PF_Rect* dstRect);

/// Sets every pixel of rect to the 8-bit colour (null = transparent black), converted to the
/// world's depth (c × 32768 / 255 rounded at 16 bits, c / 255 for float).
PF_Err FillImpl(PF_PixelFormat format, const PF_Pixel8* color, const PF_Rect* rect,
                PF_EffectWorld& world);

/// Composites src onto dst through the matrix with the request's transfer mode (composite.cpp
/// has the arithmetic of each mode). Only pixels inside destRect and dst are written.
/// - The matrix uses row vectors, (x', y', w') = (x, y, 1) · mat, and maps source to destination
///   when srcToDst is true, destination to source otherwise. Pixel (i, j) is the square
///   [i, i + 1) × [j, j + 1); each destination pixel's centre is mapped into the source, which is
///   sampled there: nearest below PF_Quality_HI, bilinear (on premultiplied colour) at HI.
///   Whole-pixel shifts, the identity included, take the source pixels exactly at any quality.
/// - Outside the source everything reads as transparent: most modes then leave the destination
///   pixel as it is, while Copy writes the transparent pixel.
/// - Exactly one matrix is served (several would ask for motion blur); none, several, a singular
///   matrix or one that is not finite give PF_Err_BAD_CALLBACK_PARAM and change nothing.
/// - Transfer mode 39 and values outside 0…39 change nothing and succeed.
/// - Pixels are always read and written as straight: modeFlags is not consulted, field
///   rendering is not done (field is ignored) and a mask world is ignored.
/// - src may be dst, or share its pixels: the source is then read from a copy taken first.
PF_Err TransformWorldImpl(PF_PixelFormat format, PF_Quality quality, PF_ModeFlags modeFlags,
                          PF_Field field, const PF_EffectWorld& src, const PF_CompositeMode& mode,
                          const PF_MaskWorld* mask, const PF_FloatMatrix* matrices,
                          A_long numMatrices, bool srcToDst, const PF_Rect* destRect,
                          PF_EffectWorld& dst);

/// Convolves src with a kernel of 32-bit integers per channel into dst over area (only pixels
/// inside area and dst are written; pixel (x, y) of dst is computed around pixel (x, y) of src).
/// - kernelSize is the width: an odd number from 1 to 127, else PF_Err_BAD_CALLBACK_PARAM. The
///   kernel is kernelSize × kernelSize values, row-major (kernel[ky × kernelSize + kx]); with
///   PF_KernelFlag_1D it is one row of kernelSize values, applied across, or down with
///   PF_KernelFlag_VERTICAL. Only long kernels are served: USE_CHAR or USE_FIXED give
///   PF_Err_BAD_CALLBACK_PARAM.
/// - Samples outside src read as all-zero pixels (transparent borders, whatever the flags say);
///   channels are convolved straight, as stored.
/// - NORMALIZED divides by the kernel's sum when it is not zero, rounding to nearest at 8 and 16
///   bits. CLAMP (the default) clamps to 0..MAX; NO_CLAMP keeps the low 8 or 16 bits of the
///   integer result at 8 and 16 bits (wrap-around) and stores float results as they are.
/// - A null kernel leaves its channel a copy of src's. src may be dst.
PF_Err ConvolveImpl(PF_PixelFormat format, const PF_EffectWorld& src, const PF_Rect* area,
                    PF_KernelFlags flags, A_long kernelSize, const void* aKernel,
                    const void* rKernel, const void* gKernel, const void* bKernel,
                    PF_EffectWorld& dst);

/// Blurs the whole world in place: an approximate Gaussian of standard deviation radius (at most
/// 10^7) made of three box passes in each direction, so the cost per pixel does not depend on
/// the radius. Colour is blurred premultiplied by alpha; edge pixels repeat beyond the borders;
/// 8 and 16-bit results are rounded to nearest. A radius of 0 or less (or not a number), or one
/// too small for a box wider than one pixel (below about 0.58), leaves the world bit for bit.
PF_Err FastBlurImpl(PF_PixelFormat format, double radius, PF_EffectWorld& world);

}  // namespace jf::headless
