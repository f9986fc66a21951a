// How large a frame the command takes on: a pixel budget and the memory a render will need,
// both checked from a frame's size before anything of that size is allocated.
#pragma once

#include <cstdint>
#include <string>

namespace jf::cli {

/// Frame-sized buffers a render may hold at once: the command's copies of the input and the
/// result and the file's own layout, the host's input and output worlds, a temporary for each of
/// the chain's seven stages and the scratch worlds of the busiest stage.
constexpr std::uint64_t kFrameBuffersPerRender = 14;

/// The memory this process may use: the machine's physical memory, or a smaller limit its
/// control group sets.
std::uint64_t AvailableMemory();

/// The pixel budget when --max-pixels is not given: the largest frame whose 8-bit render fits
/// in AvailableMemory().
std::uint64_t DefaultMaxPixels();

/// Refuses with CliError (status 2) a width × height frame over maxPixels (0: the default) or
/// whose render at depth would need more memory than AvailableMemory(). what names the frame
/// for the message ("'in.png'", "--size").
void CheckFrameBudget(const std::string& what, std::int64_t width, std::int64_t height, int depth,
                      std::uint64_t maxPixels);

}  // namespace jf::cli
