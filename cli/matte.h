// Mattes: an image that limits the effect to where it is white, applied by the host after the
// render so the effect itself renders as always.
#pragma once

#include <string>
#include <vector>

#include "cli/image_io.h"
#include "headless/blend_pixels.h"

namespace jf::cli {

enum class MatteChannel { Auto, Alpha, Luma };

/// "alpha", "luma" or "" (Auto: alpha when the file has an alpha channel, else luma); throws
/// CliError (status 2).
MatteChannel ParseMatteChannel(const std::string& text);

/// Coverage per pixel in 0..1, rows top first: the matte's alpha, or its Rec. 709 luma
/// (0.2126 R + 0.7152 G + 0.0722 B), inverted when asked. Throws CliError (status 2) for a file
/// that cannot be read or whose size is not width × height.
std::vector<float> ReadMatte(const std::string& path, MatteChannel channel, bool invert, int width,
                             int height);

/// Coverage for an overall mix of the rendered frame: the matte's scaled by mix, or mix at every
/// one of pixels without a matte.
std::vector<float> MixCoverage(std::vector<float> matte, double mix, std::size_t pixels);

/// Blends rendered over original by coverage, every channel alpha included:
/// original + (rendered − original) × coverage, rounded to the nearest at 8 and 16 bits.
void ApplyMatte(const HostImage& original, HostImage& rendered, const std::vector<float>& coverage);
/// The same over count pixels of the host layout at depth: rendered blended in place.
using headless::BlendPixels;

}  // namespace jf::cli
