// The effect's parameter set: one constant row per parameter, addressed by position.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "A.h"
#include "params/string_table.h"

namespace jf {

/// A parameter's position in the host's parameter list. Display names repeat ("Blend Mode",
/// "Color", "Size" ...), so a parameter is only ever told apart by this index. The values are
/// the host's indices and never change: hosts and the render code address parameters by them.
enum class ParamId : A_long {
  InputLayer = 0,  // supplied by the host; it has no row of its own

  // Basic Blocks
  BasicBlocksGroupStart = 1,
  EnableBasicBlocks = 2,
  BasicBlocksNumberOfBlocks = 3,
  BasicBlocksMaxHorizontalOffset = 4,
  BasicBlocksMaxVerticalOffset = 5,
  BasicBlocksPositionSeed = 6,
  BasicBlocksBlockSizeGroupStart = 7,
  BasicBlocksMinWidth = 8,
  BasicBlocksWidthRange = 9,
  BasicBlocksWidthSeed = 10,
  BasicBlocksMinHeight = 11,
  BasicBlocksHeightRange = 12,
  BasicBlocksHeightSeed = 13,
  BasicBlocksBlockSizeGroupEnd = 14,
  BasicBlocksBlendMode = 15,
  BasicBlocksGroupEnd = 16,

  // Pixel Sorter
  PixelSorterGroupStart = 17,
  EnablePixelSorter = 18,
  PixelSorterSortDirection = 19,
  PixelSorterActivationFunction = 20,
  PixelSorterInverseActivation = 21,
  PixelSorterPrimarySortCriteria = 22,
  PixelSorterSecondarySortCriteria = 23,
  PixelSorterSortBlocksGroupStart = 24,
  PixelSorterBlockSize = 25,
  PixelSorterMinSortedBlocks = 26,
  PixelSorterUseMaxSortedBlocks = 27,
  PixelSorterMaxSortedBlocks = 28,
  PixelSorterSortBlocksGroupEnd = 29,
  PixelSorterMinThreshold = 30,
  PixelSorterMaxThreshold = 31,
  PixelSorterConvolutionCoefficient = 32,
  PixelSorterInverseDirection = 33,
  PixelSorterMethod = 34,
  PixelSorterOutput = 35,
  PixelSorterGroupEnd = 36,

  // Elements Scatter
  ElementsScatterGroupStart = 37,
  EnableElementsScatter = 38,

  CircleGroupStart = 39,
  CircleEnable = 40,
  CircleNumberOfShapes = 41,
  CirclePositionSeed = 42,
  CircleStrokeWidth = 43,
  CircleRadius = 44,
  CircleRandomRadiusGroupStart = 45,
  CircleEnableRandomRadius = 46,
  CircleRadiusRange = 47,
  CircleRadiusSeed = 48,
  CircleRandomRadiusGroupEnd = 49,
  CircleColorGroupStart = 50,
  CircleOpacity = 51,
  CircleColor = 52,
  CircleOverrideBlendMode = 53,
  CircleBlendMode = 54,
  CircleColorGroupEnd = 55,
  CircleGroupEnd = 56,

  SquareGroupStart = 57,
  SquareEnable = 58,
  SquareNumberOfShapes = 59,
  SquarePositionSeed = 60,
  SquareStrokeWidth = 61,
  SquareSize = 62,
  SquareRandomSizeGroupStart = 63,
  SquareEnableRandomSize = 64,
  SquareSizeRange = 65,
  SquareSizeSeed = 66,
  SquareRandomSizeGroupEnd = 67,
  SquareColorGroupStart = 68,
  SquareOpacity = 69,
  SquareColor = 70,
  SquareOverrideBlendMode = 71,
  SquareBlendMode = 72,
  SquareColorGroupEnd = 73,
  SquareGroupEnd = 74,

