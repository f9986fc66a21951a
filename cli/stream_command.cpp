// See stream_command.h.
#include "cli/stream_command.h"

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

#include "cli/budget.h"
#include "cli/matte.h"
#include "cli/progress.h"
#include "cli/text.h"

namespace jf::cli {
namespace {

// Raw layouts are little-endian; this host reads and writes them as they lie in memory.
static_assert(std::endian::native == std::endian::little);

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
  // A few megabytes at a time until the first frame is whole; later frames reuse the buffer.
  constexpr std::size_t kChunk = std::size_t{4} << 20;
  std::size_t got = 0;
  while (got < m_frameBytes) {
    if (m_buffer.size() < m_frameBytes && m_buffer.size() - got < kChunk) {
      m_buffer.resize(std::min(m_frameBytes, std::max(m_buffer.size() * 2, got + kChunk)));
    }
    const std::size_t n = std::fread(m_buffer.data() + got, 1, m_buffer.size() - got, m_in);
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

int DepthOf(PixFmt format) {
  return format == PixFmt::Rgba ? 8 : format == PixFmt::Rgba64le ? 16 : 32;
}

std::size_t FrameBytes(PixFmt format, int width, int height) {
  const std::size_t channelBytes = format == PixFmt::Rgba ? 1 : format == PixFmt::Rgba64le ? 2 : 4;
  return static_cast<std::size_t>(width) * height * 4 * channelBytes;
}

HostImage FromRaw(PixFmt format, int width, int height, const std::uint8_t* raw) {
  HostImage image;
  image.width = width;
  image.height = height;
  image.depth = DepthOf(format);
  image.data.resize(image.RowBytes() * height);
  const std::size_t n = static_cast<std::size_t>(width) * height;
  if (format == PixFmt::Rgba) {
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t* p = raw + i * 4;
      std::uint8_t* h = image.data.data() + i * 4;
      h[0] = p[3];
      h[1] = p[0];
      h[2] = p[1];
      h[3] = p[2];
    }
  } else if (format == PixFmt::Rgba64le) {
    auto* h = reinterpret_cast<std::uint16_t*>(image.data.data());
    for (std::size_t i = 0; i < n; ++i) {
      std::uint16_t p[4];
      std::memcpy(p, raw + i * 8, 8);
      h[i * 4 + 0] = FileToHost16(p[3]);
      h[i * 4 + 1] = FileToHost16(p[0]);
      h[i * 4 + 2] = FileToHost16(p[1]);
      h[i * 4 + 3] = FileToHost16(p[2]);
    }
  } else {
    // Planes G, B, R, A to pixels A, R, G, B.
    auto* h = reinterpret_cast<float*>(image.data.data());
    static const int kHostChannelOfPlane[4] = {2, 3, 1, 0};
    for (int plane = 0; plane < 4; ++plane) {
      const std::uint8_t* src = raw + plane * n * 4;
      for (std::size_t i = 0; i < n; ++i) {
        std::memcpy(&h[i * 4 + kHostChannelOfPlane[plane]], src + i * 4, 4);
      }
    }
  }
  return image;
}

void ToRaw(PixFmt format, const HostImage& image, std::uint8_t* raw) {
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
  if (format == PixFmt::Rgba) {
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t* h = image.data.data() + i * 4;
      std::uint8_t* p = raw + i * 4;
      p[0] = h[1];
      p[1] = h[2];
      p[2] = h[3];
      p[3] = h[0];
    }
  } else if (format == PixFmt::Rgba64le) {
    const auto* h = reinterpret_cast<const std::uint16_t*>(image.data.data());
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint16_t p[4] = {HostToFile16(h[i * 4 + 1]), HostToFile16(h[i * 4 + 2]),
                                  HostToFile16(h[i * 4 + 3]), HostToFile16(h[i * 4 + 0])};
      std::memcpy(raw + i * 8, p, 8);
    }
  } else {
    const auto* h = reinterpret_cast<const float*>(image.data.data());
    static const int kHostChannelOfPlane[4] = {2, 3, 1, 0};
    for (int plane = 0; plane < 4; ++plane) {
      std::uint8_t* dst = raw + plane * n * 4;
      for (std::size_t i = 0; i < n; ++i) {
        std::memcpy(dst + i * 4, &h[i * 4 + kHostChannelOfPlane[plane]], 4);
      }
    }
  }
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
  CheckFrameBudget("--size", width, height, DepthOf(format), options.maxPixels);
  Look look = LoadLook(options.look);
  TimeOfFrame(options.startFrame, look.rate);
  Session session(options.session);
  ApplyLook(look, session);

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
    // Each frame's schedules become keys of that frame alone: frames stay independent.
    ExpandSchedules(look.schedules, session.Params(), look.rate, frame, frame);
    headless::RenderSettings settings;
    ApplyTime(TimeOfFrame(frame, look.rate), settings);
    const HostImage original = FromRaw(format, width, height, reader.Data());
    HostImage rendered = RenderFrame(session, original, settings);
    if (options.mix < 1) {
      ApplyMatte(original, rendered,
                 MixCoverage({}, options.mix, static_cast<std::size_t>(width) * height));
    }
    ToRaw(format, rendered, reader.Data());
    if (std::fwrite(reader.Data(), 1, bytes, out) != bytes || std::fflush(out) != 0) {
      throw CliError(std::string("cannot write standard output: ") + std::strerror(errno), 1);
    }
    progress.FrameDone();
  }
}

}  // namespace jf::cli
