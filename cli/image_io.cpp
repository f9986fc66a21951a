// See image_io.h.
#include "cli/image_io.h"

#include <OpenImageIO/imageio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace jf::cli {
namespace {

namespace fs = std::filesystem;
using OIIO::TypeDesc;

TypeDesc ChannelType(int depth) {
  return depth == 8 ? TypeDesc::UINT8 : depth == 16 ? TypeDesc::UINT16 : TypeDesc::FLOAT;
}

// Copies channel c of an RGBA-ordered file pixel to the host's ARGB order.
template <typename T>
void ToHost(const std::vector<T>& file, int channels, HostImage& image, T opaque) {
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
  T* out = reinterpret_cast<T*>(image.data.data());
  for (std::size_t i = 0; i < n; ++i) {
    const T* p = &file[i * channels];
    T r, g, b, a = opaque;
    if (channels >= 3) {
      r = p[0];
      g = p[1];
      b = p[2];
      if (channels >= 4) a = p[3];
    } else {
      r = g = b = p[0];
      if (channels == 2) a = p[1];
    }
    out[i * 4 + 0] = a;
    out[i * 4 + 1] = r;
    out[i * 4 + 2] = g;
    out[i * 4 + 3] = b;
  }
}

template <typename T>
std::vector<T> ToFile(const HostImage& image) {
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
  const T* in = reinterpret_cast<const T*>(image.data.data());
  std::vector<T> file(n * 4);
  for (std::size_t i = 0; i < n; ++i) {
    file[i * 4 + 0] = in[i * 4 + 1];
    file[i * 4 + 1] = in[i * 4 + 2];
    file[i * 4 + 2] = in[i * 4 + 3];
    file[i * 4 + 3] = in[i * 4 + 0];
  }
  return file;
}

}  // namespace

std::uint16_t FileToHost16(std::uint16_t v) {
  return static_cast<std::uint16_t>((static_cast<std::uint32_t>(v) * 32768u + 32767u) / 65535u);
}

std::uint16_t HostToFile16(std::uint16_t v) {
  const std::uint32_t c = std::min<std::uint32_t>(v, 32768u);
  return static_cast<std::uint16_t>((c * 65535u + 16384u) / 32768u);
}

HostImage ReadImage(const std::string& path, int depth) {
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(path, &config);
  if (!in) {
    std::string why = OIIO::geterror();
    if (!fs::exists(path)) why = "no such file";
    throw CliError("cannot read '" + path + "': " + (why.empty() ? "unknown format" : why), 2);
  }
  const OIIO::ImageSpec& imageSpec = in->spec();
  const int channels = imageSpec.nchannels;
  if (channels < 1 || imageSpec.width <= 0 || imageSpec.height <= 0 || imageSpec.depth > 1) {
    throw CliError("cannot read '" + path + "': not a 2D image with 1 to 4 channels", 2);
  }
  if (imageSpec.width > 30000 || imageSpec.height > 30000) {
    throw CliError("cannot read '" + path + "': larger than 30000 pixels on a side", 2);
  }
  HostImage image;
  image.width = imageSpec.width;
  image.height = imageSpec.height;
  image.depth = depth;
  image.data.resize(image.RowBytes() * image.height);
  const int used = std::min(channels, 4);
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height * used;
  auto read = [&](auto& buffer) {
    if (!in->read_image(0, 0, 0, used, ChannelType(depth), buffer.data())) {
      throw CliError("cannot read '" + path + "': " + in->geterror(), 2);
    }
  };
  if (depth == 8) {
    std::vector<std::uint8_t> file(n);
    read(file);
    ToHost<std::uint8_t>(file, used, image, 255);
  } else if (depth == 16) {
    std::vector<std::uint16_t> file(n);
    read(file);
    for (auto& v : file) v = FileToHost16(v);
    ToHost<std::uint16_t>(file, used, image, 32768);
  } else {
    std::vector<float> file(n);
    read(file);
    ToHost<float>(file, used, image, 1.0f);
  }
  return image;
}

