// Text from outside (options, files, modules) made safe to put into a one-line message.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace jf::presets {

/// The length of the well-formed UTF-8 sequence at the start of text (1 to 4 bytes), or 0 when
/// it does not start with one.
inline std::size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

/// Whether text is well-formed UTF-8 throughout.
inline bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    const std::size_t n = Utf8SequenceLength(text);
    if (n == 0) return false;
    text.remove_prefix(n);
  }
  return true;
}

/// Text as a message quotes it: in double quotes, control characters and bytes that are not
/// UTF-8 written as \xNN, and cut after about limit characters with "..." so that a file's worth
/// of text pasted into an option still gives one readable line.
inline std::string Quoted(std::string_view text, std::size_t limit = 60) {
  std::string out = "\"";
  std::size_t shown = 0;
  while (!text.empty()) {
    if (shown >= limit) {
      out += "...";
      break;
    }
    const std::size_t n = Utf8SequenceLength(text);
    const unsigned char c = static_cast<unsigned char>(text[0]);
    if (n == 0 || c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
      text.remove_prefix(1);
    } else {
      out.append(text.substr(0, n));
      text.remove_prefix(n);
    }
    ++shown;
  }
  return out + "\"";
}

}  // namespace jf::presets
