// The transfer modes of transform_world, one source pixel onto one destination pixel; the
// contract is in composite.h.
//
// Arithmetic: stored channels become unit values in double (÷ MAX, where the 16-bit white is
// 32768, not 65535), clamped to [0, 1] with a float NaN counting as 0. Results are clamped to
// [0, 1] again and stored by rounding to nearest at 8 and 16 bits (so an opaque source composited
// In Front gives back its own values exactly), or as float. Pixels are straight, never
// premultiplied, on input and on output.
//
// Sources: the blend model and the separable and non-separable blend functions are those of
// W3C "Compositing and Blending Level 1" (sections "General formula" and "Blending"); the mode list
// and the zero-alpha behaviour follow Adobe's published After Effects effect interface (the
// PF_Xfer_* modes and their PF_TransferMode_ZERO_SRC_ALPHA_* properties) and Adobe's descriptions
// of the After Effects blending modes. Where those say nothing, the choice is stated on the mode.
#include "headless/imaging/composite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <type_traits>
#include <utility>

namespace jf::headless {
namespace {

// The per-pixel steps are inlined into each mode's row loop, where the mode is a constant: an
// out-of-line call per step and pixel would cost more than the step itself.
#define JF_INLINE [[gnu::always_inline]] inline

// The host's transfer modes by value. Every switch below names each one and has no default, so
// a value added here without its arithmetic fails to build (-Werror=switch).
enum class TransferMode : A_long {
  Copy = PF_Xfer_COPY,
  Behind = PF_Xfer_BEHIND,
  InFront = PF_Xfer_IN_FRONT,
  Dissolve = PF_Xfer_DISSOLVE,
  Add = PF_Xfer_ADD,
  Multiply = PF_Xfer_MULTIPLY,
  Screen = PF_Xfer_SCREEN,
  Overlay = PF_Xfer_OVERLAY,
  SoftLight = PF_Xfer_SOFT_LIGHT,
  HardLight = PF_Xfer_HARD_LIGHT,
  Darken = PF_Xfer_DARKEN,
  Lighten = PF_Xfer_LIGHTEN,
  Difference = PF_Xfer_DIFFERENCE,
  Hue = PF_Xfer_HUE,
  Saturation = PF_Xfer_SATURATION,
  Color = PF_Xfer_COLOR,
  Luminosity = PF_Xfer_LUMINOSITY,
  MultiplyAlpha = PF_Xfer_MULTIPLY_ALPHA,
  MultiplyAlphaLuma = PF_Xfer_MULTIPLY_ALPHA_LUMA,
  MultiplyNotAlpha = PF_Xfer_MULTIPLY_NOT_ALPHA,
  MultiplyNotAlphaLuma = PF_Xfer_MULTIPLY_NOT_ALPHA_LUMA,
  AdditivePremul = PF_Xfer_ADDITIVE_PREMUL,
  AlphaAdd = PF_Xfer_ALPHA_ADD,
  ColorDodge = PF_Xfer_COLOR_DODGE,
  ColorBurn = PF_Xfer_COLOR_BURN,
  Exclusion = PF_Xfer_EXCLUSION,
  Difference2 = PF_Xfer_DIFFERENCE2,
  ColorDodge2 = PF_Xfer_COLOR_DODGE2,
  ColorBurn2 = PF_Xfer_COLOR_BURN2,
  LinearDodge = PF_Xfer_LINEAR_DODGE,
  LinearBurn = PF_Xfer_LINEAR_BURN,
  LinearLight = PF_Xfer_LINEAR_LIGHT,
  VividLight = PF_Xfer_VIVID_LIGHT,
  PinLight = PF_Xfer_PIN_LIGHT,
  HardMix = PF_Xfer_HARD_MIX,
  LighterColor = PF_Xfer_LIGHTER_COLOR,
  DarkerColor = PF_Xfer_DARKER_COLOR,
  Subtract = PF_Xfer_SUBTRACT,
  Divide = PF_Xfer_DIVIDE,
  Reserved0 = PF_Xfer_RESERVED0,
};

// The modes are numbered 0 … 39 without gaps, so a value in that range names one.
static_assert(static_cast<A_long>(TransferMode::Copy) == 0 &&
              static_cast<A_long>(TransferMode::Reserved0) == 39);

std::optional<TransferMode> NamedMode(PF_TransferMode value) {
  if (value < PF_Xfer_COPY || value > PF_Xfer_RESERVED0) return std::nullopt;
  return static_cast<TransferMode>(value);
}

// ---- Unit values ------------------------------------------------------------------------

struct Rgb {
  double r, g, b;
};

// One pixel as the modes see it: effective straight alpha and colour in [0, 1], and the colour
// as clamped stored values (0..MAX), on which Hard Mix and Lighter/Darker Color decide so that
// no floating-point tie can arise at 8 and 16 bits.
struct Sample {
  double a;
  Rgb c;
  Rgb stored;
};

JF_INLINE double Clamp01(double v) {
  if (!(v > 0.0)) return 0.0;
  return v < 1.0 ? v : 1.0;
}

template <HeadlessPixelTraits Px>
JF_INLINE double ClampedStored(typename Px::Channel v) {
  const double c = static_cast<double>(v);
  if (!(c > 0.0)) return 0.0;
  return c < Px::kMax ? c : Px::kMax;
}

template <HeadlessPixelTraits Px>
JF_INLINE Sample Read(const typename Px::Pixel& p, double opacity) {
  Sample s;
  s.stored = {ClampedStored<Px>(p.red), ClampedStored<Px>(p.green), ClampedStored<Px>(p.blue)};
  if constexpr (std::is_same_v<typename Px::Channel, A_u_char>) {
    // Every 8-bit value is in range, so the clamped value ÷ MAX is the table's quotient.
    s.c = {kUnitOf8[p.red], kUnitOf8[p.green], kUnitOf8[p.blue]};
    s.a = Clamp01(kUnitOf8[p.alpha] * opacity);
  } else {
    s.c = {s.stored.r / Px::kMax, s.stored.g / Px::kMax, s.stored.b / Px::kMax};
    s.a = Clamp01(ClampedStored<Px>(p.alpha) / Px::kMax * opacity);
  }
  return s;
}

// What a mode writes back.
enum class Write { Nothing, AlphaOnly, All };

struct Result {
  Write write = Write::Nothing;
  double a = 0.0;
  Rgb c{0.0, 0.0, 0.0};
};

JF_INLINE Result Unchanged() {
  return {};
}
JF_INLINE Result AlphaOnly(double a) {
  return {Write::AlphaOnly, a, {0.0, 0.0, 0.0}};
}
JF_INLINE Result All(double a, const Rgb& c) {
  return {Write::All, a, c};
}

// ---- Separable blend functions B(b, s): b backdrop, s source ------------------------------

template <typename F>
JF_INLINE Rgb PerChannel(const Rgb& b, const Rgb& s, F f) {
  return {f(b.r, s.r), f(b.g, s.g), f(b.b, s.b)};
}

// B = min(1, b + s) (Adobe: Add, Linear Dodge)
JF_INLINE double AddBlend(double b, double s) {
  return std::min(1.0, b + s);
}

// B = b·s (W3C multiply)
JF_INLINE double MultiplyBlend(double b, double s) {
  return b * s;
}

// B = b + s − b·s (W3C screen)
JF_INLINE double ScreenBlend(double b, double s) {
  return b + s - b * s;
}

// B = HardLight(s, b): 2·b·s if b ≤ ½, else Screen(s, 2b − 1) (W3C overlay)
JF_INLINE double OverlayBlend(double b, double s) {
  return b <= 0.5 ? 2.0 * b * s : ScreenBlend(s, 2.0 * b - 1.0);
}

// B = b − (1 − 2s)·b·(1 − b) if s ≤ ½, else b + (2s − 1)·(D(b) − b) (W3C soft-light).
// After Effects does not publish its curve; this is the W3C / PDF one.
JF_INLINE double SoftLightBlend(double b, double s) {
  if (s <= 0.5) return b - (1.0 - 2.0 * s) * b * (1.0 - b);
  const double d = b <= 0.25 ? ((16.0 * b - 12.0) * b + 4.0) * b : std::sqrt(b);
  return b + (2.0 * s - 1.0) * (d - b);
}

// B = b·2s if s ≤ ½, else Screen(b, 2s − 1) (W3C hard-light)
JF_INLINE double HardLightBlend(double b, double s) {
  return s <= 0.5 ? b * (2.0 * s) : ScreenBlend(b, 2.0 * s - 1.0);
}

// B = min(b, s) (W3C darken)
JF_INLINE double DarkenBlend(double b, double s) {
  return std::min(b, s);
}

// B = max(b, s) (W3C lighten)
JF_INLINE double LightenBlend(double b, double s) {
  return std::max(b, s);
}

// B = |b − s| (W3C difference). The classic After Effects variant has no published formula
// and is the same function.
JF_INLINE double DifferenceBlend(double b, double s) {
  return std::fabs(b - s);
}

// B = b + s − 2·b·s (W3C exclusion)
JF_INLINE double ExclusionBlend(double b, double s) {
  return b + s - 2.0 * b * s;
}

// B = 0 if b = 0, else 1 if s = 1, else min(1, b ÷ (1 − s)) (W3C color-dodge: black stays
// black, unlike ISO 32000-1). The classic variant is the same function.
JF_INLINE double ColorDodgeBlend(double b, double s) {
  if (b == 0.0) return 0.0;
  if (s == 1.0) return 1.0;
  return std::min(1.0, b / (1.0 - s));
}

// B = 1 if b = 1, else 0 if s = 0, else 1 − min(1, (1 − b) ÷ s) (W3C color-burn: white stays
// white). The classic variant is the same function.
JF_INLINE double ColorBurnBlend(double b, double s) {
  if (b == 1.0) return 1.0;
  if (s == 0.0) return 0.0;
  return 1.0 - std::min(1.0, (1.0 - b) / s);
}

// B = max(0, b + s − 1) (Adobe: Linear Burn)
JF_INLINE double LinearBurnBlend(double b, double s) {
  return std::max(0.0, b + s - 1.0);
}

// B = clamp(b + 2s − 1) (Adobe: Linear Light; Krita's formula)
JF_INLINE double LinearLightBlend(double b, double s) {
  return Clamp01(b + 2.0 * s - 1.0);
}

// B = ColorBurn(b, 2s) if s ≤ ½, else ColorDodge(b, 2s − 1), with their edge rules (Adobe:
// Vivid Light; edge handling as in Krita)
JF_INLINE double VividLightBlend(double b, double s) {
  return s <= 0.5 ? ColorBurnBlend(b, 2.0 * s) : ColorDodgeBlend(b, 2.0 * s - 1.0);
}

// B = min(b, 2s) if s ≤ ½, else max(b, 2s − 1) (Adobe: Pin Light; Krita's formula)
JF_INLINE double PinLightBlend(double b, double s) {
  return s <= 0.5 ? std::min(b, 2.0 * s) : std::max(b, 2.0 * s - 1.0);
}

// B = max(0, b − s): the backdrop minus the source (Adobe: Subtract; Krita's formula)
JF_INLINE double SubtractBlend(double b, double s) {
  return std::max(0.0, b - s);
}

// B = min(1, b ÷ s); with s = 0: 0 if b = 0, else 1 (Adobe: Divide; the s = 0 rule is Krita's)
JF_INLINE double DivideBlend(double b, double s) {
  if (s == 0.0) return b == 0.0 ? 0.0 : 1.0;
  return std::min(1.0, b / s);
}

// B = 1 if s + b ≥ 1, else 0 (Adobe: Hard Mix; the "≥" threshold is GIMP's). Decided on the
// stored values against MAX, which are exact integers at 8 and 16 bits.
JF_INLINE Rgb HardMixBlend(const Sample& b, const Sample& s, double max) {
  auto pick = [max](double bv, double sv) { return sv + bv >= max ? 1.0 : 0.0; };
  return PerChannel(b.stored, s.stored, pick);
}

// ---- Non-separable blend functions (W3C helpers Lum, ClipColor, SetLum, Sat, SetSat) --------

// Lum(C) = 0.3·R + 0.59·G + 0.11·B
JF_INLINE double Lum(const Rgb& c) {
  return 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
}

// ClipColor(C): pulls a colour with a channel outside [0, 1] back towards its luminosity.
JF_INLINE Rgb ClipColor(Rgb c) {
  const double l = Lum(c);
  const double n = std::min({c.r, c.g, c.b});
  const double x = std::max({c.r, c.g, c.b});
  if (n < 0.0) {
    c = {l + (c.r - l) * l / (l - n), l + (c.g - l) * l / (l - n), l + (c.b - l) * l / (l - n)};
  }
  if (x > 1.0) {
    c = {l + (c.r - l) * (1.0 - l) / (x - l), l + (c.g - l) * (1.0 - l) / (x - l),
         l + (c.b - l) * (1.0 - l) / (x - l)};
  }
  // Absorbs floating-point error; with inputs in [0, 1] neither division above is by zero.
  return {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)};
}

// SetLum(C, l) = ClipColor(C + (l − Lum(C)))
JF_INLINE Rgb SetLum(const Rgb& c, double l) {
  const double d = l - Lum(c);
  return ClipColor({c.r + d, c.g + d, c.b + d});
}

// Sat(C) = max − min
JF_INLINE double Sat(const Rgb& c) {
  return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
}

// SetSat(C, s): the middle channel scaled into [0, s], the largest set to s, the smallest to 0.
JF_INLINE Rgb SetSat(Rgb c, double s) {
  double* lo = &c.r;
  double* mid = &c.g;
  double* hi = &c.b;
  if (*lo > *mid) std::swap(lo, mid);
  if (*mid > *hi) std::swap(mid, hi);
  if (*lo > *mid) std::swap(lo, mid);
  if (*hi > *lo) {
    *mid = (*mid - *lo) * s / (*hi - *lo);
    *hi = s;
  } else {
    *mid = 0.0;
    *hi = 0.0;
  }
  *lo = 0.0;
  return c;
}

// Cm = SetLum(SetSat(Cs, Sat(Cb)), Lum(Cb)) (W3C hue)
JF_INLINE Rgb HueBlend(const Rgb& b, const Rgb& s) {
  return SetLum(SetSat(s, Sat(b)), Lum(b));
}

// Cm = SetLum(SetSat(Cb, Sat(Cs)), Lum(Cb)) (W3C saturation)
JF_INLINE Rgb SaturationBlend(const Rgb& b, const Rgb& s) {
  return SetLum(SetSat(b, Sat(s)), Lum(b));
}

// Cm = SetLum(Cs, Lum(Cb)) (W3C color)
JF_INLINE Rgb ColorBlend(const Rgb& b, const Rgb& s) {
  return SetLum(s, Lum(b));
}

// Cm = SetLum(Cb, Lum(Cs)) (W3C luminosity)
JF_INLINE Rgb LuminosityBlend(const Rgb& b, const Rgb& s) {
  return SetLum(b, Lum(s));
}

// 30·R + 59·G + 11·B on stored values: proportional to Lum, and free of ties at 8 and 16 bits.
JF_INLINE double LumOfStored(const Rgb& c) {
  return 30.0 * c.r + 59.0 * c.g + 11.0 * c.b;
}

// Cm = Cs if Lum(Cs) > Lum(Cb), else Cb; a tie keeps the backdrop (Adobe: Lighter Color,
// compared by luminosity as Photoshop is observed to do)
JF_INLINE Rgb LighterColorBlend(const Sample& b, const Sample& s) {
  return LumOfStored(s.stored) > LumOfStored(b.stored) ? s.c : b.c;
}

// Cm = Cs if Lum(Cs) < Lum(Cb), else Cb; a tie keeps the backdrop (Adobe: Darker Color)
JF_INLINE Rgb DarkerColorBlend(const Sample& b, const Sample& s) {
  return LumOfStored(s.stored) < LumOfStored(b.stored) ? s.c : b.c;
}

// ---- Compositing -------------------------------------------------------------------------

// The W3C general formula with the mixed colour Cm (clamped): Cr = (1 − αb)·Cs + αb·Cm, then
// source-over, αo = αs + αb·(1 − αs), Co = [αs·Cr + (1 − αs)·αb·Cb] ÷ αo.
JF_INLINE Result BlendOver(const Sample& s, const Sample& b, const Rgb& mixed) {
  const double ao = s.a + b.a * (1.0 - s.a);
  if (!(ao > 0.0)) return Unchanged();
  auto channel = [&](double cs, double cb, double cm) {
    const double cr = (1.0 - b.a) * cs + b.a * Clamp01(cm);
    const double sum = s.a * cr + (1.0 - s.a) * b.a * cb;
    // Dividing by exactly 1 (any opaque result) gives the dividend itself; the test is cheaper.
    return ao == 1.0 ? sum : sum / ao;
  };
  return All(ao, {channel(s.c.r, b.c.r, mixed.r), channel(s.c.g, b.c.g, mixed.g),
                  channel(s.c.b, b.c.b, mixed.b)});
}

template <typename F>
JF_INLINE Result SeparableOver(const Sample& s, const Sample& b, F blend) {
  return BlendOver(s, b, PerChannel(b.c, s.c, blend));
}

// Destination-over: αo = αb + αs·(1 − αb), Co = [αb·Cb + (1 − αb)·αs·Cs] ÷ αo (Porter-Duff;
// the backdrop stays in front)
JF_INLINE Result BehindComposite(const Sample& s, const Sample& b) {
  const double ao = b.a + s.a * (1.0 - b.a);
  if (!(ao > 0.0)) return Unchanged();
  auto channel = [&](double cs, double cb) { return (b.a * cb + (1.0 - b.a) * s.a * cs) / ao; };
  return All(ao, {channel(s.c.r, b.c.r), channel(s.c.g, b.c.g), channel(s.c.b, b.c.b)});
}

// Each pixel is either the source at full opacity or the backdrop, the source more likely the
// more opaque it is (Adobe: Dissolve). The pick is a hash of the position and the seed, so the
// pattern never depends on time, thread or order: picked when hash ÷ 2^32 < αs.
JF_INLINE Result DissolveComposite(const Sample& s, A_long x, A_long y, std::uint32_t seed) {
  const double u =
      DissolveHash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) /
      4294967296.0;
  if (u < s.a) return All(1.0, s.c);
  return Unchanged();
}

