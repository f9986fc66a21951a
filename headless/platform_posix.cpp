// The host's platform side on Linux and other ELF systems: see platform.h.
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "headless/module.h"
#include "headless/platform.h"

namespace jf::headless {
namespace {

// A module is a few megabytes; anything this large is not one, and is not read into memory.
constexpr std::uint64_t kMaxModuleBytes = 1ull << 30;

[[noreturn]] void Fail(const std::string& origin, const std::string& what) {
  throw ModuleError(origin + ": " + what);
}

// A module file mapped read-only for as long as its PiPL is looked for. Only the pages looked at
// are read in, from the page cache that loading the module uses as well, where reading the whole
// file would touch every page of a fresh copy.
class MappedModuleFile {
 public:
  explicit MappedModuleFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(path, std::string("cannot open: ") + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      Fail(path, "not a regular file");
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxModuleBytes) {
      ::close(fd);
      Fail(path, "too large to be an effect module");
    }
    m_size = static_cast<std::size_t>(st.st_size);
    if (m_size > 0) {
      void* mapped = ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE, fd, 0);
      if (mapped == MAP_FAILED) {
        const int error = errno;
        ::close(fd);
        Fail(path, std::string("cannot read: ") + std::strerror(error));
      }
      m_data = static_cast<const std::uint8_t*>(mapped);
    }
    ::close(fd);
  }
  ~MappedModuleFile() {
    if (m_data != nullptr) ::munmap(const_cast<std::uint8_t*>(m_data), m_size);
  }
  MappedModuleFile(const MappedModuleFile&) = delete;
  MappedModuleFile& operator=(const MappedModuleFile&) = delete;

  std::span<const std::uint8_t> Bytes() const { return {m_data, m_size}; }

 private:
  const std::uint8_t* m_data = nullptr;
  std::size_t m_size = 0;
};

}  // namespace

std::vector<std::uint8_t> ReadElfSection(std::span<const std::uint8_t> file,
                                         const std::string& sectionName,
                                         const std::string& origin) {
  if (file.size() < EI_NIDENT || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0) {
    Fail(origin, "not an ELF file");
  }
  if (file[EI_CLASS] != ELFCLASS64 || file[EI_DATA] != ELFDATA2LSB) {
    Fail(origin, "not a 64-bit little-endian ELF file");
  }
  if (file.size() < sizeof(Elf64_Ehdr)) Fail(origin, "truncated ELF header");
  Elf64_Ehdr eh;
  std::memcpy(&eh, file.data(), sizeof eh);
  if (eh.e_type != ET_DYN) Fail(origin, "not an ELF shared library");
  if (eh.e_shoff == 0) Fail(origin, "no section headers, so no " + sectionName + " section");
  if (eh.e_shentsize != sizeof(Elf64_Shdr)) Fail(origin, "unexpected ELF section header size");

  auto sectionAt = [&](std::uint64_t index) {
    std::uint64_t at = eh.e_shoff + index * sizeof(Elf64_Shdr);
    if (eh.e_shoff > file.size() || index > file.size() / sizeof(Elf64_Shdr) ||
        at + sizeof(Elf64_Shdr) > file.size()) {
      Fail(origin, "ELF section headers run past the end of the file");
    }
    Elf64_Shdr sh;
    std::memcpy(&sh, file.data() + at, sizeof sh);
    return sh;
  };

  // Large files keep the real count and string-table index in section 0.
  std::uint64_t count = eh.e_shnum;
  std::uint64_t namesIndex = eh.e_shstrndx;
  if (count == 0) count = sectionAt(0).sh_size;
  if (namesIndex == SHN_XINDEX) namesIndex = sectionAt(0).sh_link;
  if (namesIndex >= count) Fail(origin, "ELF section name table index out of range");

  Elf64_Shdr names = sectionAt(namesIndex);
  if (names.sh_type == SHT_NOBITS || names.sh_offset > file.size() ||
      names.sh_size > file.size() - names.sh_offset) {
    Fail(origin, "ELF section name table runs past the end of the file");
  }
  auto nameTable = file.subspan(names.sh_offset, names.sh_size);

  for (std::uint64_t i = 0; i < count; ++i) {
    Elf64_Shdr sh = sectionAt(i);
    if (sh.sh_name >= nameTable.size()) continue;
    auto rest = nameTable.subspan(sh.sh_name);
    const void* nul = std::memchr(rest.data(), 0, rest.size());
    if (nul == nullptr) continue;
    std::string_view name(reinterpret_cast<const char*>(rest.data()),
                          static_cast<const std::uint8_t*>(nul) - rest.data());
    if (name != sectionName) continue;
    if (sh.sh_type == SHT_NOBITS || sh.sh_offset > file.size() ||
        sh.sh_size > file.size() - sh.sh_offset) {
      Fail(origin, sectionName + " section runs past the end of the file");
    }
    auto data = file.subspan(sh.sh_offset, sh.sh_size);
    return std::vector<std::uint8_t>(data.begin(), data.end());
  }
  Fail(origin, "no " + sectionName + " section (not an effect module)");
}

