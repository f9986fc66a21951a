// `jitterforge stream`: raw video frames in on standard input, processed frames out on standard
// output, to sit in an ffmpeg pipe.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/errors.h"
#include "headless/buffers.h"
#include "headless/raw_frames.h"
#include "cli/render_command.h"

namespace jf::cli {

// Raw frames in ffmpeg's layouts, as the host library maps them.
using headless::DepthOf;
using headless::ForRows;
using headless::FrameBytes;
using headless::HostToRaw;
using headless::PixFmt;
using headless::RawToHost;
using headless::RawToWorld;
using headless::WorldToRaw;

/// "rgba", "rgba64le" or "gbrapf32le"; throws CliError (status 2).
PixFmt ParsePixFmt(const std::string& text);

/// Parses "WIDTHxHEIGHT", each 1 to 30000; false when text is not that.
bool ParseFrameSize(const std::string& text, int& width, int& height);

/// Whole raw frames from a stream, one after another. The buffer takes a frame's whole size only
/// once the data outgrows a first few megabytes, so a short or empty stream costs little.
class RawFrameReader {
 public:
  RawFrameReader(std::FILE* in, std::size_t frameBytes);
  /// Reads the next frame into Data(); returns the bytes read: the frame size, 0 at the end of
  /// the stream, fewer when it ends inside the frame. Throws CliError (status 2) on a read error.
  std::size_t Read();
  std::uint8_t* Data() { return m_buffer ? static_cast<std::uint8_t*>(m_buffer->Data()) : nullptr; }

 private:
  std::FILE* m_in;
  std::size_t m_frameBytes;
  std::unique_ptr<headless::PooledScratch> m_buffer;
};

/// Raw frame bytes to an image in the host layout and back.
HostImage FromRaw(PixFmt format, int width, int height, const std::uint8_t* raw);
void ToRaw(PixFmt format, const HostImage& image, std::uint8_t* raw);

struct StreamOptions {
  std::string size;  // "WxH"
  std::string pixFmt = "rgba";
  LookOptions look;
  std::int64_t startFrame = 0;  // the number of the first frame read
  double mix = 1;               // how much of the rendered frame is blended over the original
  std::string matte;            // a still for every frame, or a numbered sequence (%d, %04d)
  std::string matteChannel;     // "alpha", "luma" or empty (alpha when the matte has one)
  bool invertMatte = false;
  bool quiet = false;
  std::uint64_t maxPixels = 0;  // --max-pixels; 0: the machine's default
  SessionOptions session;
};

/// Renders frames from in to out until in ends at a frame boundary. A frame cut short is an
/// error (status 2) and is not written. Throws CliError.
void RunStream(const StreamOptions& options, std::FILE* in, std::FILE* out);

}  // namespace jf::cli
