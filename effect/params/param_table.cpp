// See param_table.h. The rows below are the public parameter set: their order, disk ids, ranges
// and defaults are what saved projects and hosts know the effect by.
#include "params/param_table.h"

#include <cstddef>
#include <string_view>

namespace jf {
namespace {

constexpr bool kOn = true;
constexpr bool kOff = false;
constexpr bool kSupervised = true;

constexpr ParamDescriptor GroupStart(A_long diskId, StrId name) {
  ParamDescriptor d;
  d.kind = ParamKind::GroupStart;
  d.name = name;
  d.diskId = diskId;
  return d;
}

constexpr ParamDescriptor GroupEnd(A_long diskId) {
  ParamDescriptor d;
  d.kind = ParamKind::GroupEnd;
  d.diskId = diskId;
  return d;
}

constexpr ParamDescriptor Checkbox(A_long diskId, StrId name, bool on, bool supervise = false) {
  ParamDescriptor d;
  d.kind = ParamKind::Checkbox;
  d.name = name;
  d.diskId = diskId;
  d.supervise = supervise ? 1 : 0;
  d.values[ParamDescriptor::kDefault] = ParamSlot::Int(on ? 1 : 0);
  return d;
}

constexpr ParamDescriptor FloatSlider(A_long diskId, StrId name, float dflt, float sliderMin,
                                      float sliderMax, float validMin, float validMax,
                                      A_long precision = 0) {
  ParamDescriptor d;
  d.kind = ParamKind::FloatSlider;
  d.name = name;
  d.diskId = diskId;
  d.precision = precision;
  d.values[ParamDescriptor::kSliderMin] = ParamSlot::Float(sliderMin);
  d.values[ParamDescriptor::kSliderMax] = ParamSlot::Float(sliderMax);
  d.values[ParamDescriptor::kValidMin] = ParamSlot::Float(validMin);
  d.values[ParamDescriptor::kValidMax] = ParamSlot::Float(validMax);
  d.values[ParamDescriptor::kSliderDefault] = ParamSlot::Float(dflt);
  return d;
}

constexpr ParamDescriptor Percent(A_long diskId, StrId name, float dflt) {
  ParamDescriptor d;
  d.kind = ParamKind::Percent;
  d.name = name;
  d.diskId = diskId;
  d.values[ParamDescriptor::kDefault] = ParamSlot::Float(dflt);
  return d;
}

constexpr ParamDescriptor Angle(A_long diskId, StrId name, float degrees) {
  ParamDescriptor d;
  d.kind = ParamKind::Angle;
  d.name = name;
  d.diskId = diskId;
  d.values[ParamDescriptor::kDefault] = ParamSlot::Float(degrees);
  return d;
}

constexpr ParamDescriptor Color(A_long diskId, StrId name, float red, float green, float blue) {
  ParamDescriptor d;
  d.kind = ParamKind::Color;
  d.name = name;
  d.diskId = diskId;
  d.values[ParamDescriptor::kRed] = ParamSlot::Float(red);
  d.values[ParamDescriptor::kGreen] = ParamSlot::Float(green);
  d.values[ParamDescriptor::kBlue] = ParamSlot::Float(blue);
  return d;
}

constexpr ParamDescriptor Popup(A_long diskId, StrId name, StrId choices, A_long choiceCount,
                                A_long dflt, bool supervise = false) {
  ParamDescriptor d;
  d.kind = ParamKind::Popup;
  d.name = name;
  d.diskId = diskId;
  d.choices = choices;
  d.choiceCount = choiceCount;
  d.supervise = supervise ? 1 : 0;
  d.values[ParamDescriptor::kDefault] = ParamSlot::Int(dflt);
  return d;
}

// A popup declares one choice more than its list names (40 for the 39 blend modes); hosts and
// saved projects have always seen these counts, so they stand.
constexpr A_long kBlendModeCount = 40;
constexpr A_long kCriteriaCount = 9;
constexpr A_long kMethodCount = 3;
constexpr A_long kOutputCount = 6;
constexpr A_long kInFront = 3;

struct Row {
  ParamId id;
  ParamDescriptor desc;
};

// clang-format off
constexpr Row kRows[] = {
    {ParamId::InputLayer, {}},

    // Basic Blocks                                  default  slider range    valid range
    {ParamId::BasicBlocksGroupStart, GroupStart(1, 3)},
    {ParamId::EnableBasicBlocks, Checkbox(2, 4, kOn, kSupervised)},
    {ParamId::BasicBlocksNumberOfBlocks, FloatSlider(3, 5, 50, 1, 100, 1, 100000)},
    {ParamId::BasicBlocksMaxHorizontalOffset, FloatSlider(4, 6, 300, -1000, 1000, -100000, 100000)},
    {ParamId::BasicBlocksMaxVerticalOffset, FloatSlider(5, 7, 0, -1000, 1000, -100000, 100000)},
    {ParamId::BasicBlocksPositionSeed, FloatSlider(6, 8, 1, 1, 1000, 1, 100000)},
    {ParamId::BasicBlocksBlockSizeGroupStart, GroupStart(7, 9)},
    {ParamId::BasicBlocksMinWidth, FloatSlider(8, 10, 50, 1, 100, 1, 100000)},
    {ParamId::BasicBlocksWidthRange, FloatSlider(9, 11, 300, 0, 1000, 0, 100000)},
    {ParamId::BasicBlocksWidthSeed, FloatSlider(10, 12, 1, 1, 1000, 1, 100000)},
    {ParamId::BasicBlocksMinHeight, FloatSlider(11, 13, 25, 1, 1000, 1, 100000)},
    {ParamId::BasicBlocksHeightRange, FloatSlider(12, 14, 25, 0, 1000, 0, 100000)},
    {ParamId::BasicBlocksHeightSeed, FloatSlider(13, 15, 1, 1, 1000, 1, 100000)},
    {ParamId::BasicBlocksBlockSizeGroupEnd, GroupEnd(14)},
    {ParamId::BasicBlocksBlendMode, Popup(15, 16, 17, kBlendModeCount, kInFront)},
    {ParamId::BasicBlocksGroupEnd, GroupEnd(16)},

    // Pixel Sorter
    {ParamId::PixelSorterGroupStart, GroupStart(17, 18)},
    {ParamId::EnablePixelSorter, Checkbox(18, 19, kOff, kSupervised)},
    {ParamId::PixelSorterSortDirection, Angle(19, 20, 0)},
    {ParamId::PixelSorterActivationFunction, Popup(20, 21, 22, kCriteriaCount, 1)},
    {ParamId::PixelSorterInverseActivation, Checkbox(21, 23, kOff)},
    {ParamId::PixelSorterPrimarySortCriteria, Popup(22, 24, 25, kCriteriaCount, 1)},
    {ParamId::PixelSorterSecondarySortCriteria, Popup(23, 26, 25, kCriteriaCount, 4)},
    {ParamId::PixelSorterSortBlocksGroupStart, GroupStart(24, 27)},
    {ParamId::PixelSorterBlockSize, FloatSlider(25, 28, 1, 1, 100, 1, 1000)},
    {ParamId::PixelSorterMinSortedBlocks, FloatSlider(26, 29, 0, 0, 100, 0, 1000)},
    {ParamId::PixelSorterUseMaxSortedBlocks, Checkbox(27, 30, kOff, kSupervised)},
    {ParamId::PixelSorterMaxSortedBlocks, FloatSlider(28, 31, 0, 0, 100, 0, 1000)},
    {ParamId::PixelSorterSortBlocksGroupEnd, GroupEnd(29)},
    {ParamId::PixelSorterMinThreshold, Percent(30, 32, 25)},
    {ParamId::PixelSorterMaxThreshold, Percent(31, 33, 75)},
    {ParamId::PixelSorterConvolutionCoefficient, Percent(32, 34, 25)},
    {ParamId::PixelSorterInverseDirection, Checkbox(33, 35, kOn)},
    {ParamId::PixelSorterMethod, Popup(34, 36, 37, kMethodCount, 1, kSupervised)},
    {ParamId::PixelSorterOutput, Popup(35, 38, 39, kOutputCount, 1)},
    {ParamId::PixelSorterGroupEnd, GroupEnd(36)},

    // Elements Scatter
    {ParamId::ElementsScatterGroupStart, GroupStart(37, 40)},
    {ParamId::EnableElementsScatter, Checkbox(38, 41, kOff, kSupervised)},

    {ParamId::CircleGroupStart, GroupStart(39, 42)},
    {ParamId::CircleEnable, Checkbox(40, 43, kOff, kSupervised)},
    {ParamId::CircleNumberOfShapes, FloatSlider(41, 44, 10, 1, 1000, 1, 100000)},
    {ParamId::CirclePositionSeed, FloatSlider(42, 45, 1, 1, 1000, 1, 100000)},
    {ParamId::CircleStrokeWidth, FloatSlider(43, 46, 2, 0, 100, 0, 100000)},
    {ParamId::CircleRadius, FloatSlider(44, 47, 5, 0, 1000, 0, 100000)},
    {ParamId::CircleRandomRadiusGroupStart, GroupStart(45, 48)},
    {ParamId::CircleEnableRandomRadius, Checkbox(46, 49, kOff, kSupervised)},
    {ParamId::CircleRadiusRange, FloatSlider(47, 50, 0, 0, 1000, 0, 100000)},
    {ParamId::CircleRadiusSeed, FloatSlider(48, 51, 1, 1, 1000, 1, 100000)},
    {ParamId::CircleRandomRadiusGroupEnd, GroupEnd(49)},
    {ParamId::CircleColorGroupStart, GroupStart(50, 52)},
    {ParamId::CircleOpacity, Percent(51, 53, 50)},
    {ParamId::CircleColor, Color(52, 54, 255, 255, 255)},
    {ParamId::CircleOverrideBlendMode, Checkbox(53, 55, kOff, kSupervised)},
    {ParamId::CircleBlendMode, Popup(54, 56, 57, kBlendModeCount, kInFront)},
    {ParamId::CircleColorGroupEnd, GroupEnd(55)},
    {ParamId::CircleGroupEnd, GroupEnd(56)},

    {ParamId::SquareGroupStart, GroupStart(57, 58)},
    {ParamId::SquareEnable, Checkbox(58, 59, kOn, kSupervised)},
    {ParamId::SquareNumberOfShapes, FloatSlider(59, 60, 10, 1, 1000, 1, 100000)},
    {ParamId::SquarePositionSeed, FloatSlider(60, 61, 1, 1, 1000, 1, 100000)},
    {ParamId::SquareStrokeWidth, FloatSlider(61, 62, 2, 0, 100, 0, 100000)},
    {ParamId::SquareSize, FloatSlider(62, 63, 50, 0, 1000, 0, 100000)},
    {ParamId::SquareRandomSizeGroupStart, GroupStart(63, 64)},
    {ParamId::SquareEnableRandomSize, Checkbox(64, 65, kOff, kSupervised)},
    {ParamId::SquareSizeRange, FloatSlider(65, 66, 0, 0, 1000, 0, 100000)},
    {ParamId::SquareSizeSeed, FloatSlider(66, 67, 1, 1, 1000, 1, 100000)},
    {ParamId::SquareRandomSizeGroupEnd, GroupEnd(67)},
    {ParamId::SquareColorGroupStart, GroupStart(68, 68)},
    {ParamId::SquareOpacity, Percent(69, 69, 50)},
    {ParamId::SquareColor, Color(70, 70, 255, 255, 255)},
    {ParamId::SquareOverrideBlendMode, Checkbox(71, 71, kOff, kSupervised)},
    {ParamId::SquareBlendMode, Popup(72, 72, 73, kBlendModeCount, kInFront)},
    {ParamId::SquareColorGroupEnd, GroupEnd(73)},
    {ParamId::SquareGroupEnd, GroupEnd(74)},

    {ParamId::PlusGroupStart, GroupStart(75, 74)},
    {ParamId::PlusEnable, Checkbox(76, 75, kOff, kSupervised)},
    {ParamId::PlusNumberOfShapes, FloatSlider(77, 76, 10, 1, 1000, 1, 100000)},
    {ParamId::PlusPositionSeed, FloatSlider(78, 77, 1, 1, 1000, 1, 100000)},
    {ParamId::PlusStrokeWidth, FloatSlider(79, 78, 2, 0, 100, 0, 100000)},
    {ParamId::PlusSize, FloatSlider(80, 79, 50, 0, 1000, 0, 100000)},
    {ParamId::PlusRandomSizeGroupStart, GroupStart(81, 80)},
    {ParamId::PlusEnableRandomSize, Checkbox(82, 81, kOff, kSupervised)},
    {ParamId::PlusSizeRange, FloatSlider(83, 82, 0, 0, 1000, 0, 100000)},
    {ParamId::PlusSizeSeed, FloatSlider(84, 83, 1, 1, 1000, 1, 100000)},
    {ParamId::PlusRandomSizeGroupEnd, GroupEnd(85)},
    {ParamId::PlusColorGroupStart, GroupStart(86, 84)},
    {ParamId::PlusOpacity, Percent(87, 85, 50)},
    {ParamId::PlusColor, Color(88, 86, 255, 255, 255)},
    {ParamId::PlusOverrideBlendMode, Checkbox(89, 87, kOff, kSupervised)},
    {ParamId::PlusBlendMode, Popup(90, 88, 89, kBlendModeCount, kInFront)},
    {ParamId::PlusColorGroupEnd, GroupEnd(91)},
    {ParamId::PlusGroupEnd, GroupEnd(92)},

    {ParamId::XGroupStart, GroupStart(93, 90)},
    {ParamId::XEnable, Checkbox(94, 91, kOff, kSupervised)},
    {ParamId::XNumberOfShapes, FloatSlider(95, 92, 10, 1, 1000, 1, 100000)},
    {ParamId::XPositionSeed, FloatSlider(96, 93, 1, 1, 1000, 1, 100000)},
    {ParamId::XStrokeWidth, FloatSlider(97, 94, 2, 0, 100, 0, 100000)},
    {ParamId::XSize, FloatSlider(98, 95, 50, 0, 1000, 0, 100000)},
    {ParamId::XRandomSizeGroupStart, GroupStart(99, 96)},
    {ParamId::XEnableRandomSize, Checkbox(100, 97, kOff, kSupervised)},
    {ParamId::XSizeRange, FloatSlider(101, 98, 0, 0, 1000, 0, 100000)},
    {ParamId::XSizeSeed, FloatSlider(102, 99, 1, 1, 1000, 1, 100000)},
    {ParamId::XRandomSizeGroupEnd, GroupEnd(103)},
    {ParamId::XColorGroupStart, GroupStart(104, 100)},
    {ParamId::XOpacity, Percent(105, 101, 50)},
    {ParamId::XColor, Color(106, 102, 255, 255, 255)},
    {ParamId::XOverrideBlendMode, Checkbox(107, 103, kOff, kSupervised)},
    {ParamId::XBlendMode, Popup(108, 104, 105, kBlendModeCount, kInFront)},
    {ParamId::XColorGroupEnd, GroupEnd(109)},
    {ParamId::XGroupEnd, GroupEnd(110)},

    {ParamId::XSquareGroupStart, GroupStart(111, 106)},
    {ParamId::XSquareEnable, Checkbox(112, 107, kOff, kSupervised)},
    {ParamId::XSquareNumberOfShapes, FloatSlider(113, 108, 10, 1, 1000, 1, 100000)},
    {ParamId::XSquarePositionSeed, FloatSlider(114, 109, 1, 1, 1000, 1, 100000)},
    {ParamId::XSquareStrokeWidth, FloatSlider(115, 110, 2, 0, 100, 0, 100000)},
    {ParamId::XSquareSize, FloatSlider(116, 111, 50, 0, 1000, 0, 100000)},
    {ParamId::XSquareRandomSizeGroupStart, GroupStart(117, 112)},
    {ParamId::XSquareEnableRandomSize, Checkbox(118, 113, kOff, kSupervised)},
    {ParamId::XSquareSizeRange, FloatSlider(119, 114, 0, 0, 1000, 0, 100000)},
    {ParamId::XSquareSizeSeed, FloatSlider(120, 115, 1, 1, 1000, 1, 100000)},
    {ParamId::XSquareRandomSizeGroupEnd, GroupEnd(121)},
    {ParamId::XSquareColorGroupStart, GroupStart(122, 116)},
    {ParamId::XSquareOpacity, Percent(123, 117, 50)},
    {ParamId::XSquareColor, Color(124, 118, 255, 255, 255)},
    {ParamId::XSquareOverrideBlendMode, Checkbox(125, 119, kOff, kSupervised)},
    {ParamId::XSquareBlendMode, Popup(126, 120, 121, kBlendModeCount, kInFront)},
    {ParamId::XSquareColorGroupEnd, GroupEnd(127)},
    {ParamId::XSquareGroupEnd, GroupEnd(128)},

    {ParamId::DottedLineGroupStart, GroupStart(129, 122)},
    {ParamId::DottedLineEnable, Checkbox(130, 123, kOff, kSupervised)},
    {ParamId::DottedLineNumberOfShapes, FloatSlider(131, 124, 10, 1, 1000, 1, 100000)},
    {ParamId::DottedLinePositionSeed, FloatSlider(132, 125, 1, 1, 1000, 1, 100000)},
    {ParamId::DottedLineDotSize, FloatSlider(133, 126, 10, 0, 1000, 0, 100000)},
    {ParamId::DottedLineSpaceSize, FloatSlider(134, 127, 10, 0, 1000, 0, 100000)},
    {ParamId::DottedLineMinNumberOfDots, FloatSlider(135, 128, 30, 0, 1000, 0, 100000)},
    {ParamId::DottedLineNumberOfDotsRange, FloatSlider(136, 129, 10, 0, 1000, 0, 100000)},
    {ParamId::DottedLineNumberOfDotsSeed, FloatSlider(137, 130, 1, 1, 1000, 1, 100000)},
    {ParamId::DottedLineRandomSizeGroupStart, GroupStart(138, 131)},
    {ParamId::DottedLineEnableRandomSize, Checkbox(139, 132, kOff, kSupervised)},
    {ParamId::DottedLineDotSizeRange, FloatSlider(140, 133, 0, 0, 1000, 0, 100000)},
    {ParamId::DottedLineSpaceSizeRange, FloatSlider(141, 134, 0, 0, 1000, 0, 100000)},
    {ParamId::DottedLineDotSizeSeed, FloatSlider(142, 135, 1, 1, 1000, 1, 100000)},
    {ParamId::DottedLineSpaceSizeSeed, FloatSlider(143, 136, 1, 1, 1000, 1, 100000)},
    {ParamId::DottedLineRandomSizeGroupEnd, GroupEnd(144)},
    {ParamId::DottedLineColorGroupStart, GroupStart(145, 137)},
    {ParamId::DottedLineOpacity, Percent(146, 138, 50)},
    {ParamId::DottedLineColor, Color(147, 139, 255, 255, 255)},
    {ParamId::DottedLineOverrideBlendMode, Checkbox(148, 140, kOff, kSupervised)},
    {ParamId::DottedLineBlendMode, Popup(149, 141, 142, kBlendModeCount, kInFront)},
    {ParamId::DottedLineColorGroupEnd, GroupEnd(150)},
    {ParamId::DottedLineGroupEnd, GroupEnd(151)},

    {ParamId::ElementsScatterBlendMode, Popup(152, 143, 144, kBlendModeCount, kInFront)},
    {ParamId::ElementsScatterGroupEnd, GroupEnd(153)},

    // Blur Blocks
    {ParamId::BlurBlocksGroupStart, GroupStart(154, 145)},
    {ParamId::EnableBlurBlocks, Checkbox(155, 146, kOff, kSupervised)},
    {ParamId::BlurBlocksRadius, FloatSlider(156, 147, 10, 0, 100, 0, 1000)},
    {ParamId::BlurBlocksNumberOfBlocks, FloatSlider(157, 148, 10, 0, 100, 0, 100000)},
    {ParamId::BlurBlocksPositionSeed, FloatSlider(158, 149, 1, 1, 1000, 1, 100000)},
    {ParamId::BlurBlocksBlockSizeGroupStart, GroupStart(159, 150)},
    {ParamId::BlurBlocksMinWidth, FloatSlider(160, 151, 100, 0, 1000, 0, 100000)},
    {ParamId::BlurBlocksWidthRange, FloatSlider(161, 152, 50, 0, 1000, 0, 100000)},
    {ParamId::BlurBlocksWidthSeed, FloatSlider(162, 153, 1, 1, 1000, 1, 100000)},
    {ParamId::BlurBlocksMinHeight, FloatSlider(163, 154, 50, 0, 1000, 0, 100000)},
    {ParamId::BlurBlocksHeightRange, FloatSlider(164, 155, 20, 0, 1000, 0, 100000)},
    {ParamId::BlurBlocksHeightSeed, FloatSlider(165, 156, 1, 1, 1000, 1, 100000)},
    {ParamId::BlurBlocksBlockSizeGroupEnd, GroupEnd(166)},
    {ParamId::BlurBlocksGroupEnd, GroupEnd(167)},

    // Noise. Its frequency is the one slider besides Warp's that is used with its fraction, so
    // it shows two decimal places.
    {ParamId::NoiseGroupStart, GroupStart(168, 157)},
    {ParamId::EnableNoise, Checkbox(169, 158, kOff, kSupervised)},
    {ParamId::NoiseFrequency, FloatSlider(170, 159, 500, 0, 1000, 0, 100000, 2)},
    {ParamId::NoiseAmplitude, Percent(171, 160, 100)},
    {ParamId::NoiseOctaves, FloatSlider(172, 161, 1, 1, 100, 1, 100)},
    {ParamId::NoisePreserveFrequency, Percent(173, 162, 50)},
    {ParamId::NoisePreserveAmplitude, Percent(174, 163, 50)},
    {ParamId::NoiseTint, Color(175, 164, 255, 255, 255)},
    {ParamId::NoiseTintContribution, Percent(176, 165, 50)},
    {ParamId::NoiseGroupEnd, GroupEnd(177)},

    // Warp
    {ParamId::WarpGroupStart, GroupStart(178, 166)},
    {ParamId::EnableWarp, Checkbox(179, 167, kOff, kSupervised)},
    {ParamId::WarpFrequency, FloatSlider(180, 168, 70, 0, 200, 0, 100000, 2)},
    {ParamId::WarpAmplitude, FloatSlider(181, 169, 50, 0, 1000, 0, 100000)},
    {ParamId::WarpOffset, FloatSlider(182, 170, 0, -1000, 1000, -100000, 100000)},
    {ParamId::WarpGroupEnd, GroupEnd(183)},

    // Split RGB. The disk ids here do not follow the row order; projects already store these
    // parameters under them, so they must never be renumbered.
    {ParamId::SplitRgbGroupStart, GroupStart(184, 171)},
    {ParamId::EnableSplitRgb, Checkbox(185, 172, kOff, kSupervised)},

    {ParamId::SplitRedGroupStart, GroupStart(193, 173)},
    {ParamId::SplitRedHorizontalOffset, FloatSlider(186, 174, 5, -100, 100, -100000, 100000)},
    {ParamId::SplitRedVerticalOffset, FloatSlider(187, 175, 0, -100, 100, -100000, 100000)},
    {ParamId::SplitRedInvert, Checkbox(194, 176, kOff)},
    {ParamId::SplitRedHide, Checkbox(195, 177, kOff)},
    {ParamId::SplitRedFlipHorizontal, Checkbox(196, 178, kOff)},
    {ParamId::SplitRedFlipVertical, Checkbox(197, 179, kOff)},
    {ParamId::SplitRedGroupEnd, GroupEnd(198)},

    {ParamId::SplitGreenGroupStart, GroupStart(199, 180)},
    {ParamId::SplitGreenHorizontalOffset, FloatSlider(188, 181, -5, -100, 100, -100000, 100000)},
    {ParamId::SplitGreenVerticalOffset, FloatSlider(189, 182, 0, -100, 100, -100000, 100000)},
    {ParamId::SplitGreenInvert, Checkbox(200, 183, kOff)},
    {ParamId::SplitGreenHide, Checkbox(201, 184, kOff)},
    {ParamId::SplitGreenFlipHorizontal, Checkbox(202, 185, kOff)},
    {ParamId::SplitGreenFlipVertical, Checkbox(203, 186, kOff)},
    {ParamId::SplitGreenGroupEnd, GroupEnd(204)},

    {ParamId::SplitBlueGroupStart, GroupStart(205, 187)},
    {ParamId::SplitBlueHorizontalOffset, FloatSlider(190, 188, 0, -100, 100, -100000, 100000)},
    {ParamId::SplitBlueVerticalOffset, FloatSlider(191, 189, 0, -100, 100, -100000, 100000)},
    {ParamId::SplitBlueInvert, Checkbox(206, 190, kOff)},
    {ParamId::SplitBlueHide, Checkbox(207, 191, kOff)},
    {ParamId::SplitBlueFlipHorizontal, Checkbox(208, 192, kOff)},
    {ParamId::SplitBlueFlipVertical, Checkbox(209, 193, kOff)},
    {ParamId::SplitBlueGroupEnd, GroupEnd(210)},

    {ParamId::SplitRgbGroupEnd, GroupEnd(192)},
};
// clang-format on

// ---- Checks on the rows, made while building --------------------------------------------

constexpr std::size_t kRowCount = sizeof(kRows) / sizeof(kRows[0]);
static_assert(kRowCount == kParamCount, "one row per parameter, the input layer included");

constexpr bool IdsAreSequential() {
  for (std::size_t i = 0; i < kRowCount; ++i) {
    if (ToIndex(kRows[i].id) != static_cast<A_long>(i)) return false;
  }
  return kRows[0].desc.kind == ParamKind::None;
}
static_assert(IdsAreSequential(), "rows stand at their ParamId, the empty input row first");

constexpr bool DiskIdsArePermutation() {
  bool seen[kParamCount] = {};
  for (std::size_t i = 1; i < kRowCount; ++i) {
    A_long id = kRows[i].desc.diskId;
    if (id < 1 || id >= kParamCount || seen[id]) return false;
    seen[id] = true;
  }
  return true;
}
static_assert(DiskIdsArePermutation(), "disk ids are 1 to 210, each used once");

constexpr bool GroupsNest() {
  int depth = 0;
  for (std::size_t i = 1; i < kRowCount; ++i) {
    const ParamDescriptor& d = kRows[i].desc;
    if (d.kind == ParamKind::GroupStart) {
      if (++depth > 3) return false;
      // A stage group opens with its enable checkbox, which decides what the group shows.
      if (depth == 1) {
        const ParamDescriptor& next = kRows[i + 1].desc;
        if (next.kind != ParamKind::Checkbox || next.supervise != 1) return false;
      }
    } else if (d.kind == ParamKind::GroupEnd) {
      if (--depth < 0 || d.name != 0) return false;
    }
  }
  return depth == 0;
}
static_assert(GroupsNest(), "groups open and close in pairs, at most three deep");

// Names take the next text in row order and a popup's choice list the one after its name;
// "Secondary Sort Criteria" alone borrows the list of "Primary Sort Criteria".
constexpr bool TextsFollowRowOrder() {
  StrId next = 3;
  for (std::size_t i = 1; i < kRowCount; ++i) {
    const ParamDescriptor& d = kRows[i].desc;
    if (d.kind == ParamKind::GroupEnd) continue;
    if (d.name != next++) return false;
    if (d.kind != ParamKind::Popup) continue;
    if (kRows[i].id == ParamId::PixelSorterSecondarySortCriteria) {
      const std::size_t primary = ToIndex(ParamId::PixelSorterPrimarySortCriteria);
      if (d.choices != kRows[primary].desc.choices) return false;
    } else if (d.choices != next++) {
      return false;
    }
  }
  return next == 194;
}
static_assert(TextsFollowRowOrder(), "names and choice lists take their texts in row order");

constexpr std::size_t TextLength(StrId id) {
  return std::string_view(kStringTable[id].text).size();
}

constexpr A_long NamesInList(StrId id) {
  A_long names = 1;
  for (char c : std::string_view(kStringTable[id].text)) names += c == '|' ? 1 : 0;
  return names;
}

constexpr bool FloatRowIsSound(const ParamDescriptor& d) {
  float sliderMin = d.values[ParamDescriptor::kSliderMin].AsFloat();
  float sliderMax = d.values[ParamDescriptor::kSliderMax].AsFloat();
  float validMin = d.values[ParamDescriptor::kValidMin].AsFloat();
  float validMax = d.values[ParamDescriptor::kValidMax].AsFloat();
  float dflt = d.values[ParamDescriptor::kSliderDefault].AsFloat();
  return validMin <= sliderMin && sliderMin < sliderMax && sliderMax <= validMax &&
         sliderMin <= dflt && dflt <= sliderMax && d.precision >= 0 && d.precision <= 6;
}

constexpr bool DefaultsAreInRange() {
  for (std::size_t i = 1; i < kRowCount; ++i) {
    const ParamDescriptor& d = kRows[i].desc;
    const ParamSlot dflt = d.values[ParamDescriptor::kDefault];
    bool ok = true;
    switch (d.kind) {
      case ParamKind::None:
        ok = false;
        break;
      case ParamKind::GroupStart:
      case ParamKind::GroupEnd:
        break;
      case ParamKind::Checkbox:
        ok = dflt.AsInt() == 0 || dflt.AsInt() == 1;
        break;
      case ParamKind::FloatSlider:
        ok = FloatRowIsSound(d);
        break;
      case ParamKind::Percent:
        ok = dflt.AsFloat() >= 0.0f && dflt.AsFloat() <= 100.0f;
        break;
      case ParamKind::Angle:
        // The declared 16.16 value must fit 32 bits.
        ok = dflt.AsFloat() > -32768.0f && dflt.AsFloat() < 32768.0f;
        break;
      case ParamKind::Color:
        for (int c : {ParamDescriptor::kRed, ParamDescriptor::kGreen, ParamDescriptor::kBlue}) {
          ok = ok && d.values[c].AsFloat() >= 0.0f && d.values[c].AsFloat() <= 255.0f;
        }
        break;
      case ParamKind::Popup:
        // The default names a choice of the list; the count also fits the host's 16 bits.
        ok = dflt.AsInt() >= 1 && dflt.AsInt() <= NamesInList(d.choices) &&
             d.choiceCount == NamesInList(d.choices) + 1 && d.choiceCount <= 0x7FFF;
        break;
    }
    if (!ok) return false;
    if (d.kind != ParamKind::FloatSlider && d.precision != 0) return false;
    if (d.kind != ParamKind::Popup && (d.choices != 0 || d.choiceCount != 0)) return false;
  }
  return true;
}
static_assert(DefaultsAreInRange(),
              "defaults lie in their ranges and every popup declares its names plus one");

// The host's name field holds 31 characters and a NUL.
constexpr bool NamesFitTheHost() {
  for (std::size_t i = 1; i < kRowCount; ++i) {
    if (TextLength(kRows[i].desc.name) > 31) return false;
  }
  return true;
}
static_assert(NamesFitTheHost(), "every display name fits the host's 31 characters");

constexpr std::array<ParamDescriptor, kParamCount> kParamTable = [] {
  std::array<ParamDescriptor, kParamCount> table{};
  for (std::size_t i = 0; i < kRowCount; ++i) table[i] = kRows[i].desc;
  return table;
}();

}  // namespace

const ParamDescriptor& LookUpParam(ParamId id) {
  A_long index = ToIndex(id);
  if (index < 0 || index >= kParamCount) return kParamTable[0];
  return kParamTable[index];
}

}  // namespace jf