  PlusGroupStart = 75,
  PlusEnable = 76,
  PlusNumberOfShapes = 77,
  PlusPositionSeed = 78,
  PlusStrokeWidth = 79,
  PlusSize = 80,
  PlusRandomSizeGroupStart = 81,
  PlusEnableRandomSize = 82,
  PlusSizeRange = 83,
  PlusSizeSeed = 84,
  PlusRandomSizeGroupEnd = 85,
  PlusColorGroupStart = 86,
  PlusOpacity = 87,
  PlusColor = 88,
  PlusOverrideBlendMode = 89,
  PlusBlendMode = 90,
  PlusColorGroupEnd = 91,
  PlusGroupEnd = 92,

  XGroupStart = 93,
  XEnable = 94,
  XNumberOfShapes = 95,
  XPositionSeed = 96,
  XStrokeWidth = 97,
  XSize = 98,
  XRandomSizeGroupStart = 99,
  XEnableRandomSize = 100,
  XSizeRange = 101,
  XSizeSeed = 102,
  XRandomSizeGroupEnd = 103,
  XColorGroupStart = 104,
  XOpacity = 105,
  XColor = 106,
  XOverrideBlendMode = 107,
  XBlendMode = 108,
  XColorGroupEnd = 109,
  XGroupEnd = 110,

  XSquareGroupStart = 111,
  XSquareEnable = 112,
  XSquareNumberOfShapes = 113,
  XSquarePositionSeed = 114,
  XSquareStrokeWidth = 115,
  XSquareSize = 116,
  XSquareRandomSizeGroupStart = 117,
  XSquareEnableRandomSize = 118,
  XSquareSizeRange = 119,
  XSquareSizeSeed = 120,
  XSquareRandomSizeGroupEnd = 121,
  XSquareColorGroupStart = 122,
  XSquareOpacity = 123,
  XSquareColor = 124,
  XSquareOverrideBlendMode = 125,
  XSquareBlendMode = 126,
  XSquareColorGroupEnd = 127,
  XSquareGroupEnd = 128,

  DottedLineGroupStart = 129,
  DottedLineEnable = 130,
  DottedLineNumberOfShapes = 131,
  DottedLinePositionSeed = 132,
  DottedLineDotSize = 133,
  DottedLineSpaceSize = 134,
  DottedLineMinNumberOfDots = 135,
  DottedLineNumberOfDotsRange = 136,
  DottedLineNumberOfDotsSeed = 137,
  DottedLineRandomSizeGroupStart = 138,
  DottedLineEnableRandomSize = 139,
  DottedLineDotSizeRange = 140,
  DottedLineSpaceSizeRange = 141,
  DottedLineDotSizeSeed = 142,
  DottedLineSpaceSizeSeed = 143,
  DottedLineRandomSizeGroupEnd = 144,
  DottedLineColorGroupStart = 145,
  DottedLineOpacity = 146,
  DottedLineColor = 147,
  DottedLineOverrideBlendMode = 148,
  DottedLineBlendMode = 149,
  DottedLineColorGroupEnd = 150,
  DottedLineGroupEnd = 151,

  ElementsScatterBlendMode = 152,
  ElementsScatterGroupEnd = 153,

  // Blur Blocks
  BlurBlocksGroupStart = 154,
  EnableBlurBlocks = 155,
  BlurBlocksRadius = 156,
  BlurBlocksNumberOfBlocks = 157,
  BlurBlocksPositionSeed = 158,
  BlurBlocksBlockSizeGroupStart = 159,
  BlurBlocksMinWidth = 160,
  BlurBlocksWidthRange = 161,
  BlurBlocksWidthSeed = 162,
  BlurBlocksMinHeight = 163,
  BlurBlocksHeightRange = 164,
  BlurBlocksHeightSeed = 165,
  BlurBlocksBlockSizeGroupEnd = 166,
  BlurBlocksGroupEnd = 167,

  // Noise
  NoiseGroupStart = 168,
  EnableNoise = 169,
  NoiseFrequency = 170,
  NoiseAmplitude = 171,
  NoiseOctaves = 172,
  NoisePreserveFrequency = 173,
  NoisePreserveAmplitude = 174,
  NoiseTint = 175,
  NoiseTintContribution = 176,
  NoiseGroupEnd = 177,