// Adobe's Luminescent Premul: the source colour is taken as already premultiplied and added over
// the backdrop: αo = αs + αb·(1 − αs), Co = min(1, [Cs + (1 − αs)·αb·Cb] ÷ αo). Adobe gives
// no formula; this is the reading that keeps over-bright colour and still acts at αs = 0.
JF_INLINE Result AdditivePremulComposite(const Sample& s, const Sample& b) {
  const double ao = s.a + b.a * (1.0 - s.a);
  if (!(ao > 0.0)) return Unchanged();  // both transparent: stays transparent
  auto channel = [&](double cs, double cb) {
    return std::min(1.0, (cs + (1.0 - s.a) * b.a * cb) / ao);
  };
  return All(ao, {channel(s.c.r, b.c.r), channel(s.c.g, b.c.g), channel(s.c.b, b.c.b)});
}

// Adobe's Alpha Add: composites normally but adds the alphas, so two complementary 50 % edges
// join seamlessly. The source takes priority and the backdrop fills what alpha remains:
// αo = min(1, αs + αb), Co = [αs·Cs + (αo − αs)·Cb] ÷ αo. The exact form is this host's.
JF_INLINE Result AlphaAddComposite(const Sample& s, const Sample& b) {
  const double ao = std::min(1.0, s.a + b.a);
  if (!(ao > 0.0)) return Unchanged();
  auto channel = [&](double cs, double cb) { return (s.a * cs + (ao - s.a) * cb) / ao; };
  return All(ao, {channel(s.c.r, b.c.r), channel(s.c.g, b.c.g), channel(s.c.b, b.c.b)});
}

