// See stream_command.h.
#include "cli/stream_command.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>
#include <vector>

#include "cli/errors.h"
#include "cli/budget.h"
#include "cli/matte.h"
#include "cli/progress.h"
#include "presets/text.h"

namespace jf::cli {
namespace {

const char* FormatName(PixFmt format) {
  switch (format) {
    case PixFmt::Rgba:
      return "rgba";
    case PixFmt::Rgba64le:
      return "rgba64le";
    case PixFmt::Gbrapf32le:
      return "gbrapf32le";
  }
  return "";
}

}  // namespace

bool ParseFrameSize(const std::string& text, int& width, int& height) {
  const auto x = text.find('x');
  if (x == std::string::npos) return false;
  auto whole = [](const std::string& s, int& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return !s.empty() && ec == std::errc() && p == s.data() + s.size() && out >= 1 && out <= 30000;
  };
  return whole(text.substr(0, x), width) && whole(text.substr(x + 1), height);
}

RawFrameReader::RawFrameReader(std::FILE* in, std::size_t frameBytes)
    : m_in(in), m_frameBytes(frameBytes) {}

std::size_t RawFrameReader::Read() {
  // A few megabytes first, then, once the data fills them, the whole frame at once: growing by
  // steps would copy the bytes again at every step and touch about twice the frame's memory.
  // Later frames reuse the buffer.
  constexpr std::size_t kChunk = std::size_t{4} << 20;
  std::size_t got = 0;
  while (got < m_frameBytes) {
    const std::size_t size = m_buffer ? m_buffer->Size() : 0;
    if (size == got) {
      // A host buffer rather than the heap's: a frame-sized one comes in huge pages.
      const std::size_t next = size == 0 ? std::min(m_frameBytes, kChunk) : m_frameBytes;
      auto grown = std::make_unique<headless::PooledScratch>(next);
      if (grown->Data() == nullptr) throw std::bad_alloc();
      if (got > 0) std::memcpy(grown->Data(), m_buffer->Data(), got);
      m_buffer = std::move(grown);
    }
    const std::size_t n = std::fread(Data() + got, 1, m_buffer->Size() - got, m_in);
    if (n == 0) break;
    got += n;
  }
  if (std::ferror(m_in)) {
    throw CliError(std::string("cannot read standard input: ") + std::strerror(errno), 2);
  }
  return got;
}

PixFmt ParsePixFmt(const std::string& text) {
  if (text == "rgba") return PixFmt::Rgba;
  if (text == "rgba64le") return PixFmt::Rgba64le;
  if (text == "gbrapf32le") return PixFmt::Gbrapf32le;
  throw CliError("--pix-fmt takes rgba, rgba64le or gbrapf32le, not " + Quoted(text), 2);
}

HostImage FromRaw(PixFmt format, int width, int height, const std::uint8_t* raw) {
  HostImage image;
  image.width = width;
  image.height = height;
  image.depth = DepthOf(format);
  image.data.resize(image.RowBytes() * height);
  const std::size_t n = static_cast<std::size_t>(width) * height;
  RawToHost(format, raw, n, 0, n, image.data.data());
  return image;
}

void ToRaw(PixFmt format, const HostImage& image, std::uint8_t* raw) {
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
  HostToRaw(format, image.data.data(), n, 0, n, raw);
}

void RunStream(const StreamOptions& options, std::FILE* in, std::FILE* out) {
  int width = 0;
  int height = 0;
  if (!ParseFrameSize(options.size, width, height)) {
    throw CliError("--size takes WIDTHxHEIGHT (1 to 30000 each), such as 1920x1080, not " +
                       Quoted(options.size),
                   2);
  }
  const PixFmt format = ParsePixFmt(options.pixFmt);
  if (options.startFrame < 0) throw CliError("--start-frame takes a frame from 0", 2);
  const MatteChannel matteChannel = ParseMatteChannel(options.matteChannel);
  if (options.matte.empty() && (!options.matteChannel.empty() || options.invertMatte)) {
    throw CliError("--matte-channel and --invert-matte need --matte FILE", 2);
  }
  CheckFrameBudget("--size", width, height, DepthOf(format), options.maxPixels);
  Look look = LoadLook(options.look);
  TimeOfFrame(options.startFrame, look.rate);
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  // A still matte holds for every frame: read and checked once, before any frame.
  const bool matteSequence = HasFramePattern(options.matte);
  auto coverageOf = [&](std::int64_t frame) {
    std::vector<float> matte;
    if (!options.matte.empty()) {
      matte = ReadMatte(FramePath(options.matte, frame), matteChannel, options.invertMatte, width,
                        height);
    }
    return options.mix < 1 ? MixCoverage(std::move(matte), options.mix, pixels) : matte;
  };
  const bool blend = !options.matte.empty() || options.mix < 1;
  std::vector<float> coverage;
  if (blend && !matteSequence) coverage = coverageOf(options.startFrame);
  Session session(options.session);
  ApplyLook(look, session);

  // The frame goes from the raw bytes straight into the input world, which the effect reads as
  // it stands, and from the output world straight back into the raw bytes; both worlds serve
  // every frame.
  const PF_PixelFormat worldFormat = headless::FormatOfDepth(DepthOf(format));
  headless::World input(width, height, worldFormat);
  headless::World output(width, height, worldFormat);
  headless::Host& host = session.GetHost();
  const std::size_t bytes = FrameBytes(format, width, height);
  RawFrameReader reader(in, bytes);
  Progress progress(0, options.quiet);
  for (std::int64_t frame = options.startFrame;; ++frame) {
    const std::size_t got = reader.Read();
    if (got == 0) break;
    if (got < bytes) {
      throw CliError("standard input ended " + std::to_string(got) + " bytes into frame " +
                         std::to_string(frame) + " (a " + options.size + " " + FormatName(format) +
                         " frame is " + std::to_string(bytes) +
                         " bytes): check --size and --pix-fmt",
                     2);
    }
    if (blend && matteSequence) coverage = coverageOf(frame);
    // Each frame's schedules become keys of that frame alone: frames stay independent.
    ExpandSchedules(look.schedules, session.Params(), look.rate, frame, frame);
    headless::RenderSettings settings;
    ApplyTime(TimeOfFrame(frame, look.rate), settings);
    host.Run([&] { RawToWorld(format, reader.Data(), input); });
    if (PF_Err err = session.GetInstance().RenderLent(input, output, settings);
        err != PF_Err_NONE) {
      throw CliError("rendering failed: " + ErrorName(err), 1);
    }
    if (blend) {
      // The original is still in the raw bytes: each row of it back in the host layout, the
      // rendered row blended over it, and the result written over the original's bytes.
      const std::size_t rowBytes = static_cast<std::size_t>(width) * output.BytesPerPixel();
      host.Run([&] {
        ForRows(height, [&](int begin, int end) {
          std::vector<std::uint8_t> original(rowBytes);
          for (int y = begin; y < end; ++y) {
            const std::size_t first = static_cast<std::size_t>(y) * width;
            RawToHost(format, reader.Data(), pixels, first, width, original.data());
            BlendPixels(DepthOf(format), original.data(), output.Row(y), coverage.data() + first,
                        width);
            HostToRaw(format, output.Row(y), pixels, first, width, reader.Data());
          }
        });
      });
    } else {
      host.Run([&] { WorldToRaw(format, output, reader.Data()); });
    }
    if (std::fwrite(reader.Data(), 1, bytes, out) != bytes || std::fflush(out) != 0) {
      throw CliError(std::string("cannot write standard output: ") + std::strerror(errno), 1);
    }
    progress.FrameDone();
  }
}

}  // namespace jf::cli
