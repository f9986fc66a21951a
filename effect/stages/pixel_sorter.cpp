// See pixel_sorter.h.
#include "stages/pixel_sorter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "entry/suite_handler.h"
#include "host/host_ops.h"
#include "params/param_reader.h"
#include "params/param_table.h"
#include "render/numeric.h"
#include "render/pixel_traits.h"
#include "render/rect.h"
#include "render/transform_matrix.h"

namespace jf {
namespace {

/// Where the sorter's rule differs by depth (a negative float alpha ends a run as a transparent
/// one does); the depth's traits hold the fact.
template <typename PixelT>
using SorterDepth = PixelTraits<PixelT>;

/// The pixels a world really has; every read and write of the band pass stays inside them.
PF_LRect PixelRect(const PF_EffectWorld& world) {
  return MakeRect(0, 0, world.width, world.height);
}

/// The host's composite of src over the whole extent of dst through one matrix, straight alpha,
/// full opacity.
PF_Err Composite(PF_InData* in, PF_EffectWorld* src, PF_TransferMode mode,
                 const PF_FloatMatrix& matrix, PF_EffectWorld* dst) {
  PF_CompositeMode request{};
  request.xfer = mode;
  request.rand_seed = 0;
  request.opacity = 255;
  request.rgb_only = 0;
  request.opacitySu = 0x8000;
  PF_Rect destRect = dst->extent_hint;
  return in->utils->transform_world(in->effect_ref, in->quality, PF_MF_Alpha_STRAIGHT, in->field,
                                    src, &request, nullptr, &matrix, 1, 1, &destRect, dst);
}

PF_Err FillTransparent(PF_InData* in, PF_EffectWorld* world) {
  const PF_Pixel transparent{0, 0, 0, 0};
  PF_Rect rect = world->extent_hint;
  return in->utils->fill(in->effect_ref, &transparent, &rect, world);
}

PF_Err CopyRect(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst, const PF_Rect& rect) {
  PF_Rect from = rect;
  PF_Rect to = rect;
  return in->utils->copy(in->effect_ref, src, dst, &from, &to);
}

/// Gives every temporary back, the last made first; returns the first failure.
PF_Err DisposeAll(std::initializer_list<ScopedWorld*> worlds) {
  PF_Err first = PF_Err_NONE;
  for (auto it = std::rbegin(worlds); it != std::rend(worlds); ++it) {
    const PF_Err err = (*it)->Dispose();
    if (first == PF_Err_NONE) first = err;
  }
  return first;
}

/// The parameters read after the activation pass, in the order they are read.
struct SortSettings {
  float minPercent = 0.0f;
  float maxPercent = 0.0f;
  bool inverseDirection = false;
  A_long blockSize = 0;
  A_long minBlocks = 0;
  A_long maxParam = 0;
  bool useMax = false;
  bool inverseActivation = false;
};

// A value read from a failed checkout must not be rendered as if it were the user's, so the
// run stops at the first failure and the stage ends on it.
void ReadSortSettings(ReadRun& read, SortSettings& s) {
  s.minPercent = read.Percent(ParamId::PixelSorterMinThreshold);
  s.maxPercent = read.Percent(ParamId::PixelSorterMaxThreshold);
  s.inverseDirection = read.Checkbox(ParamId::PixelSorterInverseDirection);
  s.blockSize = read.FloatSliderInt(ParamId::PixelSorterBlockSize);
  s.minBlocks = read.FloatSliderInt(ParamId::PixelSorterMinSortedBlocks);
  s.maxParam = read.FloatSliderInt(ParamId::PixelSorterMaxSortedBlocks);
  s.useMax = read.Checkbox(ParamId::PixelSorterUseMaxSortedBlocks);
  s.inverseActivation = read.Checkbox(ParamId::PixelSorterInverseActivation);
}

/// Sets a mask pixel: white inside a run, and opaque in every case, so that positions outside
/// runs show as opaque black.
template <typename PixelT>
void MaskWrite(PixelT& pixel, bool inRun) {
  if (inRun) SetGrey(pixel, 1.0f);
  pixel.alpha = PixelTraits<PixelT>::MaxValue();
}

/// Puts the sample at (x, y) into O while a run is open.
template <typename PixelT>
void CopySample(const SortJob& job, A_long x, A_long y) {
  switch (job.output) {
    case static_cast<A_long>(SorterOutput::Full):
    case static_cast<A_long>(SorterOutput::SortedPixelsOnly):
      CopyPixelBetween<PixelT>(job.rotated, x, y, job.sorted, x, y);
      break;
    case static_cast<A_long>(SorterOutput::SortedActivation):
      CopyPixelBetween<PixelT>(job.keys, x, y, job.sorted, x, y);
      break;
    case static_cast<A_long>(SorterOutput::Mask):
      MaskWrite(*PixelAt<PixelT>(job.sorted, x, y), true);
      break;
    default:  // an output that names nothing copies nothing
      break;
  }
}

/// Spreads every sample of the band's row over its cw × ch block of O: the sample row first,
/// block by block, then the band's other rows as copies of it.
template <typename PixelT>
void ReplicateBlocks(const SortJob& job, std::int64_t firstRow, std::int64_t sampleRow, A_long step,
                     A_long half) {
  const PF_LRect sortedRect = PixelRect(*job.sorted);
  const std::int64_t rowEnd =
      std::min<std::int64_t>(firstRow + job.spacing.across, sortedRect.bottom);
  if (sampleRow >= sortedRect.bottom) return;
  const A_long y = static_cast<A_long>(sampleRow);
  PixelT* const samples = PixelAt<PixelT>(job.sorted, 0, y);
  // The last block's sample can fall on column Wr, one past the frame: there is no sample to
  // spread, so the block is left as it is rather than filled from beyond the row. Samples lie
  // further right block by block, so the filled blocks are the columns 0 … filled − 1.
  A_long filled = 0;
  if (step > 1) {
    for (A_long left = 0; left + half <= job.frameWidth; left += step) {
      const A_long sx = left + half;
      if (!Contains(sortedRect, sx, y)) break;
      const PixelT sample = samples[sx];
      filled = std::min<A_long>(left + step, sortedRect.right);
      std::fill(samples + left, samples + filled, sample);
    }
  } else {  // every column is its own block and holds its sample already
    filled = std::max<A_long>(0, std::min<A_long>(job.frameWidth + 1, sortedRect.right));
  }
  const std::size_t bytes = static_cast<std::size_t>(filled) * sizeof(PixelT);
  for (std::int64_t row = firstRow; row < rowEnd; ++row) {
    if (row != sampleRow)
      std::memcpy(PixelAt<PixelT>(job.sorted, 0, static_cast<A_long>(row)), samples, bytes);
  }
}

}  // namespace

SortingFrame PlanSortingFrame(A_long width, A_long height, double angle,
                              const PF_ANSICallbacksSuite1* ansi) {
  SortingFrame frame;
  const double s = ansi->sin(angle);
  const double c = ansi->cos(angle);
  const double w = width;
  const double h = height;

  // The frame grows to hold the turned image but never shrinks below the source.
  const A_long turnedWidth = TruncToLong(std::fabs(w * c) + std::fabs(h * s) + 0.5);
  const A_long turnedHeight = TruncToLong(std::fabs(h * c) + std::fabs(w * s) + 0.5);
  frame.width = turnedWidth > width ? turnedWidth : width;
  frame.height = turnedHeight > height ? turnedHeight : height;

  // Forward: turn the source about its centre, then centre it in the frame.
  Identity(frame.forward);
  PostRotateAbout(frame.forward, angle, w * 0.5, h * 0.5, ansi);
  PostTranslate(frame.forward, (frame.width - width) * 0.5, (frame.height - height) * 0.5);

  // Reverse: turn back about the frame's centre, then put the frame's centre on the source's.
  Identity(frame.reverse);
  PostRotateAbout(frame.reverse, -angle, frame.width * 0.5, frame.height * 0.5, ansi);
  PostTranslate(frame.reverse, (width - frame.width) * 0.5, (height - frame.height) * 0.5);
  return frame;
}

template <typename PixelT>
float MeasurePixel(A_long item, const PixelT& p) {
  const float max = static_cast<float>(PixelTraits<PixelT>::MaxValue());
  const float r = static_cast<float>(p.red);
  const float g = static_cast<float>(p.green);
  const float b = static_cast<float>(p.blue);
  switch (item) {
    case static_cast<A_long>(PixelMeasure::Luma):
      return AlphaLuma(p);
    case static_cast<A_long>(PixelMeasure::Sum):
      return (r + g + b) / (3.0f * max);
    case static_cast<A_long>(PixelMeasure::Minimum):
      return std::min({r, g, b}) / max;
    case static_cast<A_long>(PixelMeasure::Maximum):
      return std::max({r, g, b}) / max;
    case static_cast<A_long>(PixelMeasure::RedChannel):
      return r / max;
    case static_cast<A_long>(PixelMeasure::GreenChannel):
      return g / max;
    case static_cast<A_long>(PixelMeasure::BlueChannel):
      return b / max;
    case static_cast<A_long>(PixelMeasure::AlphaChannel):
      return static_cast<float>(p.alpha) / max;
    default:  // the undeclared ninth choice, or anything else, measures nothing
      return 0.0f;
  }
}

namespace {

template <typename PixelT, A_long item>
float MeasureItem(const PixelT& p) {
  return MeasurePixel(item, p);
}

template <typename PixelT, A_long... items>
typename ActivationKernel<PixelT>::Measure MeasureOf(A_long item,
                                                     std::integer_sequence<A_long, items...>) {
  using Measure = typename ActivationKernel<PixelT>::Measure;
  static constexpr Measure kMeasures[] = {MeasureItem<PixelT, items>...};
  // Every item outside the popup's eight measures nothing, as item 0 does.
  return kMeasures[item >= 1 && item < static_cast<A_long>(sizeof...(items)) ? item : 0];
}

}  // namespace

template <typename PixelT>
ActivationKernel<PixelT> MakeActivationKernel(const ActivationJob& job) {
  const auto items = std::make_integer_sequence<A_long, 9>{};
  ActivationKernel<PixelT> kernel;
  kernel.activation = MeasureOf<PixelT>(job.activation, items);
  kernel.primary = MeasureOf<PixelT>(job.primary, items);
  kernel.secondary = MeasureOf<PixelT>(job.secondary, items);
  kernel.primaryIsActivation = kernel.primary == kernel.activation;
  kernel.secondaryIsPrimary = kernel.secondary == kernel.primary;
  return kernel;
}

template <typename PixelT>
PF_Err ActivationPixel(void* refcon, A_long, A_long, PixelT* in, PixelT* out) {
  const auto& kernel = *static_cast<const ActivationKernel<PixelT>*>(refcon);
  const PixelT source = *in;  // in and out may be the same pixel
  const float activation = kernel.activation(source);
  const float primary = kernel.primaryIsActivation ? activation : kernel.primary(source);
  const float secondary = kernel.secondaryIsPrimary ? primary : kernel.secondary(source);
  SetRGB(*out, activation, primary, secondary);
  out->alpha = source.alpha;
  return PF_Err_NONE;
}

std::array<A_long, 9> ConvolutionKernel(float coefficientPercent) {
  const float g = coefficientPercent / 100.0f;
  // g is single precision; the products with the double constants are taken in double.
  const A_long edge = -30 - TruncToLong(static_cast<double>(g) * -30.0);
  const A_long centre = TruncToLong(static_cast<double>(g) * 255.0);
  std::array<A_long, 9> kernel;
  kernel.fill(edge);
  kernel[4] = centre;
  return kernel;
}

template <typename PixelT>
SortThresholds MakeSortThresholds(A_long method, float minPercent, float maxPercent) {
  // A convolved activation is an edge response, not a level: its thresholds are fixed and the
  // same at every depth.
  if (method == kConvolutionMethod) return SortThresholds{0.75, 0.25};
  const float max = static_cast<float>(PixelTraits<PixelT>::MaxValue());
  const float hi = (maxPercent / 100.0f) * max;
  const float lo = (minPercent / 100.0f) * max;
  return SortThresholds{hi, lo};
}

SampleSpacing MakeSampleSpacing(const PF_RationalScale& downsampleX,
                                const PF_RationalScale& downsampleY, A_long blockSize) {
  // Unsigned 32-bit arithmetic, rounding down. A host that leaves a factor unset (den 0) means
  // full size.
  auto spacing = [blockSize](const PF_RationalScale& ds) {
    const A_u_long den = ds.den == 0 ? 1u : ds.den;
    const A_u_long num = ds.den == 0 ? 1u : static_cast<A_u_long>(ds.num);
    const A_u_long n = num * static_cast<A_u_long>(blockSize) / den;
    return std::max<A_u_long>(1u, n);
  };
  return SampleSpacing{spacing(downsampleX), spacing(downsampleY)};
}

A_long CountBands(A_long frameHeight, const PF_RationalScale& downsampleY, A_long blockSize) {
  const double num = downsampleY.den == 0 ? 1.0 : static_cast<double>(downsampleY.num);
  const double den = downsampleY.den == 0 ? 1.0 : static_cast<double>(downsampleY.den);
  const double rows = std::max(num * blockSize / den, 1.0);
  return TruncToLong(frameHeight / rows);
}

template <typename PixelT>
void SortRun(const SortJob& job, A_long y, A_long lo, A_long hi, A_long step,
             RunScratch<PixelT>& scratch) {
  PixelT* const keys = PixelAt<PixelT>(job.keys, 0, y);
  PixelT* const sorted = PixelAt<PixelT>(job.sorted, 0, y);
  const auto n = static_cast<std::size_t>((hi - lo) / step) + 1;
  scratch.order.Clear(job.inverseDirection);
  scratch.sorted.resize(n);
  scratch.keys.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::ptrdiff_t x = lo + static_cast<std::ptrdiff_t>(k) * step;
    scratch.order.Add(static_cast<float>(keys[x].green), static_cast<float>(keys[x].blue));
    scratch.sorted[k] = sorted[x];
    scratch.keys[k] = keys[x];
  }
  scratch.order.Order([&scratch](A_long i, A_long j) {
    return std::memcmp(&scratch.sorted[i], &scratch.sorted[j], sizeof(PixelT)) == 0 &&
           std::memcmp(&scratch.keys[i], &scratch.keys[j], sizeof(PixelT)) == 0;
  });
  for (std::size_t k = 0; k < n; ++k) {
    const std::ptrdiff_t x = lo + static_cast<std::ptrdiff_t>(k) * step;
    const A_long from = scratch.order.Place(k);
    sorted[x] = scratch.sorted[from];
    keys[x] = scratch.keys[from];
  }
}