// Y = (0.299·R + 0.587·G + 0.114·B)·α, the alpha-weighted luma of the luma mattes. Adobe does not
// publish the weights; these are Rec. 601's.
JF_INLINE double AlphaLuma(const Sample& s) {
  return (0.299 * s.c.r + 0.587 * s.c.g + 0.114 * s.c.b) * s.a;
}

// The matte modes keep the destination's stored colour and only scale its alpha, as the effect
// interface describes them: "dest alpha *= src alpha / src luminance / ~(src alpha) /
// ~(src luminance)" (Adobe: Stencil Alpha, Stencil Luma, Silhouette Alpha, Silhouette Luma).

// αo = αb·αs
JF_INLINE Result MultiplyAlphaComposite(const Sample& s, const Sample& b) {
  return AlphaOnly(b.a * s.a);
}

// αo = αb·Y(s)
JF_INLINE Result MultiplyAlphaLumaComposite(const Sample& s, const Sample& b) {
  return AlphaOnly(b.a * AlphaLuma(s));
}

// αo = αb·(1 − αs)
JF_INLINE Result MultiplyNotAlphaComposite(const Sample& s, const Sample& b) {
  return AlphaOnly(b.a * (1.0 - s.a));
}

// αo = αb·(1 − Y(s))
JF_INLINE Result MultiplyNotAlphaLumaComposite(const Sample& s, const Sample& b) {
  return AlphaOnly(b.a * (1.0 - AlphaLuma(s)));
}