  // Warp
  WarpGroupStart = 178,
  EnableWarp = 179,
  WarpFrequency = 180,
  WarpAmplitude = 181,
  WarpOffset = 182,
  WarpGroupEnd = 183,

  // Split RGB
  SplitRgbGroupStart = 184,
  EnableSplitRgb = 185,

  SplitRedGroupStart = 186,
  SplitRedHorizontalOffset = 187,
  SplitRedVerticalOffset = 188,
  SplitRedInvert = 189,
  SplitRedHide = 190,
  SplitRedFlipHorizontal = 191,
  SplitRedFlipVertical = 192,
  SplitRedGroupEnd = 193,

  SplitGreenGroupStart = 194,
  SplitGreenHorizontalOffset = 195,
  SplitGreenVerticalOffset = 196,
  SplitGreenInvert = 197,
  SplitGreenHide = 198,
  SplitGreenFlipHorizontal = 199,
  SplitGreenFlipVertical = 200,
  SplitGreenGroupEnd = 201,

  SplitBlueGroupStart = 202,
  SplitBlueHorizontalOffset = 203,
  SplitBlueVerticalOffset = 204,
  SplitBlueInvert = 205,
  SplitBlueHide = 206,
  SplitBlueFlipHorizontal = 207,
  SplitBlueFlipVertical = 208,
  SplitBlueGroupEnd = 209,

  SplitRgbGroupEnd = 210,
};

/// Parameters the host knows, the input layer at index 0 included.
inline constexpr A_long kParamCount = 211;

/// The host index of id.
constexpr A_long ToIndex(ParamId id) {
  return static_cast<A_long>(id);
}

/// What a row declares. The codes are the table's own, not the host's parameter types.
enum class ParamKind : A_long {
  None = 0,  // the input layer's placeholder row
  GroupStart = 1,
  GroupEnd = 2,
  Checkbox = 3,
  FloatSlider = 5,
  Percent = 6,
  Angle = 7,
  Color = 8,
  Popup = 9,
};

/// One 32-bit value slot: a float or an integer, whichever the row's kind says.
struct ParamSlot {
  std::uint32_t bits = 0;

  static constexpr ParamSlot Float(float v) { return {std::bit_cast<std::uint32_t>(v)}; }
  static constexpr ParamSlot Int(A_long v) { return {std::bit_cast<std::uint32_t>(v)}; }
  constexpr float AsFloat() const { return std::bit_cast<float>(bits); }
  constexpr A_long AsInt() const { return std::bit_cast<A_long>(bits); }
};

/// One parameter as declared to the host.
struct ParamDescriptor {
  // What values[] holds, by kind:
  //   checkbox: the default, 0 or 1 (int); popup: the default 1-based choice (int);
  //   percent: the default in percent; angle: the default in degrees (floats);
  //   color: the default red, green and blue on 0 to 255 (floats), always opaque;
  //   float slider: the slider's range, the range a typed value may take, the default (floats).
  static constexpr int kDefault = 0;
  static constexpr int kRed = 0;
  static constexpr int kGreen = 1;
  static constexpr int kBlue = 2;
  static constexpr int kSliderMin = 0;
  static constexpr int kSliderMax = 1;
  static constexpr int kValidMin = 2;
  static constexpr int kValidMax = 3;
  static constexpr int kSliderDefault = 4;

  A_long precision = 0;  // decimal places shown; float sliders only
  ParamKind kind = ParamKind::None;
  StrId name = 0;              // 0, the empty text, for a group end
  A_long diskId = 0;           // the identity saved projects store the value under
  StrId choices = 0;           // popups only: "|"-separated choice names
  A_long choiceCount = 0;      // popups only: declared number of choices
  std::uint8_t supervise = 0;  // 1: changes decide what is shown or hidden
  std::array<ParamSlot, 5> values{};
};

/// The row of id. The input layer, and any index outside 0 to 210, gives an empty row of kind
/// None.
const ParamDescriptor& LookUpParam(ParamId id);

}  // namespace jf
