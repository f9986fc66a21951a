// See progress.h.
#include "cli/progress.h"

#include <cstdio>

#include "cli/platform.h"

namespace jf::cli {

Progress::Progress(std::int64_t total, bool quiet)
    : m_enabled(!quiet && platform::IsTerminal(stderr)),
      m_total(total),
      m_start(std::chrono::steady_clock::now()),
      m_lastShown(m_start) {}

Progress::~Progress() {
  Finish();
}

void Progress::FrameDone() {
  ++m_done;
  if (!m_enabled) return;
  const auto now = std::chrono::steady_clock::now();
  // A few updates a second are enough to read, and keep a fast stream from waiting on the
  // terminal.
  if (m_shown && now - m_lastShown < std::chrono::milliseconds(200) && m_done != m_total) return;
  m_lastShown = now;
  m_shown = true;
  const double seconds = std::chrono::duration<double>(now - m_start).count();
  const double fps = seconds > 0 ? m_done / seconds : 0.0;
  char line[160];
  if (m_total > 0) {
    const long left = fps > 0 ? static_cast<long>((m_total - m_done) / fps + 0.5) : 0;
    std::snprintf(line, sizeof line, "\rframe %lld/%lld  %.1f fps  %ld:%02ld left   ",
                  static_cast<long long>(m_done), static_cast<long long>(m_total), fps, left / 60,
                  left % 60);
  } else {
    std::snprintf(line, sizeof line, "\rframe %lld  %.1f fps   ", static_cast<long long>(m_done),
                  fps);
  }
  std::fputs(line, stderr);
  std::fflush(stderr);
}

void Progress::Finish() {
  if (m_enabled && m_shown) std::fputs("\n", stderr);
  m_shown = false;
}

}  // namespace jf::cli