// Rule of the effect interface: a transparent source leaves the destination exactly as it was,
// except in Copy (which always overwrites), the two stencil modes (which clear the destination
// alpha) and Additive Premultiply (whose source colour still adds).
constexpr bool ActsOnTransparentSource(TransferMode mode) {
  return mode == TransferMode::Copy || mode == TransferMode::MultiplyAlpha ||
         mode == TransferMode::MultiplyAlphaLuma || mode == TransferMode::AdditivePremul;
}

JF_INLINE Result Composite(TransferMode mode, const Sample& s, const Sample& b, double max,
                           A_long x, A_long y, std::uint32_t seed) {
  switch (mode) {
    case TransferMode::Copy:
    case TransferMode::Reserved0:
      return Unchanged();  // Copy writes stored values and is done by the caller; 39 is a no-op
    case TransferMode::Behind:
      return BehindComposite(s, b);
    case TransferMode::InFront:
      return BlendOver(s, b, s.c);  // B = Cs: plain source-over
    case TransferMode::Dissolve:
      return DissolveComposite(s, x, y, seed);
    case TransferMode::Add:
    case TransferMode::LinearDodge:
      return SeparableOver(s, b, AddBlend);
    case TransferMode::Multiply:
      return SeparableOver(s, b, MultiplyBlend);
    case TransferMode::Screen:
      return SeparableOver(s, b, ScreenBlend);
    case TransferMode::Overlay:
      return SeparableOver(s, b, OverlayBlend);
    case TransferMode::SoftLight:
      return SeparableOver(s, b, SoftLightBlend);
    case TransferMode::HardLight:
      return SeparableOver(s, b, HardLightBlend);
    case TransferMode::Darken:
      return SeparableOver(s, b, DarkenBlend);
    case TransferMode::Lighten:
      return SeparableOver(s, b, LightenBlend);
    case TransferMode::Difference:
    case TransferMode::Difference2:
      return SeparableOver(s, b, DifferenceBlend);
    case TransferMode::Hue:
      return BlendOver(s, b, HueBlend(b.c, s.c));
    case TransferMode::Saturation:
      return BlendOver(s, b, SaturationBlend(b.c, s.c));
    case TransferMode::Color:
      return BlendOver(s, b, ColorBlend(b.c, s.c));
    case TransferMode::Luminosity:
      return BlendOver(s, b, LuminosityBlend(b.c, s.c));
    case TransferMode::MultiplyAlpha:
      return MultiplyAlphaComposite(s, b);
    case TransferMode::MultiplyAlphaLuma:
      return MultiplyAlphaLumaComposite(s, b);
    case TransferMode::MultiplyNotAlpha:
      return MultiplyNotAlphaComposite(s, b);
    case TransferMode::MultiplyNotAlphaLuma:
      return MultiplyNotAlphaLumaComposite(s, b);
    case TransferMode::AdditivePremul:
      return AdditivePremulComposite(s, b);
    case TransferMode::AlphaAdd:
      return AlphaAddComposite(s, b);
    case TransferMode::ColorDodge:
    case TransferMode::ColorDodge2:
      return SeparableOver(s, b, ColorDodgeBlend);
    case TransferMode::ColorBurn:
    case TransferMode::ColorBurn2:
      return SeparableOver(s, b, ColorBurnBlend);
    case TransferMode::Exclusion:
      return SeparableOver(s, b, ExclusionBlend);
    case TransferMode::LinearBurn:
      return SeparableOver(s, b, LinearBurnBlend);
    case TransferMode::LinearLight:
      return SeparableOver(s, b, LinearLightBlend);
    case TransferMode::VividLight:
      return SeparableOver(s, b, VividLightBlend);
    case TransferMode::PinLight:
      return SeparableOver(s, b, PinLightBlend);
    case TransferMode::HardMix:
      return BlendOver(s, b, HardMixBlend(b, s, max));
    case TransferMode::LighterColor:
      return BlendOver(s, b, LighterColorBlend(b, s));
    case TransferMode::DarkerColor:
      return BlendOver(s, b, DarkerColorBlend(b, s));
    case TransferMode::Subtract:
      return SeparableOver(s, b, SubtractBlend);
    case TransferMode::Divide:
      return SeparableOver(s, b, DivideBlend);
  }
  return Unchanged();
}

