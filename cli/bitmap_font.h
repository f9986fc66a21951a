// A 5×7 pixel font built into the program, so labels need no font files and draw the same
// everywhere.
#pragma once

#include <cstdint>
#include <string>

#include "cli/image_io.h"

namespace jf::cli {

/// Width in pixels of text drawn at scale: 6 × scale per character (5 plus a space column).
int TextWidth(const std::string& text, int scale);
/// Height in pixels of a line at scale.
inline int TextHeight(int scale) {
  return 7 * scale;
}

/// Draws text into an 8-bit host image with its top-left corner at (x, y), each font pixel a
/// scale × scale square of the opaque colour (r, g, b); lower case draws as upper case,
/// characters the font lacks as a box, and pixels outside the image are skipped.
void DrawText(HostImage& image, int x, int y, const std::string& text, int scale, std::uint8_t r,
              std::uint8_t g, std::uint8_t b);

}  // namespace jf::cli
