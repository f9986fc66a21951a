// The effect's interface texts: its name and description, every parameter name and every
// popup choice list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace jf {

/// Position of a text in the string table.
using StrId = std::uint32_t;

inline constexpr std::size_t kStringTextSize = 4096;
inline constexpr StrId kStringCount = 195;

/// One text; id equals the entry's position and is kept for the record, never consulted.
struct StringEntry {
  StrId id;
  char text[kStringTextSize];
};

using StringTable = std::array<StringEntry, kStringCount>;

/// The text at position id, as it stands; the empty text for an id past the table's end.
const char* LookUpString(StrId id);

// The texts themselves. The names follow the parameter rows in order, each popup's choice list
// right after its name; a group end has no text of its own. "Secondary Sort Criteria" (26)
// offers the list of "Primary Sort Criteria" (25), so the two share it. The whole table is
// constant data, laid down at build time, so loading the module costs nothing for it.
inline constexpr StringTable kStringTable = {{
    {0, ""},
    {1, "Jitterforge"},
    {2, "The Zoradozu Vivezo Dadizuz"},
    // Basic Blocks
    {3, "Basic Blocks"},
    {4, "Enable Basic Blocks"},
    {5, "Number Of Blocks"},
    {6, "Maximum Horizontal Offset"},
    {7, "Maximum Vertical Offset"},
    {8, "Position Random Seed"},
    {9, "Block Size"},
    {10, "Minimum Width"},
    {11, "Width Random Range"},
    {12, "Width Random Seed"},
    {13, "Minimum Height"},
    {14, "Height Random Range"},
    {15, "Height Random Seed"},
    {16, "Blend Mode"},
    {17,
     "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
     "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
     "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
     "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
     "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide"},
    // Pixel Sorter
    {18, "Pixel Sorter"},
    {19, "Enable Pixel Sorter"},
    {20, "Sort Direction"},
    {21, "Activation Function"},
    {22, "Luma|Sum|Minimum|Maximum|Red Channel|Green Channel|Blue Channel|Alpha Channel"},
    {23, "Enable Inverse Activation"},
    {24, "Primary Sort Criteria"},
    {25, "Luma|Sum|Minimum|Maximum|Red Channel|Green Channel|Blue Channel|Alpha Channel"},
    {26, "Secondary Sort Criteria"},
    {27, "Sort Blocks"},
    {28, "Block Size"},
    {29, "Minimum Sorted Blocks"},
    {30, "Use Maximum Sorted Blocks"},
    {31, "Maximum Sorted Blocks"},
    {32, "Minimum Threshold"},
    {33, "Maximum Threshold"},
    {34, "Convolution Coefficient"},
    {35, "Inverse Direction"},
    {36, "Method"},
    {37, "Intervals|Convolution"},
    {38, "Output"},
    {39, "Full|Sorted Pixels Only|Activation|Sorted Activation|Mask"},
    // Elements Scatter
    {40, "Elements Scatter"},
    {41, "Enable Elements Scatter"},
    {42, "Circle"},
    {43, "Enable Circle"},
    {44, "Number of Shapes"},
    {45, "Position Random Seed"},
    {46, "Stroke Width"},
    {47, "Radius"},
    {48, "Random Radius"},
    {49, "Enable Random Radius"},
    {50, "Radius Random Range"},
    {51, "Radius Random Seed"},
    {52, "Color"},
    {53, "Opacity"},
    {54, "Color"},
    {55, "Override Blend Mode"},
    {56, "Blend Mode"},
    {57,
     "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
     "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
     "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
     "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
     "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide"},
    {58, "Square"},
    {59, "Enable Square"},
    {60, "Number of Shapes"},
    {61, "Position Random Seed"},
    {62, "Stroke Width"},
    {63, "Size"},
    {64, "Random Size"},
    {65, "Enable Random Size"},
    {66, "Size Random Range"},
    {67, "Size Random Seed"},
    {68, "Color"},
    {69, "Opacity"},
    {70, "Color"},
    {71, "Override Blend Mode"},
    {72, "Blend Mode"},
    {73,
     "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
     "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
     "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
     "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
     "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide"},
    {74, "Plus"},
    {75, "Enable Plus"},
    {76, "Number of Shapes"},
    {77, "Position Random Seed"},
    {78, "Stroke Width"},
    {79, "Size"},
    {80, "Random Size"},
    {81, "Enable Random Size"},
    {82, "Size Random Range"},
    {83, "Size Random Seed"},
    {84, "Color"},
    {85, "Opacity"},
    {86, "Color"},
    {87, "Override Blend Mode"},
    {88, "Blend Mode"},
    {89,
     "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
     "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
     "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
     "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
     "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide"},
    {90, "X"},
    {91, "Enable X"},
    {92, "Number of Shapes"},
    {93, "Position Random Seed"},
    {94, "Stroke Width"},
    {95, "Size"},
    {96, "Random Size"},
    {97, "Enable Random Size"},
    {98, "Size Random Range"},
    {99, "Size Random Seed"},
    {100, "Color"},
    {101, "Opacity"},
    {102, "Color"},
    {103, "Override Blend Mode"},
    {104, "Blend Mode"},
    {105,
     "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
     "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
     "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
     "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
     "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide"},
    {106, "X-Square"},
    {107, "Enable X-Square"},
    // Lower-case "s", unlike its five siblings: the name stands as users have always seen it.
    {108, "Number of shapes"},
    {109, "Position Random Seed"},
    {110, "Stroke Width"},
    {111, "Size"},
    {112, "Random Size"},
    {113, "Enable Random Size"},
    {114, "Size Random Range"},
    {115, "Size Random Seed"},
    {116, "Color"},
    {117, "Opacity"},
    {118, "Color"},
    {119, "Override Blend Mode"},
    {120, "Blend Mode"},
    {121,
     "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
     "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
     "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
     "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
     "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide"},
    {122, "Dotted Line"},
    {123, "Enable Dotted Line"},
    {124, "Number of Shapes"},
    {125, "Position Random Seed"},
    {126, "Dot Size"},
    {127, "Space Size"},
    {128, "Minimum Number of Dots"},
    {129, "Number of Dots Random Range"},
    {130, "Number of Dots Random Seed"},
    {131, "Random Size"},
    {132, "Enable Random Size"},
    {133, "Dot Size Random Range"},
    {134, "Space Size Random Range"},
    {135, "Dot Size Random Seed"},
    {136, "Space Size Random Seed"},
    {137, "Color"},
    {138, "Opacity"},
    {139, "Color"},
    {140, "Override Blend Mode"},
    {141, "Blend Mode"},
    {142,
     "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
     "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
     "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
     "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
     "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide"},
    {143, "Blend Mode"},
    {144,
     "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
     "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
     "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
     "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
     "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide"},
    // Blur Blocks
    {145, "Blur Blocks"},
    {146, "Enable Blur Blocks"},
    {147, "Blur Radius"},
    {148, "Number Of Blocks"},
    {149, "Position Random Seed"},
    {150, "Block Size"},
    {151, "Minimum Width"},
    {152, "Width Random Range"},
    {153, "Width Random Seed"},
    {154, "Minimum Height"},
    {155, "Height Random Range"},
    {156, "Height Random Seed"},
    // Noise
    {157, "Noise"},
    {158, "Enable Noise"},
    {159, "Frequency"},
    {160, "Amplitude"},
    {161, "Octaves"},
    {162, "Preserve Frequency"},
    {163, "Preserve Amplitude"},
    {164, "Tint"},
    {165, "Tint Contribution"},
    // Warp
    {166, "Warp"},
    {167, "Enable Warp"},
    {168, "Frequency"},
    {169, "Amplitude"},
    {170, "Offset"},
    // Split RGB
    {171, "Split RGB"},
    {172, "Enable Split RGB"},
    {173, "Red Channel"},
    {174, "Horizontal Offset"},
    {175, "Vertical Offset"},
    {176, "Invert Channel"},
    {177, "Hide Channel"},
    {178, "Flip Horizontal"},
    {179, "Flip Vertical"},
    {180, "Green Channel"},
    {181, "Horizontal Offset"},
    {182, "Vertical Offset"},
    {183, "Invert Channel"},
    {184, "Hide Channel"},
    {185, "Flip Horizontal"},
    {186, "Flip Vertical"},
    {187, "Blue Channel"},
    {188, "Horizontal Offset"},
    {189, "Vertical Offset"},
    {190, "Invert Channel"},
    {191, "Hide Channel"},
    {192, "Flip Horizontal"},
    {193, "Flip Vertical"},
    // Kept for the record: suite failures are reported by error code, never by this text.
    {194, "Couldn't acquire suite."},
}};

}  // namespace jf
