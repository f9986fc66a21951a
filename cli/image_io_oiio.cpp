// The rest of image_io.h through OpenImageIO: float channels (mattes), a file's depth and the
// format an output extension chooses.
#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <filesystem>

#include "cli/budget.h"
#include "cli/image_io.h"

namespace jf::cli {
namespace {

std::unique_ptr<OIIO::ImageInput> Open(const std::string& path, const std::string& what,
                                       const OIIO::ImageSpec* config = nullptr) {
  auto in = OIIO::ImageInput::open(path, config);
  if (!in) {
    const std::string why = std::filesystem::exists(path) ? OIIO::geterror() : "no such file";
    throw CliError("cannot read " + (what.empty() ? "" : what + " ") + "'" + path + "': " + why, 2);
  }
  return in;
}

}  // namespace

FloatImage ReadFloatImage(const std::string& path, int maxChannels, const std::string& what) {
  OIIO::ImageSpec config;
  // Straight colour, so a matte's luma does not depend on its alpha.
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = Open(path, what, &config);
  const OIIO::ImageSpec& imageSpec = in->spec();
  FloatImage image;
  image.width = imageSpec.width;
  image.height = imageSpec.height;
  image.channels = std::min(imageSpec.nchannels, maxChannels);
  image.alphaChannel = imageSpec.alpha_channel;
  CheckFrameBudget("'" + path + "'", image.width, image.height, 8, 0);
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * image.channels);
  if (!in->read_image(0, 0, 0, image.channels, OIIO::TypeDesc::FLOAT, image.pixels.data())) {
    throw CliError(
        "cannot read " + (what.empty() ? "" : what + " ") + "'" + path + "': " + in->geterror(), 2);
  }
  return image;
}

std::string OutputFormatName(const std::string& path) {
  auto out = OIIO::ImageOutput::create(path);
  return out ? std::string(out->format_name()) : std::string();
}

int ImageFileDepth(const std::string& path) {
  auto in = OIIO::ImageInput::open(path);
  if (!in) return 8;
  const auto& format = in->spec().format;
  return format.size() == 1 ? 8
         : format.basetype == OIIO::TypeDesc::UINT16 || format.basetype == OIIO::TypeDesc::INT16
             ? 16
             : 32;
}

}  // namespace jf::cli
