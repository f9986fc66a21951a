// A manual page and shell completion scripts written from a CLI11 command's own definitions, so
// they list exactly the subcommands and options the command accepts.
#pragma once

#include <CLI/CLI.hpp>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace jf::cli {

/// What the option definitions do not say: the kind of value an option takes, by long name
/// ("--module"). An option named in none of these takes a value nothing can be offered for.
struct CompletionHints {
  std::set<std::string> files;
  std::set<std::string> folders;
  std::map<std::string, std::vector<std::string>> choices;
  /// Values listed by a subcommand of the program, one a line, the value its first word
  /// ("--look" from `jitterforge looks`).
  std::map<std::string, std::string> listings;
};

/// The prose around the generated command reference.
struct ManualText {
  std::string version;                   ///< e.g. "jitterforge 1.0.3"
  std::string summary;                   ///< NAME's one line after the dash
  std::vector<std::string> description;  ///< paragraphs
  /// Further sections in order: title, then paragraphs; a paragraph "TERM\tTEXT" becomes a
  /// tagged paragraph and one starting with "$ " an example command.
  std::vector<std::pair<std::string, std::vector<std::string>>> sections;
};

/// The manual page in roff (man(7) macros): NAME, SYNOPSIS, DESCRIPTION, a section for each
/// visible subcommand with its options (the hints' choices shown as values), then the further
/// sections.
std::string ManPage(const CLI::App& app, const ManualText& text, const CompletionHints& hints);

/// A bash completion script defining _<name> and registering it with `complete`.
std::string BashCompletion(const CLI::App& app, const CompletionHints& hints);

/// A zsh completion function file (#compdef <name>) for fpath.
std::string ZshCompletion(const CLI::App& app, const CompletionHints& hints);

}  // namespace jf::cli
