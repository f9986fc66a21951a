// The host's platform side on Windows: see platform.h. The PiPL is the resource of type "PiPL"
// and id 16000 (resource type names compare without regard to case, so the "PIPL" that
// resource compilers write is found too).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "headless/module.h"
#include "headless/platform.h"

namespace jf::headless::platform {
namespace {

constexpr int kPiplResourceId = 16000;

[[noreturn]] void Fail(const std::string& origin, const std::string& what) {
  throw ModuleError(origin + ": " + what);
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

// The system's one-line text for an error code, without its trailing line break.
std::string ErrorText(DWORD code) {
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n > 0 && text != nullptr ? std::string(text, n) : std::string();
  if (text != nullptr) ::LocalFree(text);
  while (!out.empty() &&
         (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.')) {
    out.pop_back();
  }
  if (out.empty()) out = "system error";
  return out + " (error " + std::to_string(code) + ")";
}

// The same answers as on Linux for a path that is missing or is no file.
void CheckIsFile(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(std::filesystem::path(Wide(path)), ec);
  if (!std::filesystem::exists(status)) Fail(path, "cannot open: No such file or directory");
  if (!std::filesystem::is_regular_file(status)) Fail(path, "not a regular file");
}

// No error dialogs: a host without a desktop must get the error code, not a message box.
class QuietErrors {
 public:
  QuietErrors() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_old); }
  ~QuietErrors() { ::SetThreadErrorMode(m_old, nullptr); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  DWORD m_old = 0;
};

}  // namespace

std::vector<std::uint8_t> ReadPipl(const std::string& path) {
  CheckIsFile(path);
  QuietErrors quiet;
  // As data only: nothing of the module runs, and nothing it imports is loaded.
  HMODULE data = ::LoadLibraryExW(Wide(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (data == nullptr) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_BAD_EXE_FORMAT || code == ERROR_INVALID_EXE_SIGNATURE) {
      Fail(path, "not a Windows module (no PE image)");
    }
    Fail(path, "cannot open: " + ErrorText(code));
  }
  std::vector<std::uint8_t> bytes;
  bool found = false;
  if (HRSRC resource = ::FindResourceA(data, MAKEINTRESOURCEA(kPiplResourceId), "PiPL")) {
    const DWORD size = ::SizeofResource(data, resource);
    HGLOBAL loaded = ::LoadResource(data, resource);
    const void* at = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (at != nullptr) {
      const auto* begin = static_cast<const std::uint8_t*>(at);
      bytes.assign(begin, begin + size);
      found = true;
    }
  }
  ::FreeLibrary(data);
  if (!found) Fail(path, "no PiPL resource (not an effect module)");
  return bytes;
}

void* LoadCode(const std::string& path) {
  QuietErrors quiet;
  // An absolute path loads exactly this file, and lets its own folder supply what it imports.
  std::error_code ec;
  std::filesystem::path file = std::filesystem::absolute(std::filesystem::path(Wide(path)), ec);
  if (ec) file = std::filesystem::path(Wide(path));
  HMODULE library = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (library == nullptr) Fail(path, "cannot load: " + ErrorText(::GetLastError()));
  return reinterpret_cast<void*>(library);
}

void* FindExport(void* library, const std::string& name) {
  FARPROC symbol = ::GetProcAddress(static_cast<HMODULE>(library), name.c_str());
  return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(symbol));
}

void UnloadCode(void* library) {
  ::FreeLibrary(static_cast<HMODULE>(library));
}

int RedirectStdout(bool discard, int* nullDevice) {
  int target = _fileno(stderr);
  if (discard) target = *nullDevice = ::_open("NUL", _O_WRONLY | _O_NOINHERIT);
  const int saved = ::_dup(_fileno(stdout));
  if (saved >= 0 && target >= 0) ::_dup2(target, _fileno(stdout));
  return saved;
}

void RestoreStdout(int saved, int nullDevice) {
  if (saved >= 0) {
    ::_dup2(saved, _fileno(stdout));
    ::_close(saved);
  }
  if (nullDevice >= 0) ::_close(nullDevice);
}

void* MapPages(std::size_t bytes) {
  // Committed pages read as zero until written; large pages need a privilege users rarely hold.
  return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapPages(void* data, std::size_t) {
  if (data != nullptr) ::VirtualFree(data, 0, MEM_RELEASE);
}

}  // namespace jf::headless::platform
