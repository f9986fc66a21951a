// The module's PiPL: how a host finds the effect, its entry point, version and flags.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "AE_Effect.h"

namespace jf {

/// The effect's packed version: 1.0.3, development stage, build 1.
constexpr A_u_long kEffectVersion = 0x00081801;
/// Out-flags: deep colour aware, send UPDATE_PARAMS_UI.
constexpr PF_OutFlags kOutFlags = 0x06000000;
/// Out-flags 2: group start-collapsed flag honoured, smart render, float colour aware.
constexpr PF_OutFlags2 kOutFlags2 = 0x00001408;

// On Windows the same bytes are the resource of type "PIPL", id 16000, language 1033.
constexpr int kPiplResourceId = 16000;
constexpr int kPiplResourceLanguage = 1033;

namespace pipl_detail {

// Builds the PiPL bytes at compile time: little-endian integers, four-character codes stored as
// little-endian 32-bit numbers (so "8BIM" lies in the file as "MIB8"), values padded to 4.
struct Writer {
  std::array<std::uint8_t, 512> bytes{};
  std::size_t size = 0;
  std::size_t valueStart = 0;  // where the current property's value begins

  constexpr void U8(std::uint8_t v) { bytes[size++] = v; }
  constexpr void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  constexpr void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  static constexpr std::uint32_t FourCC(const char (&c)[5]) {
    return (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
           (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3]));
  }
  // Pads the current value, not the file position: the header before the first property is
  // 10 bytes long, so values do not start on multiples of 4.
  constexpr void Pad() {
    while ((size - valueStart) % 4 != 0) U8(0);
  }
  constexpr void Header(const char (&key)[5], std::uint32_t length) {
    U32(FourCC("8BIM"));
    U32(FourCC(key));
    U32(0);
    U32(length);
    valueStart = size;
  }
  constexpr void Code(const char (&key)[5], const char (&code)[5]) {
    Header(key, 4);
    U32(FourCC(code));
  }
  template <std::size_t N>
  constexpr void PascalString(const char (&key)[5], const char (&text)[N]) {
    const std::uint32_t n = N - 1;
    Header(key, (n + 1 + 3) / 4 * 4);
    U8(static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i) U8(static_cast<std::uint8_t>(text[i]));
    Pad();
  }
  template <std::size_t N>
  constexpr void CString(const char (&key)[5], const char (&text)[N]) {
    Header(key, (N + 3) / 4 * 4);
    for (std::size_t i = 0; i < N; ++i) U8(static_cast<std::uint8_t>(text[i]));
    Pad();
  }
  constexpr void Shorts(const char (&key)[5], std::uint16_t a, std::uint16_t b) {
    Header(key, 4);
    U16(a);
    U16(b);
  }
  constexpr void Long(const char (&key)[5], std::uint32_t v) {
    Header(key, 4);
    U32(v);
  }
};

constexpr Writer Build() {
  Writer w;
  w.U16(1);
  w.U32(0);
  w.U32(12);
  w.Code("kind", "eFKT");
  w.PascalString("name", "Jitterforge");
  w.PascalString("catg", "Tarnwell");
  w.CString("8664", "EntryPointFunc");
  w.Shorts("ePVR", 2, 0);
  w.Shorts("eSVR", 13, 9);
  w.Long("eVER", kEffectVersion);
  w.Header("eINF", 2);  // a 16-bit value, padded to 4
  w.U16(0);
  w.Pad();
  w.Long("eGLO", kOutFlags);
  w.Long("eGL2", kOutFlags2);
  w.PascalString("eMNA", "TarnwellJitterforge");
  w.Long("aeFL", 0);
  return w;
}

constexpr Writer kBuilt = Build();

}  // namespace pipl_detail

constexpr std::size_t kPiplSize = pipl_detail::kBuilt.size;

/// The PiPL bytes exactly as the module carries them.
constexpr std::array<std::uint8_t, kPiplSize> PiplBytes() {
  std::array<std::uint8_t, kPiplSize> out{};
  for (std::size_t i = 0; i < kPiplSize; ++i) out[i] = pipl_detail::kBuilt.bytes[i];
  return out;
}

}  // namespace jf
