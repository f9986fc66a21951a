// See noise.h.
#include "stages/noise.h"

#include "entry/suite_handler.h"
#include "params/param_reader.h"
#include "params/param_table.h"
#include "stages/simplex_noise.h"

namespace jf {
namespace {

/// Reads the stage's parameters in table order. Percents become fractions in single precision.
/// Returns the last read's code.
PF_Err ReadNoiseSettings(PF_InData* in, NoiseSettings& s) {
  ReadRunKeepingLast read(in);
  s.frequency = read.FloatSlider(ParamId::NoiseFrequency);
  s.amplitude = read.Percent(ParamId::NoiseAmplitude) / 100.0f;
  s.octaves = read.FloatSliderInt(ParamId::NoiseOctaves);
  s.preserveFrequency = read.Percent(ParamId::NoisePreserveFrequency) / 100.0f;
  s.preserveAmplitude = read.Percent(ParamId::NoisePreserveAmplitude) / 100.0f;
  s.tint = read.Color(ParamId::NoiseTint);
  s.tintContribution = read.Percent(ParamId::NoiseTintContribution) / 100.0f;
  return read.Error();
}

}  // namespace

float NoiseAmplitudeSum(const NoiseSettings& s) {
  float sum = 0.0f;
  float a = s.amplitude;
  for (A_long k = 0; k < s.octaves; ++k) {
    sum = sum + a;
    a = a * s.preserveAmplitude;
  }
  return sum;
}

template <PixelTraitsLike Px>
PF_Err NoisePixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                  typename Px::Pixel* out) {
  const auto& s = *static_cast<const NoiseSettings*>(refcon);

  // No amplitude means no noise. The weight 1 − total ÷ 0 would be −∞ (NaN against a zero tint),
  // which has no channel value, so the pixel passes unchanged instead.
  if (s.amplitudeSum == 0.0f) {
    *out = *in;
    return PF_Err_NONE;
  }

  // Sum the octaves. The amplitude sum is the same for every pixel, so it was formed once
  // beforehand, with the same additions in the same order.
  const float fx = static_cast<float>(x);
  const float fy = static_cast<float>(y);
  float f = s.frequency;
  float a = s.amplitude;
  float total = 0.0f;
  for (A_long k = 0; k < s.octaves; ++k) {
    const float n = SimplexNoise2D((fx * f) / s.width, (fy * f) / s.height);
    f = f * s.preserveFrequency;
    // The product stays single; the shift to 0 … 1 is done in double and rounded back. The 0.5
    // is added once per octave, unweighted by the octave's amplitude.
    total = total + static_cast<float>(static_cast<double>(n * a) * 0.5 + 0.5);
    a = a * s.preserveAmplitude;
  }
  const float v = 1.0f - total / s.amplitudeSum;

  // Add the tinted weight to each colour channel; SetRGB wraps what leaves the range.
  const float max = static_cast<float>(Px::MaxValue());
  const float r = static_cast<float>(in->red) / max + (v * s.tint.red) * s.tintContribution;
  const float g = static_cast<float>(in->green) / max + (v * s.tint.green) * s.tintContribution;
  const float b = static_cast<float>(in->blue) / max + (v * s.tint.blue) * s.tintContribution;
  SetRGB(*out, r, g, b);
  out->alpha = in->alpha;
  return PF_Err_NONE;
}

template <PixelTraitsLike Px>
PF_Err RenderNoise(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  SuiteHandler suites(in->pica_basicP);
  const PF_Rect extent = dst->extent_hint;
  const A_long height = extent.bottom - extent.top;

  NoiseSettings settings;
  const PF_Err readErr = ReadNoiseSettings(in, settings);
  settings.width = static_cast<float>(extent.right - extent.left);
  settings.height = static_cast<float>(height);
  settings.amplitudeSum = NoiseAmplitudeSum(settings);

  // The pixel pass runs whatever the reads returned, so a frame is never left unwritten.
  const PF_Err iterErr =
      Px::Iterate(suites, in, 0, height, src, nullptr, &settings, &NoisePixel<Px>, dst);
  return iterErr != PF_Err_NONE ? iterErr : readErr;
}

JF_PIXEL_RULE_DEPTHS(template, NoisePixel);
JF_STAGE_ROUTINE_DEPTHS(template, RenderNoise);

}  // namespace jf
