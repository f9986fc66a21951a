// See module.h.
#include "headless/module.h"

#include <cstring>
#include <utility>

#include "headless/platform.h"

namespace jf::headless {
namespace {

[[noreturn]] void Fail(const std::string& origin, const std::string& what) {
  throw ModuleError(origin + ": " + what);
}

// Bounds-checked little-endian reads: every read states where it is and fails rather than
// stepping outside the buffer.
class Reader {
 public:
  Reader(std::span<const std::uint8_t> bytes, const std::string& origin)
      : m_bytes(bytes), m_origin(origin) {}

  std::size_t Remaining() const { return m_bytes.size() - m_pos; }
  std::size_t Position() const { return m_pos; }

  std::uint32_t U32(const char* what) {
    Need(4, what);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | m_bytes[m_pos + i];
    m_pos += 4;
    return v;
  }
  std::uint16_t U16(const char* what) {
    Need(2, what);
    std::uint16_t v = static_cast<std::uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
    m_pos += 2;
    return v;
  }
  std::span<const std::uint8_t> Bytes(std::size_t n, const std::string& what) {
    Need(n, what);
    auto s = m_bytes.subspan(m_pos, n);
    m_pos += n;
    return s;
  }
  void Skip(std::size_t n) { m_pos += std::min(n, Remaining()); }

 private:
  void Need(std::size_t n, const std::string& what) {
    if (n > Remaining()) Fail(m_origin, "malformed PiPL: " + what + " runs past the end");
  }
  std::span<const std::uint8_t> m_bytes;
  const std::string& m_origin;
  std::size_t m_pos = 0;
};

// Four-character codes are stored as little-endian numbers, so "8BIM" lies as "MIB8".
std::string FourCC(std::uint32_t code) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((code >> (8 * (3 - i))) & 0xFF);
  return s;
}

std::string Printable(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c >= 0x20 && c < 0x7F) {
      out += c;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
      out += buf;
    }
  }
  return out;
}

std::string PascalString(const PiplProperty& p, const std::string& origin) {
  if (p.value.empty()) Fail(origin, "malformed PiPL: property \"" + p.key + "\" is empty");
  std::size_t length = p.value[0];
  if (length + 1 > p.value.size()) {
    Fail(origin, "malformed PiPL: the string of property \"" + p.key + "\" runs past its value");
  }
  return std::string(p.value.begin() + 1, p.value.begin() + 1 + static_cast<long>(length));
}

std::uint32_t U32Value(const PiplProperty& p, const std::string& origin) {
  if (p.value.size() < 4) Fail(origin, "malformed PiPL: property \"" + p.key + "\" is too short");
  return p.value[0] | (p.value[1] << 8) | (p.value[2] << 16) |
         (static_cast<std::uint32_t>(p.value[3]) << 24);
}

std::uint16_t U16Value(const PiplProperty& p, std::size_t at, const std::string& origin) {
  if (p.value.size() < at + 2) {
    Fail(origin, "malformed PiPL: property \"" + p.key + "\" is too short");
  }
  return static_cast<std::uint16_t>(p.value[at] | (p.value[at + 1] << 8));
}

}  // namespace

