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
// - Operations may split rows among the threads of the current task arena; the result never
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

/// Composites src over dst through the matrix with the request's transfer mode.
PF_Err TransformWorldImpl(PF_PixelFormat format, PF_Quality quality, PF_ModeFlags modeFlags,
                          PF_Field field, const PF_EffectWorld& src, const PF_CompositeMode& mode,
                          const PF_MaskWorld* mask, const PF_FloatMatrix* matrices,
                          A_long numMatrices, bool srcToDst, const PF_Rect* destRect,
                          PF_EffectWorld& dst);

/// Convolves src with a square integer kernel per channel into dst over area.
PF_Err ConvolveImpl(PF_PixelFormat format, const PF_EffectWorld& src, const PF_Rect* area,
                    PF_KernelFlags flags, A_long kernelSize, const void* aKernel,
                    const void* rKernel, const void* gKernel, const void* bKernel,
                    PF_EffectWorld& dst);

/// Blurs the whole world in place by radius pixels.
PF_Err FastBlurImpl(PF_PixelFormat format, double radius, PF_EffectWorld& world);

}  // namespace jf::headless