template <typename PixelT>
PF_Err SortBand(void* refcon, A_long threadIndex, A_long band, A_long) {
  const auto& job = *static_cast<const SortJob*>(refcon);
  if (threadIndex == 0 && job.in != nullptr && job.in->inter.progress != nullptr) {
    job.in->inter.progress(job.in->effect_ref, band, job.progressTotal);  // result not needed
  }

  const A_u_long cw = job.spacing.along;
  const A_u_long ch = job.spacing.across;
  const A_u_long halfSpacing = cw / 2;
  if (job.frameWidth < 0 || halfSpacing > static_cast<A_u_long>(job.frameWidth)) {
    return PF_Err_NONE;
  }
  // From here cw ≤ 2·Wr + 1, so positions fit the signed 32-bit arithmetic of the scan.
  const A_long step = static_cast<A_long>(cw);
  const A_long half = static_cast<A_long>(halfSpacing);
  const std::int64_t firstRow = static_cast<std::int64_t>(band) * ch;
  const std::int64_t sampleRow = firstRow + ch / 2;
  const PF_LRect keyRect = PixelRect(*job.keys);

  if (sampleRow < keyRect.bottom) {
    RunScratch<PixelT> scratch;
    const A_long y = static_cast<A_long>(sampleRow);
    const std::int64_t minLength = static_cast<std::int64_t>(job.minBlocks) * step;
    const std::int64_t maxLength = static_cast<std::int64_t>(job.maxBlocks) * step;
    const bool mask = job.output == static_cast<A_long>(SorterOutput::Mask);
    bool inRun = false;
    A_long start = 0;
    // Samples at or past K's right edge are skipped, and they all come after the others.
    const A_long lastX = job.maxBlocks <= 0 ? -1 : std::min(job.frameWidth, keyRect.right - 1);
    const PixelT* const keyRow = PixelAt<PixelT>(job.keys, 0, y);
    for (A_long x = half; x <= lastX; x += step) {
      const PixelT& key = keyRow[x];
      const double v = key.red;
      const bool present = SorterDepth<PixelT>::AlphaPresent(key.alpha);

      if (!inRun) {
        const bool starts = present && (job.inverseActivation ? v <= job.lo : v >= job.hi);
        if (starts) {
          start = x;
          inRun = true;
          CopySample<PixelT>(job, x, y);
        } else if (mask) {
          MaskWrite(*PixelAt<PixelT>(job.sorted, x, y), false);
        }
        continue;
      }

      const std::int64_t d = static_cast<std::int64_t>(x) - start;
      const bool ends = d >= minLength && ((!job.inverseActivation && v <= job.lo) ||
                                           (job.inverseActivation && v >= job.hi) || !present ||
                                           x >= job.frameWidth - 1 || d >= maxLength);
      if (ends) {
        inRun = false;
        // The ending position is not copied: O keeps its cleared pixel there, and that empty
        // pixel is sorted with the keys K holds at the ending position.
        if (mask) {
          MaskWrite(*PixelAt<PixelT>(job.sorted, x, y), false);
        } else {
          SortRun<PixelT>(job, y, start, x, step, scratch);
        }
      } else {
        CopySample<PixelT>(job, x, y);
      }
    }
    // A run still open when the row ends stays in scan order.
  }

  ReplicateBlocks<PixelT>(job, firstRow, sampleRow, step, half);
  return PF_Err_NONE;
}