template <HeadlessPixelTraits Px>
JF_INLINE void Store(const Result& r, bool rgbOnly, typename Px::Pixel& d) {
  switch (r.write) {
    case Write::Nothing:
      return;
    case Write::AlphaOnly:
      d.alpha = FromUnit<Px>(r.a);
      return;
    case Write::All:
      // With rgb_only the backdrop keeps its alpha and only the colour is written.
      if (!rgbOnly) d.alpha = FromUnit<Px>(r.a);
      d.red = FromUnit<Px>(r.c.r);
      d.green = FromUnit<Px>(r.c.g);
      d.blue = FromUnit<Px>(r.c.b);
      return;
  }
}

// Copy writes the source's stored values themselves, even at αs = 0 and without clamping, so
// the copy is bit-exact at every depth. Only a partial opacity re-quantises the alpha.
template <HeadlessPixelTraits Px>
JF_INLINE void CopySource(const CompositeSetup& setup, double opacity, const typename Px::Pixel& s,
                          typename Px::Pixel& d) {
  if (!setup.rgbOnly) {
    d.alpha = opacity == 1.0 ? s.alpha : FromUnit<Px>(ToUnit<Px>(s.alpha) * opacity);
  }
  d.red = s.red;
  d.green = s.green;
  d.blue = s.blue;
}

}  // namespace

