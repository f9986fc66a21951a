// Image files in and out of the host's pixel layout, through OpenImageIO.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cli/errors.h"
#include "headless/raw_frames.h"

namespace jf::cli {

/// Pixels in the host's layout: alpha, red, green, blue per pixel, straight alpha, rows packed.
/// Channels are 8-bit (white 255), 16-bit (white 32768) or float (white 1.0) by depth.
struct HostImage {
  int width = 0;
  int height = 0;
  int depth = 8;  // 8, 16 or 32
  /// Whether the file it was read from had alpha: one that had none is written back without
  /// alpha (RGB in, RGB out) as long as every pixel is opaque.
  bool fileHasAlpha = true;
  std::vector<std::uint8_t> data;

  std::size_t PixelSize() const { return depth == 8 ? 4 : depth == 16 ? 8 : 16; }
  std::size_t RowBytes() const { return PixelSize() * static_cast<std::size_t>(width); }
};

/// Reads any format OpenImageIO knows into the host layout at depth. An image without alpha
/// gets opaque alpha; grey images fill red, green and blue. 16-bit files map to the host's
/// 0..32768 scale as round(v × 32768 / 65535). A frame over the pixel budget (maxPixels, 0 for
/// the machine's default; see budget.h) is refused from its header, and rows are taken as the
/// file delivers them. Throws CliError (status 2) naming the file, in one line.
HostImage ReadImage(const std::string& path, int depth, std::uint64_t maxPixels = 0);

/// The named text attributes of an image's metadata, "" for each one it lacks. Throws CliError
/// (status 2) naming the file when it cannot be read.
std::vector<std::string> ReadTextAttributes(const std::string& path,
                                            const std::vector<std::string>& names);

/// The depth an image file calls for: 8 for 8-bit channels (and files that cannot be opened,
/// which the read then reports), 16 for 16-bit integers, 32 for half and float.
int ImageFileDepth(const std::string& path);

/// Writes the image in the format its extension names: 8-bit, 16-bit or 32-bit float channels
/// by depth, straight alpha. 16-bit values map back as round(min(v, 32768) × 65535 / 32768).
/// The file is encoded whole, then replaced as ReplaceFile (output_file.h) does: an existing file
/// is only ever replaced by a complete one. Throws CliError (status 1) with one line naming the
/// file.
void WriteImage(const std::string& path, const HostImage& image,
                const std::map<std::string, std::string>& metadata = {});

/// The most bits per channel the format of path's extension holds: 32 (float) for OpenEXR and
/// TIFF, 8 for JPEG, BMP and Targa, else 16. Throws CliError (status 2) for an extension that
/// names no format.
int DeepestOutputDepth(const std::string& path);

/// Rejects, before anything renders, an output whose format cannot hold the depth.
void CheckOutputFormat(const std::string& path, int depth);

/// An image file's channels as floats, as the file holds them: rows top first, channels
/// interleaved, straight colour; alphaChannel is the channel marked as alpha (-1 when none is).
struct FloatImage {
  int width = 0;
  int height = 0;
  int channels = 0;
  int alphaChannel = -1;
  std::vector<float> pixels;
};

/// Reads up to maxChannels channels of an image file; throws CliError (status 2)
/// "cannot read <what> '<path>': ..." (what may be empty).
FloatImage ReadFloatImage(const std::string& path, int maxChannels, const std::string& what);

/// The format an output file's extension chooses ("png", "tiff", "openexr", ...); "" for none.
std::string OutputFormatName(const std::string& path);

/// A built-in test picture (colour bars over a gradient, with a soft alpha edge) so the effect
/// can be tried without any file.
HostImage MakeSample(int depth, int width = 640, int height = 360);

/// The 16-bit mapping of files and raw frames alike.
using headless::FileToHost16;
using headless::HostToFile16;

}  // namespace jf::cli
