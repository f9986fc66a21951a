// See render_command.h.
#include "cli/render_command.h"

#include <charconv>
#include <cstring>

#include "cli/image_io.h"
#include "cli/param_args.h"

namespace jf::cli {
namespace {

PF_PixelFormat FormatOf(int depth) {
  return depth == 8    ? PF_PixelFormat_ARGB32
         : depth == 16 ? PF_PixelFormat_ARGB64
                       : PF_PixelFormat_ARGB128;
}

void CopyIn(const HostImage& image, headless::World& world) {
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(world.Row(y), image.data.data() + y * image.RowBytes(), image.RowBytes());
  }
}

void CopyOut(const headless::World& world, HostImage& image) {
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(image.data.data() + y * image.RowBytes(), world.Row(y), image.RowBytes());
  }
}

}  // namespace

PF_RationalScale ParseScale(const std::string& text, const std::string& option) {
  long num = 0;
  long den = 1;
  const auto slash = text.find('/');
  const std::string a = text.substr(0, slash);
  const std::string b = slash == std::string::npos ? "1" : text.substr(slash + 1);
  auto whole = [](const std::string& s, long& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
  };
  if (!whole(a, num) || !whole(b, den) || num <= 0 || den <= 0 || num > den || den > 1 << 20) {
    throw CliError(option + " takes a factor N/D with 0 < N <= D, such as 1/2, not \"" + text +
                       "\"",
                   2);
  }
  return PF_RationalScale{static_cast<A_long>(num), static_cast<A_u_long>(den)};
}

void RunRender(const RenderOptions& options) {
  if (options.depth != 8 && options.depth != 16 && options.depth != 32) {
    throw CliError("--depth takes 8, 16 or 32", 2);
  }
  headless::RenderSettings settings;
  if (!options.downsample.empty()) {
    settings.downsampleX = settings.downsampleY = ParseScale(options.downsample, "--downsample");
  }
  if (!options.downsampleX.empty()) {
    settings.downsampleX = ParseScale(options.downsampleX, "--downsample-x");
  }
  if (!options.downsampleY.empty()) {
    settings.downsampleY = ParseScale(options.downsampleY, "--downsample-y");
  }
  // Everything that can be refused is refused before anything renders or is written.
  CheckOutputFormat(options.output, options.depth);
  HostImage image = options.sample ? MakeSample(options.depth) : ReadImage(options.input, options.depth);

  Session session(options.session);
  ApplySettings(session.Params(), options.settings);

  const PF_PixelFormat format = FormatOf(options.depth);
  headless::World input(image.width, image.height, format);
  headless::World output(image.width, image.height, format);
  CopyIn(image, input);
  if (PF_Err err = session.GetInstance().Render(input, output, settings); err != PF_Err_NONE) {
    throw CliError("rendering failed: " + ErrorName(err), 1);
  }
  CopyOut(output, image);
  WriteImage(options.output, image);
}

}  // namespace jf::cli
