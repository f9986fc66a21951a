// The command's platform side on Linux and other POSIX systems: see platform.h.
#include <unistd.h>

#include <csignal>

#include "cli/platform.h"

namespace jf::cli::platform {

std::filesystem::path ProgramPath() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : self;
}

bool IsTerminal(std::FILE* stream) {
  return ::isatty(::fileno(stream)) == 1;
}

void PrepareRawStreams() {
  std::signal(SIGPIPE, SIG_IGN);
}

long ProcessId() {
  return static_cast<long>(::getpid());
}

}  // namespace jf::cli::platform
