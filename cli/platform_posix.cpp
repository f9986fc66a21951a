// The command's platform side on Linux and other POSIX systems: see platform.h.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>

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

std::uint64_t UsableMemory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  std::uint64_t bytes = pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) *
                                                        static_cast<std::uint64_t>(pageSize)
                                                  : 0;
  // A container's limit is what the kernel enforces on us, whatever the machine has.
  std::ifstream limit("/sys/fs/cgroup/memory.max");
  std::uint64_t cgroup = 0;
  if (limit >> cgroup && cgroup > 0) bytes = bytes == 0 ? cgroup : std::min(bytes, cgroup);
  return bytes;
}

long ProcessId() {
  return static_cast<long>(::getpid());
}

}  // namespace jf::cli::platform