void CheckOutputFormat(const std::string& path, int depth) {
  auto out = OIIO::ImageOutput::create(path);
  if (!out) {
    throw CliError("cannot write '" + path + "': no image format for its extension", 2);
  }
  const std::string format = out->format_name();
  if (depth == 32 && format != "openexr" && format != "tiff") {
    throw CliError("cannot write '" + path + "': 32-bit float output needs .exr or .tif", 2);
  }
  if (depth == 16 && (format == "jpeg" || format == "bmp" || format == "targa")) {
    throw CliError("cannot write '" + path + "': " + format + " holds no 16-bit channels", 2);
  }
}

void WriteImage(const std::string& path, const HostImage& image,
                const std::map<std::string, std::string>& metadata) {
  CheckOutputFormat(path, image.depth);
  const fs::path target(path);
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // A hidden name beside the target, keeping the extension that chooses the format.
  std::string tempName = ".";
  tempName += target.stem().string();
  tempName += ".partial-";
  tempName += std::to_string(::getpid());
  tempName += target.extension().string();
  const fs::path temp = dir / tempName;

  auto out = OIIO::ImageOutput::create(temp.string());
  if (!out) throw CliError("cannot write '" + path + "': no image format for its extension", 2);
  OIIO::ImageSpec imageSpec(image.width, image.height, 4, ChannelType(image.depth));
  imageSpec.attribute("oiio:UnassociatedAlpha", 1);
  for (const auto& [key, value] : metadata) imageSpec.attribute(key, value);

  auto fail = [&](const std::string& why) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw CliError("cannot write '" + path + "': " + why, 1);
  };
  if (!out->open(temp.string(), imageSpec)) fail(out->geterror());
  bool ok;
  if (image.depth == 8) {
    ok = out->write_image(TypeDesc::UINT8, ToFile<std::uint8_t>(image).data());
  } else if (image.depth == 16) {
    auto file = ToFile<std::uint16_t>(image);
    for (auto& v : file) v = HostToFile16(v);
    ok = out->write_image(TypeDesc::UINT16, file.data());
  } else {
    ok = out->write_image(TypeDesc::FLOAT, ToFile<float>(image).data());
  }
  if (!ok) fail(out->geterror());
  if (!out->close()) fail(out->geterror());
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) fail(ec.message());
}

HostImage MakeSample(int depth, int width, int height) {
  HostImage image;
  image.width = width;
  image.height = height;
  image.depth = depth;
  image.data.resize(image.RowBytes() * height);
  // Seven bars (white, yellow, cyan, green, magenta, red, blue) over the upper two thirds, a
  // grey ramp below, and alpha fading out over the last few columns.
  static const float kBars[7][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                    {1, 0, 1}, {1, 0, 0}, {0, 0, 1}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float rgb[3];
      if (y < height * 2 / 3) {
        const float* bar = kBars[std::min(6, x * 7 / width)];
        const float shade = 0.75f + 0.25f * static_cast<float>(y) / (height * 2 / 3);
        for (int c = 0; c < 3; ++c) rgb[c] = bar[c] * shade;
      } else {
        const float v = static_cast<float>(x) / (width - 1);
        rgb[0] = v;
        rgb[1] = v;
        rgb[2] = 1.0f - v * 0.5f;
      }
      const int edge = width - 1 - x;
      const float alpha = edge < 16 ? static_cast<float>(edge) / 16.0f : 1.0f;
      const float argb[4] = {alpha, rgb[0], rgb[1], rgb[2]};
      const std::size_t at = static_cast<std::size_t>(y) * image.RowBytes() + x * image.PixelSize();
      for (int c = 0; c < 4; ++c) {
        if (depth == 8) {
          image.data[at + c] = static_cast<std::uint8_t>(std::lround(argb[c] * 255.0f));
        } else if (depth == 16) {
          auto v = static_cast<std::uint16_t>(std::lround(argb[c] * 32768.0f));
          std::memcpy(&image.data[at + c * 2], &v, 2);
        } else {
          std::memcpy(&image.data[at + c * 4], &argb[c], 4);
        }
      }
    }
  }
  return image;
}

}  // namespace jf::cli
