// `jitterforge stream`: raw video frames in on standard input, processed frames out on standard
// output, to sit in an ffmpeg pipe.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/render_command.h"

namespace jf::cli {

/// The raw layouts a stream carries, named as ffmpeg names them.
enum class PixFmt {
  Rgba,       // rgba: bytes R, G, B, A
  Rgba64le,   // rgba64le: 16-bit little-endian R, G, B, A; mapped as 16-bit files are
  Gbrapf32le  // gbrapf32le: planes of 32-bit little-endian floats, G, then B, R, A
};

/// "rgba", "rgba64le" or "gbrapf32le"; throws CliError (status 2).
PixFmt ParsePixFmt(const std::string& text);
/// The host depth a layout renders at: 8, 16 or 32.
int DepthOf(PixFmt format);
/// Bytes of one frame.
std::size_t FrameBytes(PixFmt format, int width, int height);

/// Raw frame bytes to the host layout and back.
HostImage FromRaw(PixFmt format, int width, int height, const std::uint8_t* raw);
void ToRaw(PixFmt format, const HostImage& image, std::uint8_t* raw);

struct StreamOptions {
  std::string size;  // "WxH"
  std::string pixFmt = "rgba";
  LookOptions look;
  std::int64_t startFrame = 0;  // the number of the first frame read
  bool quiet = false;
  std::uint64_t maxPixels = 0;  // --max-pixels; 0: the machine's default
  SessionOptions session;
};

/// Renders frames from in to out until in ends at a frame boundary. A frame cut short is an
/// error (status 2) and is not written. Throws CliError.
void RunStream(const StreamOptions& options, std::FILE* in, std::FILE* out);

}  // namespace jf::cli
