// The hidden `generate-docs` subcommand: the build asks the command for its manual page and its
// shell completion, written from the option definitions the command parses with.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace jf::cli {

/// What `generate-docs` writes: "man", "bash" or "zsh".
struct DocsOptions {
  std::string kind;
};

/// Adds the subcommand to app, hidden from help, the manual and completion. Call it after every
/// other subcommand and option is defined.
CLI::App* AddDocsCommand(CLI::App& app, DocsOptions& options);

/// Writes the chosen text about app to standard output.
int RunDocsCommand(const CLI::App& app, const DocsOptions& options);

}  // namespace jf::cli