std::uint32_t DissolveHash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  // A position-keyed mix: the primes of xxHash32 weight the inputs, and the last three steps are
  // MurmurHash3's 32-bit finaliser ("fmix32"). All arithmetic is modulo 2^32.
  std::uint32_t h = x * 2654435761u + y * 2246822519u + seed * 3266489917u + 374761393u;
  h ^= h >> 16;
  h *= 2246822507u;
  h ^= h >> 13;
  h *= 3266489909u;
  h ^= h >> 16;
  return h;
}

CompositeSetup MakeCompositeSetup(const PF_CompositeMode& mode) {
  CompositeSetup setup;
  setup.mode = mode.xfer;
  setup.seed = static_cast<std::uint32_t>(mode.rand_seed);
  setup.opacity8 = mode.opacity / 255.0;
  setup.opacityDeep = mode.opacitySu / 32768.0;
  setup.rgbOnly = mode.rgb_only != 0;
  return setup;
}

bool ChangesPixels(PF_TransferMode mode) {
  // 39 is reserved by the effect interface with no published behaviour, and other values name
  // no mode: leaving the destination as it is invents no pixels and aborts nothing.
  return NamedMode(mode).has_value() && mode != PF_Xfer_RESERVED0;
}

namespace {

// One mode over a span: the switch of Composite folds away for the constant mode.
template <HeadlessPixelTraits Px, TransferMode kMode>
void CompositeRowOf(const CompositeSetup& setup, const typename Px::Pixel* s, typename Px::Pixel* d,
                    A_long count, A_long x0, A_long y) {
  const double opacity = Px::kMax == 255.0 ? setup.opacity8 : setup.opacityDeep;
  if constexpr (kMode == TransferMode::Copy) {
    if (opacity == 1.0 && !setup.rgbOnly) {
      std::memcpy(d, s, static_cast<std::size_t>(count) * sizeof(typename Px::Pixel));
      return;
    }
    for (A_long i = 0; i < count; ++i) CopySource<Px>(setup, opacity, s[i], d[i]);
  } else {
    constexpr bool kActs = ActsOnTransparentSource(kMode);
    // In Front of an opaque 8-bit pixel over an opaque one at full opacity gives the source
    // pixel itself: αo = 1 + 1·0 = 1, Cr = 0·Cs + 1·Cs = Cs, Co = 1·Cr + 0·Cb = Cs exactly,
    // and storing v ÷ 255 rounds back to v (so alpha stays 255 with or without rgb_only).
    constexpr bool kOpaqueCopies = kMode == TransferMode::InFront && !Px::kIsFloat &&
                                   std::is_same_v<typename Px::Channel, A_u_char>;
    const bool opaqueCopies = kOpaqueCopies && opacity == 1.0;
    for (A_long i = 0; i < count; ++i) {
      // A stored alpha of zero reads as αs = 0 at any opacity; the test below still decides
      // every other case exactly as before.
      if (!kActs && s[i].alpha == 0) continue;
      if (opaqueCopies && s[i].alpha == 255 && d[i].alpha == 255) {
        d[i] = s[i];
        continue;
      }
      const Sample src = Read<Px>(s[i], opacity);
      if (src.a == 0.0 && !kActs) continue;  // bit-exact pass-through
      if constexpr (kMode == TransferMode::InFront) {
        // Over an opaque destination (a stored alpha at or above white reads as αb = 1) an
        // opaque source gives All(1, Cs) by the same steps as above, at every depth.
        if (src.a == 1.0 && d[i].alpha >= static_cast<typename Px::Channel>(Px::kMax)) {
          Store<Px>(All(1.0, src.c), setup.rgbOnly, d[i]);
          continue;
        }
      }
      const Sample dst = Read<Px>(d[i], 1.0);
      Store<Px>(Composite(kMode, src, dst, Px::kMax, x0 + i, y, setup.seed), setup.rgbOnly, d[i]);
    }
  }
}

template <HeadlessPixelTraits Px, std::size_t... kModes>
CompositeRowFn<Px> RowOfMode(TransferMode mode, std::index_sequence<kModes...>) {
  static constexpr CompositeRowFn<Px> kRows[] = {
      &CompositeRowOf<Px, static_cast<TransferMode>(kModes)>...};
  return kRows[static_cast<std::size_t>(mode)];
}

}  // namespace

