// The command's platform side on Windows: see platform.h.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

#include "cli/platform.h"

namespace jf::cli::platform {

std::filesystem::path ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return std::filesystem::path(path);
    }
    path.resize(path.size() * 2);  // truncated: try again with room
  }
}

bool IsTerminal(std::FILE* stream) {
  return ::_isatty(::_fileno(stream)) != 0;
}

void PrepareRawStreams() {
  // Text mode would turn every 0x0A byte of a frame into 0x0D 0x0A and stop reading at 0x1A.
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
}

std::uint64_t UsableMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  return ::GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

long ProcessId() {
  return static_cast<long>(::GetCurrentProcessId());
}

}  // namespace jf::cli::platform
