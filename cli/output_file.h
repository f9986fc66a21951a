// Output files replaced whole or not at all: written beside the target under a hidden name,
// synced, and renamed into place, with every step's result checked.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace jf::cli {

/// The file a write to path lands in: path itself, or where its chain of symbolic links ends, so
/// a link to a file keeps pointing at it.
std::string WriteTarget(const std::string& path);

/// Refuses with CliError (status 2), before anything renders, an output whose folder is missing
/// or not writable, that is a folder or another kind of non-file, or that is the same file as
/// one of inputs.
void CheckOutputPath(const std::string& path, const std::vector<std::string>& inputs);

/// Makes bytes the content of the file at path (or the file its symbolic links lead to). The new
/// file takes an existing file's mode, and its owner where that is permitted. Throws CliError
/// (status 1) with one line naming path when any step fails; the hidden file is removed and an
/// existing file keeps its bytes, unless only the final sync of the folder failed, after the
/// complete new file took its place.
void ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes);

/// The steps of ReplaceFile, in order.
enum class WriteStep { Create, Write, SyncFile, Close, Rename, SyncFolder };

/// Makes the next ReplaceFile fail at step with the error number error, as a full disk or a
/// failing device would. For tests.
void FailNextWrite(WriteStep step, int error);

}  // namespace jf::cli
