// See image_io.h.
#include "cli/image_io.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "cli/errors.h"
#include "cli/budget.h"
#include "cli/output_file.h"
#include "presets/text.h"

namespace jf::cli {
namespace {

namespace fs = std::filesystem;
using OIIO::TypeDesc;

TypeDesc ChannelType(int depth) {
  return depth == 8 ? TypeDesc::UINT8 : depth == 16 ? TypeDesc::UINT16 : TypeDesc::FLOAT;
}

std::size_t ChannelBytes(int depth) {
  return depth == 8 ? 1 : depth == 16 ? 2 : 4;
}

// Copies n pixels of channels each, RGBA-ordered as files hold them, to the host's ARGB order.
template <typename T>
void ToHost(const T* file, int channels, std::size_t n, T* out, T opaque) {
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

// The host's ARGB pixels in a file's RGBA order, or RGB when channels is 3.
template <typename T>
std::vector<T> ToFile(const HostImage& image, int channels) {
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
  const T* in = reinterpret_cast<const T*>(image.data.data());
  std::vector<T> file(n * channels);
  for (std::size_t i = 0; i < n; ++i) {
    T* p = &file[i * channels];
    p[0] = in[i * 4 + 1];
    p[1] = in[i * 4 + 2];
    p[2] = in[i * 4 + 3];
    if (channels == 4) p[3] = in[i * 4 + 0];
  }
  return file;
}

template <typename T>
bool AllOpaque(const HostImage& image, T opaque) {
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
  const T* in = reinterpret_cast<const T*>(image.data.data());
  for (std::size_t i = 0; i < n; ++i) {
    if (in[i * 4] != opaque) return false;
  }
  return true;
}

// An image read from a file without alpha is written without it, unless the render made some
// pixel less than opaque: then the alpha is kept rather than lost.
int FileChannels(const HostImage& image) {
  if (image.fileHasAlpha) return 4;
  const bool opaque = image.depth == 8    ? AllOpaque<std::uint8_t>(image, 255)
                      : image.depth == 16 ? AllOpaque<std::uint16_t>(image, 32768)
                                          : AllOpaque<float>(image, 1.0f);
  return opaque ? 3 : 4;
}

// What the image libraries print on standard error while a file is read or written. libpng and
// others report there as well as, or instead of, through OpenImageIO; the command folds it into
// its one line rather than let it reach the terminal raw.
class LibraryMessages {
 public:
  LibraryMessages() {
    std::fflush(stderr);
    m_file = std::tmpfile();
    if (m_file == nullptr) return;
    m_saved = ::dup(STDERR_FILENO);
    if (m_saved < 0 || ::dup2(::fileno(m_file), STDERR_FILENO) < 0) {
      if (m_saved >= 0) ::close(m_saved);
      std::fclose(m_file);
      m_file = nullptr;
    }
  }
  ~LibraryMessages() { Stop(); }
  LibraryMessages(const LibraryMessages&) = delete;
  LibraryMessages& operator=(const LibraryMessages&) = delete;

  /// Gives standard error back; returns what was printed to it meanwhile.
  std::string Stop() {
    if (m_file == nullptr) return m_text;
    std::fflush(stderr);
    ::dup2(m_saved, STDERR_FILENO);
    ::close(m_saved);
    std::rewind(m_file);
    char buffer[4096];
    std::size_t n;
    while (m_text.size() < 65536 && (n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0) {
      m_text.append(buffer, n);
    }
    std::fclose(m_file);
    m_file = nullptr;
    return m_text;
  }

 private:
  std::FILE* m_file = nullptr;
  int m_saved = -1;
  std::string m_text;
};

// One line from what OpenImageIO returned and what the libraries printed: each statement once,
// without the libraries' own prefixes, cut to a readable length.
std::string Reason(const std::string& returned, const std::string& printed,
                   const std::string& fallback) {
  static const char* const kPrefixes[] = {"libpng error: ", "libpng warning: ", "PNG read error: ",
                                          "PNG write error: ", "OpenEXR exception: "};
  std::vector<std::string> parts;
  for (const std::string* text : {&returned, &printed}) {
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
      for (const char* prefix : kPrefixes) {
        if (line.rfind(prefix, 0) == 0) line.erase(0, std::strlen(prefix));
      }
      // libtiff counts a read that failed before any row as row -1, unsigned.
      for (const char* row : {" at scanline 4294967295", " at row 4294967295"}) {
        if (const auto at = line.find(row); at != std::string::npos)
          line.erase(at, std::strlen(row));
      }
      while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
      const bool known = std::any_of(parts.begin(), parts.end(), [&](const std::string& p) {
        return p.find(line) != std::string::npos || line.find(p) != std::string::npos;
      });
      if (line.empty()) continue;
      if (!known) {
        parts.push_back(line);
      } else {
        // Keep the fuller of two statements of one thing.
        for (auto& p : parts) {
          if (line.find(p) != std::string::npos) p = line;
        }
      }
    }
  }
  std::string reason;
  for (const std::string& p : parts) reason += (reason.empty() ? "" : "; ") + p;
  if (reason.empty()) return fallback;
  const std::string quoted = Quoted(reason, 240);
  return quoted.substr(1, quoted.size() - 2);
}

// OpenImageIO keeps every distinct string attribute for the life of the process (it interns
// them), and a rendered frame's provenance differs from frame to frame, so a long sequence would
// grow by the size of its preset on every frame. Formats that store text as it is are handed a
// stand-in of the same length, the same for every frame, and the encoded file gets the real text
// in its place.
const std::set<std::string> kVerbatimText = {"png", "tiff", "openexr"};
constexpr std::size_t kStandInFrom = 256;

std::string StandIn(std::size_t length, std::size_t k) {
  const std::string pattern = "<jitterforge provenance " + std::to_string(k) + ">";
  std::string s;
  while (s.size() < length) s += pattern;
  s.resize(length);
  return s;
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// PNG chunks carry a CRC of their type and data: recomputes it for chunks that were changed.
void ResealPngChunks(std::vector<std::uint8_t>& png,
                     const std::vector<std::pair<std::size_t, std::size_t>>& changed) {
  std::size_t pos = 8;
  while (pos + 12 <= png.size()) {
    const std::size_t length = BigEndian32(&png[pos]);
    if (length > png.size() - pos - 12) break;
    const std::size_t data = pos + 8;
    const bool touched = std::any_of(changed.begin(), changed.end(), [&](const auto& c) {
      return c.first < data + length && c.second > data;
    });
    if (touched) {
      const std::uint32_t crc = Crc32(&png[pos + 4], length + 4);
      for (int i = 0; i < 4; ++i)
        png[data + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    }
    pos = data + length + 4;
  }
}

// Puts each real text where its stand-in lies; false when a stand-in is missing (the format
// kept that text some other way).
bool PutTexts(std::vector<std::uint8_t>& bytes, const std::string& format,
              const std::vector<std::pair<std::string, std::string>>& texts) {
  std::vector<std::pair<std::size_t, std::size_t>> changed;
  for (const auto& [standIn, text] : texts) {
    bool found = false;
    auto at = bytes.begin();
    while ((at = std::search(at, bytes.end(), standIn.begin(), standIn.end())) != bytes.end()) {
      std::copy(text.begin(), text.end(), at);
      const auto offset = static_cast<std::size_t>(at - bytes.begin());
      changed.emplace_back(offset, offset + text.size());
      at += static_cast<long>(text.size());
      found = true;
    }
    if (!found) return false;
  }
  if (format == "png") ResealPngChunks(bytes, changed);
  return true;
}

std::string HiddenBeside(const std::string& path, const std::string& tag) {
  const fs::path target(WriteTarget(path));
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  return (dir / ("." + target.stem().string() + "." + tag + "-" + std::to_string(::getpid()) +
                 target.extension().string()))
      .string();
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
}

// The image as the bytes of a file in the format path's extension names.
std::vector<std::uint8_t> Encode(const std::string& path, const HostImage& image,
                                 const std::map<std::string, std::string>& metadata,
                                 bool standIns) {
  LibraryMessages messages;
  std::string scratch;  // for formats that write only to files
  auto fail = [&](const std::string& returned) {
    const std::string printed = messages.Stop();
    if (!scratch.empty()) std::remove(scratch.c_str());
    throw CliError("cannot write '" + path +
                       "': " + Reason(returned, printed, "the image library could not encode it"),
                   1);
  };
  auto out = OIIO::ImageOutput::create(path);
  if (!out) {
    const std::string returned = OIIO::geterror();
    fail(returned);
  }
  const std::string format = out->format_name();
  const bool inMemory = out->supports("ioproxy") != 0;
  standIns = standIns && inMemory && kVerbatimText.count(format) != 0;

  const int channels = FileChannels(image);
  OIIO::ImageSpec imageSpec(image.width, image.height, channels, ChannelType(image.depth));
  imageSpec.attribute("oiio:UnassociatedAlpha", 1);
  std::vector<std::pair<std::string, std::string>> texts;
  for (const auto& entry : metadata) {
    const std::string& key = entry.first;
    const std::string& value = entry.second;
    if (standIns && value.size() >= kStandInFrom) {
      auto same = std::find_if(texts.begin(), texts.end(),
                               [&](const auto& t) { return t.second == value; });
      if (same == texts.end()) {
        texts.emplace_back(StandIn(value.size(), texts.size()), value);
        same = texts.end() - 1;
      }
      imageSpec.attribute(key, same->first);
    } else {
      imageSpec.attribute(key, value);
    }
  }

  std::vector<unsigned char> buffer;
  OIIO::Filesystem::IOVecOutput proxy(buffer);
  if (inMemory) {
    out->set_ioproxy(&proxy);
  } else {
    scratch = HiddenBeside(path, "encoding");
  }
  // The library's messages are held in named strings before anything throws: GCC 12 leaks a
  // temporary string argument of a call that throws.
  std::string returned;
  if (!out->open(inMemory ? path : scratch, imageSpec)) {
    returned = out->geterror();
    fail(returned);
  }
  bool ok;
  if (image.depth == 8) {
    ok = out->write_image(TypeDesc::UINT8, ToFile<std::uint8_t>(image, channels).data());
  } else if (image.depth == 16) {
    auto file = ToFile<std::uint16_t>(image, channels);
    for (auto& v : file) v = HostToFile16(v);
    ok = out->write_image(TypeDesc::UINT16, file.data());
  } else {
    ok = out->write_image(TypeDesc::FLOAT, ToFile<float>(image, channels).data());
  }
  // Only the results count here: the TIFF writer notes a side directory it could not add
  // (Exif, written through a proxy) as an error while the image itself is whole.
  if (!ok || !out->close()) {
    returned = out->geterror();
    fail(returned);
  }
  out.reset();

  std::vector<std::uint8_t> bytes;
  if (inMemory) {
    bytes.assign(buffer.begin(), buffer.end());
  } else {
    // A format writing through the C library may lose its last bytes without saying so (a full
    // disk at fclose); decoding the file again is the one way to know it is whole.
    auto check = OIIO::ImageInput::open(scratch);
    std::vector<float> pixels(static_cast<std::size_t>(image.width) * image.height * 4);
    if (!check || !check->read_image(0, 0, 0, 4, TypeDesc::FLOAT, pixels.data()) ||
        check->has_error()) {
      returned = check ? check->geterror() : OIIO::geterror();
      fail(returned);
    }
    check.reset();
    bytes = ReadBytes(scratch);
    std::remove(scratch.c_str());
    scratch.clear();
  }
  messages.Stop();
  if (!texts.empty() && !PutTexts(bytes, format, texts)) {
    return Encode(path, image, metadata, false);
  }
  return bytes;
}
}  // namespace

HostImage ReadImage(const std::string& path, int depth, std::uint64_t maxPixels) {
  LibraryMessages messages;
  auto fail = [&](const std::string& returned, const std::string& what) {
    const std::string printed = messages.Stop();
    throw CliError("cannot read '" + path + "'" + what + ": " +
                       Reason(returned, printed, "not an image in a format this program reads"),
                   2);
  };
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(path, &config);
  if (!in) {
    const std::string returned = fs::exists(path) ? OIIO::geterror() : "no such file";
    fail(returned, "");
  }
  const OIIO::ImageSpec& imageSpec = in->spec();
  const int channels = imageSpec.nchannels;
  if (channels < 1 || imageSpec.width <= 0 || imageSpec.height <= 0 || imageSpec.depth > 1) {
    throw CliError("cannot read '" + path + "': not a 2D image with 1 to 4 channels", 2);
  }
  if (imageSpec.width > 30000 || imageSpec.height > 30000) {
    throw CliError("cannot read '" + path + "': larger than 30000 pixels on a side", 2);
  }
  CheckFrameBudget("'" + path + "'", imageSpec.width, imageSpec.height, depth, maxPixels);
  HostImage image;
  image.width = imageSpec.width;
  image.height = imageSpec.height;
  image.depth = depth;
  image.fileHasAlpha = channels == 2 || channels >= 4;
  const int used = std::min(channels, 4);
  const std::size_t fileRowBytes =
      static_cast<std::size_t>(image.width) * used * ChannelBytes(depth);
  const std::size_t total = image.RowBytes() * image.height;
  // Rows a few megabytes at a time: the image grows with the rows the file really holds, so a
  // header that claims more than the file carries fails at its first missing row rather than
  // after an allocation of the size it claims.
  const int rows = static_cast<int>(
      std::clamp<std::size_t>((std::size_t{4} << 20) / fileRowBytes, 1, image.height));
  std::vector<std::uint8_t> strip;
  for (int y0 = 0; y0 < image.height; y0 += rows) {
    const int y1 = std::min(image.height, y0 + rows);
    strip.resize(fileRowBytes * (y1 - y0));
    // A damaged TIFF strip is reported as an error while the read still returns true.
    if (!in->read_scanlines(0, 0, imageSpec.y + y0, imageSpec.y + y1, 0, 0, used,
                            ChannelType(depth), strip.data()) ||
        in->has_error()) {
      const std::string returned = in->geterror();
      const std::string rows = " (rows " + std::to_string(y0) + " to " + std::to_string(y1 - 1) +
                               " of " + std::to_string(image.height) + ")";
      fail(returned, rows);
    }
    const std::size_t need = static_cast<std::size_t>(y1) * image.RowBytes();
    if (image.data.capacity() < need) {
      image.data.reserve(std::min(total, std::max(need, 2 * image.data.capacity())));
    }
    image.data.resize(need);
    std::uint8_t* rowsOut = image.data.data() + static_cast<std::size_t>(y0) * image.RowBytes();
    const std::size_t n = static_cast<std::size_t>(image.width) * (y1 - y0);
    if (depth == 8) {
      ToHost<std::uint8_t>(strip.data(), used, n, rowsOut, 255);
    } else if (depth == 16) {
      auto* file = reinterpret_cast<std::uint16_t*>(strip.data());
      for (std::size_t i = 0; i < n * used; ++i) file[i] = FileToHost16(file[i]);
      ToHost<std::uint16_t>(file, used, n, reinterpret_cast<std::uint16_t*>(rowsOut), 32768);
    } else {
      ToHost<float>(reinterpret_cast<const float*>(strip.data()), used, n,
                    reinterpret_cast<float*>(rowsOut), 1.0f);
    }
  }
  return image;
}

std::vector<std::string> ReadTextAttributes(const std::string& path,
                                            const std::vector<std::string>& names) {
  LibraryMessages messages;
  auto in = OIIO::ImageInput::open(path);
  if (!in) {
    const std::string returned = fs::exists(path) ? OIIO::geterror() : "no such file";
    const std::string printed = messages.Stop();
    throw CliError("cannot read '" + path + "': " + Reason(returned, printed, "not an image"), 2);
  }
  std::vector<std::string> values;
  for (const std::string& name : names) values.push_back(in->spec().get_string_attribute(name));
  return values;
}

int DeepestOutputDepth(const std::string& path) {
  auto out = OIIO::ImageOutput::create(path);
  if (!out) {
    throw CliError("cannot write '" + path + "': no image format for its extension", 2);
  }
  const std::string format = out->format_name();
  if (format == "openexr" || format == "tiff") return 32;
  return format == "jpeg" || format == "bmp" || format == "targa" ? 8 : 16;
}

void CheckOutputFormat(const std::string& path, int depth) {
  if (depth <= DeepestOutputDepth(path)) return;
  if (depth == 32) {
    throw CliError("cannot write '" + path + "': 32-bit float output needs .exr or .tif", 2);
  }
  throw CliError(
      "cannot write '" + path + "': " + OutputFormatName(path) + " holds no 16-bit channels", 2);
}

void WriteImage(const std::string& path, const HostImage& image,
                const std::map<std::string, std::string>& metadata) {
  CheckOutputFormat(path, image.depth);
  const std::vector<std::uint8_t> bytes = Encode(path, image, metadata, true);
  ReplaceFile(path, bytes);
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