template <HeadlessPixelTraits Px>
CompositeRowFn<Px> CompositeRowFor(const CompositeSetup& setup) {
  if (!ChangesPixels(setup.mode)) return nullptr;
  constexpr std::size_t kModes = static_cast<std::size_t>(TransferMode::Reserved0);
  return RowOfMode<Px>(*NamedMode(setup.mode), std::make_index_sequence<kModes>{});
}

bool SkipsTransparentSource(const CompositeSetup& setup) {
  const std::optional<TransferMode> mode = NamedMode(setup.mode);
  return !mode || !ActsOnTransparentSource(*mode);
}

template <HeadlessPixelTraits Px>
void CompositePixel(const CompositeSetup& setup, const typename Px::Pixel& s, typename Px::Pixel& d,
                    A_long x, A_long y) {
  const std::optional<TransferMode> mode = NamedMode(setup.mode);
  if (!mode) return;
  const double opacity = Px::kMax == 255.0 ? setup.opacity8 : setup.opacityDeep;
  if (*mode == TransferMode::Copy) {
    CopySource<Px>(setup, opacity, s, d);
    return;
  }
  const Sample src = Read<Px>(s, opacity);
  if (src.a == 0.0 && !ActsOnTransparentSource(*mode)) return;  // bit-exact pass-through
  const Sample dst = Read<Px>(d, 1.0);
  Store<Px>(Composite(*mode, src, dst, Px::kMax, x, y, setup.seed), setup.rgbOnly, d);
}

template CompositeRowFn<Argb32Traits> CompositeRowFor<Argb32Traits>(const CompositeSetup&);
template CompositeRowFn<Argb64Traits> CompositeRowFor<Argb64Traits>(const CompositeSetup&);
template CompositeRowFn<Argb128Traits> CompositeRowFor<Argb128Traits>(const CompositeSetup&);
template void CompositePixel<Argb32Traits>(const CompositeSetup&, const PF_Pixel8&, PF_Pixel8&,
                                           A_long, A_long);
template void CompositePixel<Argb64Traits>(const CompositeSetup&, const PF_Pixel16&, PF_Pixel16&,
                                           A_long, A_long);
template void CompositePixel<Argb128Traits>(const CompositeSetup&, const PF_PixelFloat&,
                                            PF_PixelFloat&, A_long, A_long);

}  // namespace jf::headless