template <PixelTraitsLike Px>
PF_Err RenderPixelSorter(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  using PixelT = typename Px::Pixel;
  SuiteHandler suites(in->pica_basicP);
  const PF_Rect extent = dst->extent_hint;
  const A_long width = extent.right - extent.left;
  const A_long height = extent.bottom - extent.top;
  PF_Err err = PF_Err_NONE;

  PF_PixelFormat format = PF_PixelFormat_INVALID;
  if (err = suites.WorldSuite()->PF_GetPixelFormat(dst, &format); err != PF_Err_NONE) return err;

  // Turn the source into the sorting frame. The reads are spread over the stage, each group
  // just before what it decides; the stage ends at the first that fails.
  ReadRun read(in);
  const double angle = read.Angle(ParamId::PixelSorterSortDirection);
  if (err = read.Error(); err != PF_Err_NONE) return err;
  const SortingFrame frame = PlanSortingFrame(width, height, angle, suites.AnsiSuite());

  // Every temporary is disposed on leaving, whichever way the stage ends.
  ScopedWorld r1(suites, in->effect_ref);
  ScopedWorld r2(suites, in->effect_ref);
  ScopedWorld r3(suites, in->effect_ref);
  ScopedWorld sortedLayer(suites, in->effect_ref);
  ScopedWorld canvas(suites, in->effect_ref);
  ScopedWorld result(suites, in->effect_ref);

  if (err = r1.Create(frame.width, frame.height, format, true); err != PF_Err_NONE) return err;
  if (err = FillTransparent(in, r1.World()); err != PF_Err_NONE) return err;
  if (err = Composite(in, src, PF_Xfer_COPY, frame.forward, r1.World()); err != PF_Err_NONE) {
    return err;
  }

  ActivationJob activation;
  activation.activation = read.Popup(ParamId::PixelSorterActivationFunction);
  const A_long output = read.Popup(ParamId::PixelSorterOutput);
  activation.primary = read.Popup(ParamId::PixelSorterPrimarySortCriteria);
  activation.secondary = read.Popup(ParamId::PixelSorterSecondarySortCriteria);
  if (err = read.Error(); err != PF_Err_NONE) return err;
  if (err = r2.Create(frame.width, frame.height, format, true); err != PF_Err_NONE) return err;
  const A_long method = read.Popup(ParamId::PixelSorterMethod);
  if (err = read.Error(); err != PF_Err_NONE) return err;

  // The activation pass. The "Activation" output measures the source in place, unturned.
  const bool activationOutput = output == static_cast<A_long>(SorterOutput::Activation);
  PF_EffectWorld* measuredFrom = activationOutput ? src : r1.World();
  PF_EffectWorld* measured = activationOutput ? dst : r2.World();
  ActivationKernel<PixelT> kernel = MakeActivationKernel<PixelT>(activation);
  err = Px::Iterate(suites, in, 0, measured->height, measuredFrom, nullptr, &kernel,
                    ActivationPixel<PixelT>, measured);
  if (err != PF_Err_NONE) return err;

  PF_EffectWorld* keys = r2.World();
  if (method == kConvolutionMethod) {
    const float coefficient = read.Percent(ParamId::PixelSorterConvolutionCoefficient);
    if (err = read.Error(); err != PF_Err_NONE) return err;
    std::array<A_long, 9> kernel = ConvolutionKernel(coefficient);
    if (err = r3.Create(frame.width, frame.height, format, true); err != PF_Err_NONE) return err;
    PF_Rect area = in->extent_hint;
    err = suites.WorldTransformSuite()->convolve(
        in->effect_ref, measured, &area, PF_KernelFlag_NO_CLAMP, 3, kernel.data(), kernel.data(),
        kernel.data(), kernel.data(), r3.World());
    if (err != PF_Err_NONE) return err;
    keys = r3.World();
    if (activationOutput) {
      if (err = CopyRect(in, r3.World(), dst, extent); err != PF_Err_NONE) return err;
      return DisposeAll({&r1, &r2, &r3, &sortedLayer, &canvas, &result});
    }
  }
  if (activationOutput) return DisposeAll({&r1, &r2, &r3, &sortedLayer, &canvas, &result});

  // The band pass.
  SortSettings settings;
  ReadSortSettings(read, settings);
  if (err = read.Error(); err != PF_Err_NONE) return err;
  const SortThresholds thresholds =
      MakeSortThresholds<PixelT>(method, settings.minPercent, settings.maxPercent);
  if (err = sortedLayer.Create(frame.width, frame.height, format, true); err != PF_Err_NONE) {
    return err;
  }
  if (err = FillTransparent(in, sortedLayer.World()); err != PF_Err_NONE) return err;

  SortJob job;
  job.hi = thresholds.hi;
  job.lo = thresholds.lo;
  job.inverseActivation = settings.inverseActivation;
  job.in = in;
  job.progressTotal = height;
  job.keys = keys;
  job.rotated = r1.World();
  job.sorted = sortedLayer.World();
  job.output = output;
  job.inverseDirection = settings.inverseDirection;
  job.frameWidth = frame.width;
  job.minBlocks = settings.minBlocks;
  job.maxBlocks = settings.useMax ? settings.maxParam : frame.width;
  job.spacing = MakeSampleSpacing(in->downsample_x, in->downsample_y, settings.blockSize);
  const A_long bands = CountBands(frame.height, in->downsample_y, settings.blockSize);
  if (bands > 0) {
    err = suites.Iterate8Suite()->iterate_generic(bands, &job, SortBand<PixelT>);
    if (err != PF_Err_NONE) return err;
  }

  // Turn the sorted layer back over the canvas.
  if (err = canvas.Create(frame.width, frame.height, format, true); err != PF_Err_NONE) return err;
  PF_FloatMatrix identity;
  Identity(identity);
  if (output == static_cast<A_long>(SorterOutput::Full)) {
    err = Composite(in, src, PF_Xfer_COPY, identity, canvas.World());
  } else if (output == static_cast<A_long>(SorterOutput::SortedActivation)) {
    err = Composite(in, r2.World(), PF_Xfer_COPY, frame.reverse, canvas.World());
  }
  if (err == PF_Err_NONE) {
    err = Composite(in, sortedLayer.World(), PF_Xfer_ALPHA_ADD, frame.reverse, canvas.World());
  }
  if (err == PF_Err_NONE) err = result.Create(width, height, format, true);
  if (err != PF_Err_NONE) {
    // The canvas is what there is: the frame shows it rather than nothing.
    CopyRect(in, canvas.World(), dst, extent);
    return err;
  }
  if (err = CopyRect(in, canvas.World(), result.World(), extent); err != PF_Err_NONE) return err;
  if (output == static_cast<A_long>(SorterOutput::Full)) {
    if (err = CopyExtent(in, src, dst); err != PF_Err_NONE) return err;
  }
  if (err = Composite(in, result.World(), PF_Xfer_COPY, identity, dst); err != PF_Err_NONE) {
    return err;
  }
  return DisposeAll({&r1, &r2, &r3, &sortedLayer, &canvas, &result});
}