Pipl ParsePipl(std::span<const std::uint8_t> bytes, const std::string& origin) {
  Reader r(bytes, origin);
  // Header: 16-bit version 1, 32-bit reserved 0, 32-bit property count.
  std::uint16_t version = r.U16("the header");
  if (version != 1) Fail(origin, "malformed PiPL: version " + std::to_string(version) + ", not 1");
  r.U32("the header");
  std::uint32_t count = r.U32("the property count");

  Pipl pipl;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string where = "property " + std::to_string(i + 1) + " of " + std::to_string(count);
    PiplProperty p;
    p.vendor = FourCC(r.U32(where.c_str()));
    p.key = FourCC(r.U32(where.c_str()));
    p.id = r.U32(where.c_str());
    std::uint32_t length = r.U32(where.c_str());
    auto value = r.Bytes(
        length, where + " (\"" + Printable(p.key) + "\", " + std::to_string(length) + " bytes)");
    p.value.assign(value.begin(), value.end());
    // Values are padded to a multiple of 4; the last one may end with the data.
    r.Skip((4 - length % 4) % 4);
    pipl.properties.push_back(std::move(p));
  }

  bool haveEntry = false;
  for (const PiplProperty& p : pipl.properties) {
    if (p.vendor != "8BIM") continue;
    if (p.key == "kind") {
      pipl.kind = FourCC(U32Value(p, origin));
    } else if (p.key == "name") {
      pipl.name = PascalString(p, origin);
    } else if (p.key == "catg") {
      pipl.category = PascalString(p, origin);
    } else if (p.key == "eMNA") {
      pipl.matchName = PascalString(p, origin);
    } else if (p.key == "8664") {
      const auto* begin = p.value.data();
      // An empty value has no bytes to search (and may have no buffer at all).
      const void* nul = p.value.empty() ? nullptr : std::memchr(begin, 0, p.value.size());
      if (nul == nullptr) Fail(origin, "malformed PiPL: the entry point name is not terminated");
      pipl.entryPoint.assign(reinterpret_cast<const char*>(begin),
                             static_cast<const std::uint8_t*>(nul) - begin);
      haveEntry = true;
    } else if (p.key == "ePVR") {
      pipl.piplVersionMajor = U16Value(p, 0, origin);
      pipl.piplVersionMinor = U16Value(p, 2, origin);
    } else if (p.key == "eSVR") {
      pipl.specVersionMajor = U16Value(p, 0, origin);
      pipl.specVersionMinor = U16Value(p, 2, origin);
    } else if (p.key == "eVER") {
      pipl.effectVersion = U32Value(p, origin);
    } else if (p.key == "eINF") {
      pipl.infoFlags = U16Value(p, 0, origin);
    } else if (p.key == "eGLO") {
      pipl.outFlags = U32Value(p, origin);
    } else if (p.key == "eGL2") {
      pipl.outFlags2 = U32Value(p, origin);
    } else if (p.key == "aeFL") {
      pipl.reservedInfo = U32Value(p, origin);
    }
  }
  if (pipl.kind.empty()) Fail(origin, "PiPL has no kind property");
  if (pipl.kind != "eFKT") {
    Fail(origin, "PiPL kind is \"" + Printable(pipl.kind) + "\", not an effect (\"eFKT\")");
  }
  if (!haveEntry || pipl.entryPoint.empty()) {
    Fail(origin, "PiPL names no x64 entry point (property \"8664\")");
  }
  return pipl;
}

Module::Module(std::string path, Pipl pipl, void* library, PF_FilterProc entry)
    : m_path(std::move(path)), m_pipl(std::move(pipl)), m_library(library), m_entry(entry) {}

Module Module::Load(const std::string& path) {
  Pipl pipl = ParsePipl(platform::ReadPipl(path), path);
  void* library = platform::LoadCode(path);
  void* symbol = platform::FindExport(library, pipl.entryPoint);
  if (symbol == nullptr) {
    platform::UnloadCode(library);
    Fail(path,
         "entry point \"" + Printable(pipl.entryPoint) + "\" named by the PiPL is not exported");
  }
  return Module(path, std::move(pipl), library,
                reinterpret_cast<PF_FilterProc>(reinterpret_cast<std::uintptr_t>(symbol)));
}

std::vector<std::uint8_t> ReadModulePipl(const std::string& path) {
  return platform::ReadPipl(path);
}

Module Module::FromEntryPoint(PF_FilterProc entry, Pipl pipl) {
  return Module("(in-process " + pipl.entryPoint + ")", std::move(pipl), nullptr, entry);
}

Module::Module(Module&& other) noexcept
    : m_path(std::move(other.m_path)),
      m_pipl(std::move(other.m_pipl)),
      m_library(std::exchange(other.m_library, nullptr)),
      m_entry(std::exchange(other.m_entry, nullptr)) {}

Module& Module::operator=(Module&& other) noexcept {
  if (this != &other) {
    if (m_library != nullptr) platform::UnloadCode(m_library);
    m_path = std::move(other.m_path);
    m_pipl = std::move(other.m_pipl);
    m_library = std::exchange(other.m_library, nullptr);
    m_entry = std::exchange(other.m_entry, nullptr);
  }
  return *this;
}

Module::~Module() {
  if (m_library != nullptr) platform::UnloadCode(m_library);
}

}  // namespace jf::headless
