// What a host does differently per operating system, behind one small interface:
// platform_posix.cpp (dlopen, the ELF section ".pipl", file descriptors) and
// platform_windows.cpp (LoadLibraryW, the "PiPL" resource, the C runtime's descriptors).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jf::headless::platform {

/// The PiPL bytes the module file at path carries, read without running any of its code.
/// Throws ModuleError("<path>: ...") when the file is missing, is no module of this platform or
/// carries no PiPL.
std::vector<std::uint8_t> ReadPipl(const std::string& path);

/// Loads the module's code with every reference resolved now; throws ModuleError naming path.
void* LoadCode(const std::string& path);
/// The address of the function the module exports under name; null when it exports none.
void* FindExport(void* library, const std::string& name);
void UnloadCode(void* library);

/// Points the process's standard output at standard error, or at the null device when discard
/// is set, until RestoreStdout(saved) with the value returned (negative: nothing to restore).
int RedirectStdout(bool discard, int* nullDevice);
void RestoreStdout(int saved, int nullDevice);

/// Zeroed memory of bytes straight from the operating system, in huge pages where it offers them;
/// null when there is none. UnmapPages takes it back with the same bytes.
void* MapPages(std::size_t bytes);
void UnmapPages(void* data, std::size_t bytes);

}  // namespace jf::headless::platform
