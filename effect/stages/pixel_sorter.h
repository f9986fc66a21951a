// Pixel Sorter: runs of pixels sorted along a direction.
#pragma once

#include <array>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "render/pixel_traits.h"
#include "render/stage.h"
#include "stages/pixel_sort.h"

namespace jf {

/// The items of "Activation Function" and both "Sort Criteria" popups, numbered from 1. The
/// popups declare one choice more than they name, so 9 can arrive; it measures 0.
enum class PixelMeasure : A_long {
  Luma = 1,
  Sum,
  Minimum,
  Maximum,
  RedChannel,
  GreenChannel,
  BlueChannel,
  AlphaChannel,
};

/// The items of the "Output" popup. It declares a sixth choice that names nothing; that value
/// copies nothing into the sorted layer.
enum class SorterOutput : A_long {
  Full = 1,
  SortedPixelsOnly,
  Activation,
  SortedActivation,
  Mask,
};

/// "Method" item 2. Every other value, the undeclared third choice included, sorts by intervals.
inline constexpr A_long kConvolutionMethod = 2;

/// The frame the image is turned into so that the sort direction runs along its rows.
struct SortingFrame {
  A_long width = 0;        ///< Wr
  A_long height = 0;       ///< Hr
  PF_FloatMatrix forward;  ///< source (W × H) into the frame, about the centres
  PF_FloatMatrix reverse;  ///< frame back into the source's W × H
};

/// Sizes the sorting frame for a W × H image turned by angle radians and builds both matrices.
/// Sine and cosine come from the host's ANSI suite so the frame matches the host's rotation.
SortingFrame PlanSortingFrame(A_long width, A_long height, double angle,
                              const PF_ANSICallbacksSuite1* ansi);

/// One pixel measured by a `PixelMeasure` item: 0 … 1 for channels within the depth's range.
template <typename PixelT>
float MeasurePixel(A_long item, const PixelT& pixel);

/// The measures the activation pass writes, one popup item each.
struct ActivationJob {
  A_long activation = 0;
  A_long primary = 0;
  A_long secondary = 0;
};

/// An `ActivationJob` with its three measures chosen, once for the whole pass.
template <typename PixelT>
struct ActivationKernel {
  using Measure = float (*)(const PixelT&);
  Measure activation = nullptr;
  Measure primary = nullptr;
  Measure secondary = nullptr;
  bool primaryIsActivation = false;  // the same item measures the same value: taken once
  bool secondaryIsPrimary = false;
};

template <typename PixelT>
ActivationKernel<PixelT> MakeActivationKernel(const ActivationJob& job);

/// Per-pixel activation: red, green and blue get the encoded activation, primary and secondary
/// measures of in; alpha is in's alpha. refcon is an `ActivationKernel`.
template <typename PixelT>
PF_Err ActivationPixel(void* refcon, A_long x, A_long y, PixelT* in, PixelT* out);

/// The 3 × 3 integer kernel of the convolution method for a "Convolution Coefficient" in whole
/// percent, row by row: the centre weight in the middle, the edge weight in the eight others.
std::array<A_long, 9> ConvolutionKernel(float coefficientPercent);

/// The start (hi) and end (lo) thresholds of a run on the activation's red channel.
struct SortThresholds {
  double hi = 0.0;
  double lo = 0.0;
};

/// Thresholds from the percent sliders in the depth's channel units; the convolution method
/// uses fixed ones.
template <typename PixelT>
SortThresholds MakeSortThresholds(A_long method, float minPercent, float maxPercent);

/// Sample spacing along (cw) and across (ch) the sort direction for a block size at the
/// render's downsampling.
struct SampleSpacing {
  A_u_long along = 1;
  A_u_long across = 1;
};

SampleSpacing MakeSampleSpacing(const PF_RationalScale& downsampleX,
                                const PF_RationalScale& downsampleY, A_long blockSize);

/// How many bands of sample rows cover a frame of the given height.
A_long CountBands(A_long frameHeight, const PF_RationalScale& downsampleY, A_long blockSize);

/// What every band of the band pass reads. Fixed before the pass starts; bands only read it.
struct SortJob {
  double hi = 0.0;
  double lo = 0.0;
  bool inverseActivation = false;
  PF_InData* in = nullptr;            ///< for progress; may be null
  A_long progressTotal = 0;           ///< H
  PF_EffectWorld* keys = nullptr;     ///< K: the (convolved) activation image, sorted with O
  PF_EffectWorld* rotated = nullptr;  ///< R1: the source in the sorting frame
  PF_EffectWorld* sorted = nullptr;   ///< O: the sorted layer
  A_long output = 0;
  bool inverseDirection = false;
  A_long frameWidth = 0;  ///< Wr
  A_long minBlocks = 0;
  A_long maxBlocks = 0;
  SampleSpacing spacing;
};

/// One band of the band pass (the host's iterate_generic worker): finds the runs on the band's
/// sample row, sorts them and spreads every sample over its block. refcon is a `SortJob`. Writes
/// only the band's rows of O and its sample row of K.
template <typename PixelT>
PF_Err SortBand(void* refcon, A_long threadIndex, A_long band, A_long bands);

/// What one band reuses from run to run.
template <typename PixelT>
struct RunScratch {
  RunOrder order;
  std::vector<PixelT> sorted;
  std::vector<PixelT> keys;
};

/// Sorts the samples lo, lo + step, …, hi of row y of O by the keys K holds there, moving the
/// keys with their pixels.
template <typename PixelT>
void SortRun(const SortJob& job, A_long y, A_long lo, A_long hi, A_long step,
             RunScratch<PixelT>& scratch);

/// Rotates src so the sort direction is horizontal, sorts runs of pixels whose activation
/// crosses the threshold band, and turns the result back over the image in dst.
template <PixelTraitsLike Px>
PF_Err RenderPixelSorter(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

extern template float MeasurePixel<PF_Pixel8>(A_long, const PF_Pixel8&);
extern template float MeasurePixel<PF_Pixel16>(A_long, const PF_Pixel16&);
extern template float MeasurePixel<PF_PixelFloat>(A_long, const PF_PixelFloat&);
extern template ActivationKernel<PF_Pixel8> MakeActivationKernel(const ActivationJob&);
extern template ActivationKernel<PF_Pixel16> MakeActivationKernel(const ActivationJob&);
extern template ActivationKernel<PF_PixelFloat> MakeActivationKernel(const ActivationJob&);
extern template PF_Err ActivationPixel<PF_Pixel8>(void*, A_long, A_long, PF_Pixel8*, PF_Pixel8*);
extern template PF_Err ActivationPixel<PF_Pixel16>(void*, A_long, A_long, PF_Pixel16*, PF_Pixel16*);
extern template PF_Err ActivationPixel<PF_PixelFloat>(void*, A_long, A_long, PF_PixelFloat*,
                                                      PF_PixelFloat*);
extern template SortThresholds MakeSortThresholds<PF_Pixel8>(A_long, float, float);
extern template SortThresholds MakeSortThresholds<PF_Pixel16>(A_long, float, float);
extern template SortThresholds MakeSortThresholds<PF_PixelFloat>(A_long, float, float);
extern template PF_Err SortBand<PF_Pixel8>(void*, A_long, A_long, A_long);
extern template PF_Err SortBand<PF_Pixel16>(void*, A_long, A_long, A_long);
extern template PF_Err SortBand<PF_PixelFloat>(void*, A_long, A_long, A_long);
extern template void SortRun<PF_Pixel8>(const SortJob&, A_long, A_long, A_long, A_long,
                                        RunScratch<PF_Pixel8>&);
extern template void SortRun<PF_Pixel16>(const SortJob&, A_long, A_long, A_long, A_long,
                                         RunScratch<PF_Pixel16>&);
extern template void SortRun<PF_PixelFloat>(const SortJob&, A_long, A_long, A_long, A_long,
                                            RunScratch<PF_PixelFloat>&);
JF_STAGE_ROUTINE_DEPTHS(extern template, RenderPixelSorter);

}  // namespace jf
