// See noise.h.
#include "stages/noise.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>

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

namespace {

/// One octave's share of the total: the product stays single; the shift to 0 … 1 is done in
/// double and rounded back. The 0.5 is added once per octave, unweighted by the amplitude.
inline float OctaveShare(float n, float a) {
  return static_cast<float>(static_cast<double>(n * a) * 0.5 + 0.5);
}

/// The octaves summed in order at (x, y), their coordinates formed here.
float SumOctaves(const NoiseSettings& s, A_long x, A_long y) {
  const float fx = static_cast<float>(x);
  const float fy = static_cast<float>(y);
  float f = s.frequency;
  float a = s.amplitude;
  float total = 0.0f;
  for (A_long k = 0; k < s.octaves; ++k) {
    total = total + OctaveShare(SimplexNoise2D((fx * f) / s.width, (fy * f) / s.height), a);
    f = f * s.preserveFrequency;
    a = a * s.preserveAmplitude;
  }
  return total;
}

/// The same sum from the job's coordinate tables.
float SumTabledOctaves(const NoiseJob& job, A_long x, A_long y) {
  const auto octaves = static_cast<std::size_t>(job.settings.octaves);
  const auto columns = static_cast<std::size_t>(job.columns);
  const float* row = job.rowTerm.data() + static_cast<std::size_t>(y) * octaves;
  float total = 0.0f;
  for (std::size_t k = 0; k < octaves; ++k) {
    const float n =
        SimplexNoise2D(job.columnTerm[k * columns + static_cast<std::size_t>(x)], row[k]);
    total = total + OctaveShare(n, job.octaveAmplitude[k]);
  }
  return total;
}

/// Whether every coordinate lies well inside 32 bits once skewed: up to 10^8 the skewed values
/// stay below 2^28, so their floor needs no clamping and two cell indices add up without
/// overflow.
bool CoordinatesModerate(const std::vector<float>& terms) {
  return std::all_of(terms.begin(), terms.end(), [](float v) { return std::fabs(v) <= 1.0e8f; });
}

/// The weights of row y, the noise taken a step at a time across a block of the row, so that the
/// arithmetic of neighbouring pixels can run side by side in vector lanes; each lane does
/// exactly what SimplexNoise2D and the pixel rule do for its pixel, and only the permutation
/// look-ups go one by one. Every column is its own sum, so the blocks change nothing. The
/// coordinates are moderate (CoordinatesModerate).
void WeighRow(const NoiseJob& job, A_long y, float* weight) {
  using namespace simplex;
  // Small enough for the stack of any thread the host runs the pass on.
  constexpr std::size_t kBlock = 256;
  float total[kBlock], x0[kBlock], y0[kBlock];
  std::int32_t i[kBlock], j[kBlock];
  std::uint32_t g0[kBlock], g1[kBlock], g2[kBlock];  // the corner hashes, apart so lanes load them
  const auto columns = static_cast<std::size_t>(job.columns);
  const auto octaves = static_cast<std::size_t>(job.settings.octaves);
  const float sum = job.settings.amplitudeSum;
  for (std::size_t begin = 0; begin < columns; begin += kBlock) {
    const std::size_t n = std::min(kBlock, columns - begin);
    std::fill(total, total + n, 0.0f);
    for (std::size_t k = 0; k < octaves; ++k) {
      const float* column = job.columnTerm.data() + k * columns + begin;
      const float ry = job.rowTerm[static_cast<std::size_t>(y) * octaves + k];
      const float a = job.octaveAmplitude[k];
      // Skew to the cell and unskew back. With moderate coordinates the 32-bit index sum is the
      // 64-bit one.
      for (std::size_t x = 0; x < n; ++x) {
        const float s = (column[x] + ry) * kF2;
        i[x] = FloorInRange(column[x] + s);
        j[x] = FloorInRange(ry + s);
        const float t = static_cast<float>(i[x] + j[x]) * kG2;
        x0[x] = column[x] - (static_cast<float>(i[x]) - t);
        y0[x] = ry - (static_cast<float>(j[x]) - t);
      }
      for (std::size_t x = 0; x < n; ++x) {
        const CornerHashes h = HashCorners(i[x], j[x], x0[x] > y0[x]);
        g0[x] = h.g0;
        g1[x] = h.g1;
        g2[x] = h.g2;
      }
      for (std::size_t x = 0; x < n; ++x) {
        const float v = SumCorners(x0[x], y0[x], CornerHashes{g0[x], g1[x], g2[x]});
        total[x] = total[x] + OctaveShare(v, a);
      }
    }
    for (std::size_t x = 0; x < n; ++x) weight[begin + x] = 1.0f - total[x] / sum;
  }
}

/// Frames beyond this many pixels get no weight table (128 MB of floats).
constexpr std::int64_t kMostWeighedPixels = std::int64_t{1} << 25;

/// Makes room for the weights; the pixel pass forms them, a row at a time.
void PrepareWeights(NoiseJob& job) {
  const std::int64_t pixels = std::int64_t{job.columns} * job.rows;
  if (job.columnTerm.empty() || job.settings.amplitudeSum == 0.0f || pixels == 0 ||
      pixels > kMostWeighedPixels || !CoordinatesModerate(job.columnTerm) ||
      !CoordinatesModerate(job.rowTerm)) {
    return;
  }
  // Without the memory the pixel rule forms each weight itself.
  try {
    job.weight.resize(static_cast<std::size_t>(pixels));
    job.rowState = std::vector<std::atomic<std::uint8_t>>(static_cast<std::size_t>(job.rows));
  } catch (const std::bad_alloc&) {
    job.weight.clear();
    job.weight.shrink_to_fit();
    job.rowState.clear();
  }
}

enum RowState : std::uint8_t { kUnweighed, kWeighing, kWeighed };

/// Whether row y's weights are in the table, weighing the row first if no thread has begun it.
/// A row another thread is weighing is not waited for: the caller forms its pixel's weight
/// itself, the same value.
bool RowWeighed(NoiseJob& job, A_long y) {
  std::atomic<std::uint8_t>& state = job.rowState[static_cast<std::size_t>(y)];
  std::uint8_t seen = state.load(std::memory_order_acquire);
  if (seen == kWeighed) return true;
  if (seen != kUnweighed ||
      !state.compare_exchange_strong(seen, kWeighing, std::memory_order_acquire)) {
    return seen == kWeighed;
  }
  WeighRow(job, y, job.weight.data() + static_cast<std::size_t>(y) * job.columns);
  state.store(kWeighed, std::memory_order_release);
  return true;
}

}  // namespace

