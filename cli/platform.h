// What the command does differently per operating system: platform_posix.cpp and
// platform_windows.cpp hold one each.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace jf::cli::platform {

/// The running program's own file; empty when the system does not say.
std::filesystem::path ProgramPath();

/// Whether stream is a terminal (for progress lines a person reads).
bool IsTerminal(std::FILE* stream);

/// Readies standard input and output for raw frames: bytes pass unchanged, and a reader that
/// goes away is reported as a failed write rather than ending the process silently.
void PrepareRawStreams();

/// The memory this process may use: the machine's physical memory, or a smaller limit the
/// system sets for it (a container's control group); 0 when the system does not say.
std::uint64_t UsableMemory();

/// This process's id, for names no other process picks at the same time.
long ProcessId();

}  // namespace jf::cli::platform
