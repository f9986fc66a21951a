// The progress line of sequences and streams: frames done, frames per second, time left.
#pragma once

#include <chrono>
#include <cstdint>

namespace jf::cli {

/// Rewrites one line on standard error after each frame, when standard error is a terminal
/// and not silenced; otherwise does nothing.
class Progress {
 public:
  /// total 0: unknown (a stream).
  Progress(std::int64_t total, bool quiet);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void FrameDone();
  /// Ends the line; the destructor does it too.
  void Finish();

 private:
  bool m_enabled;
  std::int64_t m_total;
  std::int64_t m_done = 0;
  bool m_shown = false;
  std::chrono::steady_clock::time_point m_start;
  std::chrono::steady_clock::time_point m_lastShown;
};

}  // namespace jf::cli