namespace platform {

std::vector<std::uint8_t> ReadPipl(const std::string& path) {
  const MappedModuleFile file(path);
  return ReadElfSection(file.Bytes(), ".pipl", path);
}

void* LoadCode(const std::string& path) {
  // The module's own symbols stay private to it, and every reference resolves now, so a broken
  // module fails here rather than in the middle of a render.
  void* library =
      ::dlopen(path.find('/') == std::string::npos ? ("./" + path).c_str() : path.c_str(),
               RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = ::dlerror();
    Fail(path, std::string("cannot load: ") + (why != nullptr ? why : "unknown error"));
  }
  return library;
}

void* FindExport(void* library, const std::string& name) {
  ::dlerror();
  return ::dlsym(library, name.c_str());
}

void UnloadCode(void* library) {
  ::dlclose(library);
}

int RedirectStdout(bool discard, int* nullDevice) {
  int target = STDERR_FILENO;
  if (discard) target = *nullDevice = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const int saved = ::dup(STDOUT_FILENO);
  if (saved >= 0 && target >= 0) ::dup2(target, STDOUT_FILENO);
  return saved;
}

void RestoreStdout(int saved, int nullDevice) {
  if (saved >= 0) {
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
  }
  if (nullDevice >= 0) ::close(nullDevice);
}

namespace {

// Transparent huge pages are 2 MB on x86-64 and arm64 Linux; a mapping aligned to them can be
// backed by them from its first touch.
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

// The length mapped for a buffer: whole huge pages, so that its last part is one too rather than
// hundreds of small pages, each its own fault. At most one huge page more than asked for, on
// buffers of at least one; 0 when the length does not fit.
std::size_t MappedLength(std::size_t bytes) {
  if (bytes > SIZE_MAX - 2 * kHugePage) return 0;
  return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

}  // namespace

void* MapPages(std::size_t bytes) {
  const std::size_t length = MappedLength(bytes);
  if (length == 0) return nullptr;
  // Mapped with a huge page to spare, then trimmed to start on a huge-page boundary.
  const std::size_t spare = length + kHugePage;
  void* mapped = ::mmap(nullptr, spare, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > start) ::munmap(mapped, aligned - start);
  const std::uintptr_t end = aligned + length;
  if (end < start + spare) ::munmap(reinterpret_cast<void*>(end), start + spare - end);
  void* data = reinterpret_cast<void*>(aligned);
#if defined(MADV_HUGEPAGE)
  ::madvise(data, length, MADV_HUGEPAGE);  // a hint: without it the pages are simply small
#endif
  return data;
}

void UnmapPages(void* data, std::size_t bytes) {
  if (data != nullptr) ::munmap(data, MappedLength(bytes));
}

}  // namespace platform
}  // namespace jf::headless
