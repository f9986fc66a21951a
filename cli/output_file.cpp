// See output_file.h.
#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "cli/errors.h"

namespace jf::cli {
namespace {

namespace fs = std::filesystem;

struct InjectedFailure {
  WriteStep step;
  int error;
};
std::optional<InjectedFailure> g_injected;

// Whether the step is to fail now; sets errno as the failing call would.
bool Injected(WriteStep step) {
  if (!g_injected || g_injected->step != step) return false;
  errno = g_injected->error;
  g_injected.reset();
  return true;
}

fs::path FolderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

std::string Errno() {
  return std::strerror(errno);
}

}  // namespace

std::string WriteTarget(const std::string& path) {
  fs::path p(path);
  // As many links as the kernel follows before it gives up (ELOOP).
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(p, ec)) break;
    const fs::path link = fs::read_symlink(p, ec);
    if (ec) break;
    p = link.is_absolute() ? link : FolderOf(p) / link;
  }
  return p.string();
}

void CheckOutputPath(const std::string& path, const std::vector<std::string>& inputs) {
  const fs::path target(WriteTarget(path));
  const fs::path folder = FolderOf(target);
  auto refuse = [&](const std::string& why) {
    throw CliError("cannot write '" + path + "': " + why, 2);
  };
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) refuse("no folder '" + folder.string() + "'");
  if (!S_ISDIR(st.st_mode)) refuse("'" + folder.string() + "' is not a folder");
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    refuse("the folder '" + folder.string() + "' is not writable (" + Errno() + ")");
  }
  if (::stat(target.c_str(), &st) != 0) return;  // a new file
  if (S_ISDIR(st.st_mode)) refuse("it is a folder");
  // Renaming over a device or a pipe would replace it rather than write into it.
  if (!S_ISREG(st.st_mode)) refuse("not a regular file");
  for (const std::string& input : inputs) {
    struct stat in {};
    if (!input.empty() && ::stat(input.c_str(), &in) == 0 && in.st_dev == st.st_dev &&
        in.st_ino == st.st_ino) {
      refuse("it is also an input ('" + input + "'); write the result to another file");
    }
  }
}

void FailNextWrite(WriteStep step, int error) {
  g_injected = InjectedFailure{step, error};
}

void ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const fs::path target(WriteTarget(path));
  const fs::path folder = FolderOf(target);
  struct stat existing {};
  const bool replacing = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);

  fs::path temp;
  int fd = -1;
  auto fail = [&](const std::string& why) {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlink(temp.c_str());
    throw CliError("cannot write '" + path + "': " + why, 1);
  };

  // A hidden name beside the target, made only by us (O_EXCL), so nothing in the folder can
  // redirect the write.
  for (int attempt = 0; fd < 0; ++attempt) {
    const fs::path candidate =
        folder / ("." + target.filename().string() + ".partial-" + std::to_string(::getpid()) +
                  "-" + std::to_string(attempt));
    // A new file is private until it takes the existing file's mode; without one it gets the
    // mode any new file gets.
    fd = Injected(WriteStep::Create)
             ? -1
             : ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      replacing ? 0600 : 0666);
    if (fd < 0 && (errno != EEXIST || attempt >= 100)) fail(Errno());
    if (fd >= 0) temp = candidate;
  }
  if (replacing) {
    // Owner first: changing it may clear set-id bits that the mode then restores. Only root may
    // give a file away; anyone else keeps the file as theirs.
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0 && errno != EPERM) fail(Errno());
    if (::fchmod(fd, existing.st_mode & 07777) != 0) fail(Errno());
  }

  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        Injected(WriteStep::Write) ? -1 : ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(n == 0 ? std::string("the device took no more bytes") : Errno());
    done += static_cast<std::size_t>(n);
  }
  if (Injected(WriteStep::SyncFile) || ::fsync(fd) != 0) fail(Errno());
  const int closing = fd;
  fd = -1;
  if (Injected(WriteStep::Close) || ::close(closing) != 0) fail(Errno());
  if (Injected(WriteStep::Rename) || ::rename(temp.c_str(), target.c_str()) != 0) fail(Errno());
  temp.clear();

  // The rename lasts only once the folder is on the device too.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool synced = dir >= 0 && !Injected(WriteStep::SyncFolder) && ::fsync(dir) == 0;
  const std::string why = synced ? "" : Errno();
  if (dir >= 0) ::close(dir);
  if (!synced) fail("the new file is in place, but its folder could not be synced (" + why + ")");
}

}  // namespace jf::cli