NoiseJob MakeNoiseJob(const NoiseSettings& settings, A_long columns, A_long rows) {
  NoiseJob job;
  job.settings = settings;
  const std::int64_t cells = std::int64_t{settings.octaves} * (std::int64_t{columns} + rows);
  if (settings.octaves <= 0 || columns < 0 || rows < 0 || cells > (std::int64_t{1} << 24)) {
    return job;
  }
  const auto octaves = static_cast<std::size_t>(settings.octaves);
  job.columns = columns;
  job.rows = rows;
  job.columnTerm.resize(octaves * static_cast<std::size_t>(columns));
  job.rowTerm.resize(octaves * static_cast<std::size_t>(rows));
  job.octaveAmplitude.resize(octaves);
  float f = settings.frequency;
  float a = settings.amplitude;
  for (std::size_t k = 0; k < octaves; ++k) {
    for (A_long x = 0; x < columns; ++x) {
      job.columnTerm[k * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x)] =
          (static_cast<float>(x) * f) / settings.width;
    }
    for (A_long y = 0; y < rows; ++y) {
      job.rowTerm[static_cast<std::size_t>(y) * octaves + k] =
          (static_cast<float>(y) * f) / settings.height;
    }
    job.octaveAmplitude[k] = a;
    f = f * settings.preserveFrequency;
    a = a * settings.preserveAmplitude;
  }
  PrepareWeights(job);
  return job;
}

namespace {

/// v ÷ 255 for every 8-bit value: the division the pixel rule makes, made once.
constexpr std::array<float, 256> kUnit8 = [] {
  std::array<float, 256> unit{};
  for (int v = 0; v < 256; ++v) unit[v] = static_cast<float>(v) / 255.0f;
  return unit;
}();

/// A channel as a fraction of the maximum, in single precision. At 16 bits and in float the
/// maximum is a power of two and the division an exact product.
template <PixelTraitsLike Px>
inline float UnitOf(typename Px::Channel c) {
  if constexpr (Px::MaxValue() == 255) {
    return kUnit8[c];
  } else {
    return static_cast<float>(c) / static_cast<float>(Px::MaxValue());
  }
}

}  // namespace

template <PixelTraitsLike Px>
PF_Err NoisePixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                  typename Px::Pixel* out) {
  auto& job = *static_cast<NoiseJob*>(refcon);
  const NoiseSettings& s = job.settings;

  // No amplitude means no noise. The weight 1 − total ÷ 0 would be −∞ (NaN against a zero tint),
  // which has no channel value, so the pixel passes unchanged instead.
  if (s.amplitudeSum == 0.0f) {
    *out = *in;
    return PF_Err_NONE;
  }

  // Sum the octaves. The amplitude sum is the same for every pixel, so it was formed once
  // beforehand, with the same additions in the same order.
  const bool tabled = x >= 0 && x < job.columns && y >= 0 && y < job.rows;
  float v;
  if (tabled && !job.weight.empty() && RowWeighed(job, y)) {
    v = job.weight[static_cast<std::size_t>(y) * static_cast<std::size_t>(job.columns) +
                   static_cast<std::size_t>(x)];
  } else {
    const float total = tabled ? SumTabledOctaves(job, x, y) : SumOctaves(s, x, y);
    v = 1.0f - total / s.amplitudeSum;
  }

  // Add the tinted weight to each colour channel; SetRGB wraps what leaves the range.
  const float r = UnitOf<Px>(in->red) + (v * s.tint.red) * s.tintContribution;
  const float g = UnitOf<Px>(in->green) + (v * s.tint.green) * s.tintContribution;
  const float b = UnitOf<Px>(in->blue) + (v * s.tint.blue) * s.tintContribution;
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