template float MeasurePixel<PF_Pixel8>(A_long, const PF_Pixel8&);
template float MeasurePixel<PF_Pixel16>(A_long, const PF_Pixel16&);
template float MeasurePixel<PF_PixelFloat>(A_long, const PF_PixelFloat&);
template ActivationKernel<PF_Pixel8> MakeActivationKernel(const ActivationJob&);
template ActivationKernel<PF_Pixel16> MakeActivationKernel(const ActivationJob&);
template ActivationKernel<PF_PixelFloat> MakeActivationKernel(const ActivationJob&);
template PF_Err ActivationPixel<PF_Pixel8>(void*, A_long, A_long, PF_Pixel8*, PF_Pixel8*);
template PF_Err ActivationPixel<PF_Pixel16>(void*, A_long, A_long, PF_Pixel16*, PF_Pixel16*);
template PF_Err ActivationPixel<PF_PixelFloat>(void*, A_long, A_long, PF_PixelFloat*,
                                               PF_PixelFloat*);
template SortThresholds MakeSortThresholds<PF_Pixel8>(A_long, float, float);
template SortThresholds MakeSortThresholds<PF_Pixel16>(A_long, float, float);
template SortThresholds MakeSortThresholds<PF_PixelFloat>(A_long, float, float);
template PF_Err SortBand<PF_Pixel8>(void*, A_long, A_long, A_long);
template PF_Err SortBand<PF_Pixel16>(void*, A_long, A_long, A_long);
template PF_Err SortBand<PF_PixelFloat>(void*, A_long, A_long, A_long);
template void SortRun<PF_Pixel8>(const SortJob&, A_long, A_long, A_long, A_long,
                                 RunScratch<PF_Pixel8>&);
template void SortRun<PF_Pixel16>(const SortJob&, A_long, A_long, A_long, A_long,
                                  RunScratch<PF_Pixel16>&);
template void SortRun<PF_PixelFloat>(const SortJob&, A_long, A_long, A_long, A_long,
                                     RunScratch<PF_PixelFloat>&);
JF_STAGE_ROUTINE_DEPTHS(template, RenderPixelSorter);

}  // namespace jf
