// See matte.h.
#include "cli/matte.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "cli/errors.h"
#include "presets/text.h"

namespace jf::cli {
MatteChannel ParseMatteChannel(const std::string& text) {
  if (text.empty()) return MatteChannel::Auto;
  if (text == "alpha") return MatteChannel::Alpha;
  if (text == "luma") return MatteChannel::Luma;
  throw CliError("--matte-channel takes alpha or luma, not " + Quoted(text), 2);
}

std::vector<float> ReadMatte(const std::string& path, MatteChannel channel, bool invert, int width,
                             int height) {
  const FloatImage matte = ReadFloatImage(path, 4, "matte");
  if (matte.width != width || matte.height != height) {
    throw CliError("matte '" + path + "' is " + std::to_string(matte.width) + "x" +
                       std::to_string(matte.height) + ", the frame " + std::to_string(width) + "x" +
                       std::to_string(height),
                   2);
  }
  const int channels = matte.channels;
  const std::vector<float>& pixels = matte.pixels;
  int alpha = matte.alphaChannel < channels ? matte.alphaChannel : -1;
  if (alpha < 0 && (channels == 2 || channels == 4)) alpha = channels - 1;
  if (channel == MatteChannel::Auto)
    channel = alpha >= 0 ? MatteChannel::Alpha : MatteChannel::Luma;
  if (channel == MatteChannel::Alpha && alpha < 0) {
    throw CliError("matte '" + path + "' has no alpha channel: use --matte-channel luma", 2);
  }
  std::vector<float> coverage(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < coverage.size(); ++i) {
    const float* p = &pixels[i * channels];
    float m;
    if (channel == MatteChannel::Alpha) {
      m = p[alpha];
    } else if (channels >= 3) {
      m = 0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2];
    } else {
      m = p[0];
    }
    m = std::clamp(m, 0.0f, 1.0f);
    coverage[i] = invert ? 1.0f - m : m;
  }
  return coverage;
}

std::vector<float> MixCoverage(std::vector<float> matte, double mix, std::size_t pixels) {
  if (matte.empty()) return std::vector<float>(pixels, static_cast<float>(mix));
  for (float& m : matte) m *= static_cast<float>(mix);
  return matte;
}

void ApplyMatte(const HostImage& original, HostImage& rendered,
                const std::vector<float>& coverage) {
  BlendPixels(rendered.depth, original.data.data(), rendered.data.data(), coverage.data(),
              coverage.size());
}

}  // namespace jf::cli
