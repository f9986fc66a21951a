// See noise.h.
#include "stages/noise.h"

#include <cstddef>
#include <cstdint>

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

NoiseJob MakeNoiseJob(const NoiseSettings& settings, A_long columns, A_long rows) {
  NoiseJob job;
  job.settings = settings;
  const std::int64_t cells = std::int64_t{settings.octaves} * (std::int64_t{columns} + rows);
  if (settings.octaves <= 0 || columns < 0 || rows < 0 || cells > (std::int64_t{1} << 24)) {
    return job;
  }
  job.columns = columns;
  job.rows = rows;
  job.columnTerm.resize(static_cast<std::size_t>(settings.octaves) * columns);
  job.rowTerm.resize(static_cast<std::size_t>(settings.octaves) * rows);
  float f = settings.frequency;
  for (A_long k = 0; k < settings.octaves; ++k) {
    for (A_long x = 0; x < columns; ++x) {
      job.columnTerm[static_cast<std::size_t>(k) * columns + x] =
          (static_cast<float>(x) * f) / settings.width;
    }
    for (A_long y = 0; y < rows; ++y) {
      job.rowTerm[static_cast<std::size_t>(k) * rows + y] =
          (static_cast<float>(y) * f) / settings.height;
    }
    f = f * settings.preserveFrequency;
  }
  return job;
}

template <PixelTraitsLike Px>
PF_Err NoisePixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                  typename Px::Pixel* out) {
  const auto& job = *static_cast<const NoiseJob*>(refcon);
  const NoiseSettings& s = job.settings;

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
  const bool tabled = x >= 0 && x < job.columns && y >= 0 && y < job.rows;
  const float* column = tabled ? &job.columnTerm[static_cast<std::size_t>(x)] : nullptr;
  const float* row = tabled ? &job.rowTerm[static_cast<std::size_t>(y)] : nullptr;
  for (A_long k = 0; k < s.octaves; ++k) {
    const float n = tabled ? SimplexNoise2D(column[static_cast<std::ptrdiff_t>(k) * job.columns],
                                            row[static_cast<std::ptrdiff_t>(k) * job.rows])
                           : SimplexNoise2D((fx * f) / s.width, (fy * f) / s.height);
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
  NoiseJob job = MakeNoiseJob(settings, extent.right - extent.left, height);
  const PF_Err iterErr =
      Px::Iterate(suites, in, 0, height, src, nullptr, &job, &NoisePixel<Px>, dst);
  return iterErr != PF_Err_NONE ? iterErr : readErr;
}

JF_PIXEL_RULE_DEPTHS(template, NoisePixel);
JF_STAGE_ROUTINE_DEPTHS(template, RenderNoise);

}  // namespace jf
