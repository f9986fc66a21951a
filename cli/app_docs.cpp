// See app_docs.h.
#include "cli/app_docs.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace jf::cli {
namespace {

enum class ValueKind { Flag, Other, File, Folder, Choice, Listing };

struct OptionInfo {
  std::vector<std::string> names;  // short names first: "-q", "--quiet"
  std::string description;
  std::string placeholder;  // what the man page shows for the value; empty for a flag
  ValueKind kind = ValueKind::Flag;
  std::vector<std::string> choices;
  std::string listing;  // the subcommand listing the values
  bool repeatable = false;
};

struct CommandInfo {
  std::string name;
  std::string description;
  std::vector<OptionInfo> options;
  std::vector<OptionInfo> positionals;
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : separator) + part;
  return out;
}

// CLI11 writes a CLI::IsMember check into the type name as "INT:{8,16,32}".
std::vector<std::string> MemberChoices(const std::string& typeName) {
  const auto open = typeName.find(":{");
  if (open == std::string::npos) return {};
  const auto close = typeName.find('}', open);
  if (close == std::string::npos) return {};
  return Split(typeName.substr(open + 2, close - open - 2), ',');
}

OptionInfo Describe(const CLI::Option& option, const CompletionHints& hints) {
  OptionInfo info;
  for (const std::string& name : option.get_snames()) info.names.push_back("-" + name);
  for (const std::string& name : option.get_lnames()) info.names.push_back("--" + name);
  if (info.names.empty()) info.names.push_back(option.get_name(true));
  info.description = option.get_description();
  if (option.get_expected_max() == 0) return info;  // a flag

  const std::string typeName = option.get_type_name();
  info.placeholder = typeName.substr(0, typeName.find(':'));
  info.kind = ValueKind::Other;
  // Positionals here are the files a command reads and writes.
  if (!option.nonpositional()) info.kind = ValueKind::File;
  info.repeatable = option.get_items_expected_max() > 1;
  info.choices = MemberChoices(typeName);
  const std::string& longName = info.names.back();
  if (auto it = hints.choices.find(longName); it != hints.choices.end()) info.choices = it->second;
  if (!info.choices.empty()) {
    info.kind = ValueKind::Choice;
    info.placeholder = Join(info.choices, "|");
  } else if (hints.files.count(longName)) {
    info.kind = ValueKind::File;
  } else if (hints.folders.count(longName)) {
    info.kind = ValueKind::Folder;
  } else if (auto listing = hints.listings.find(longName); listing != hints.listings.end()) {
    info.kind = ValueKind::Listing;
    info.listing = listing->second;
  }
  return info;
}

CommandInfo DescribeCommand(const CLI::App& command, const CompletionHints& hints) {
  CommandInfo info;
  info.name = command.get_name();
  info.description = command.get_description();
  for (const CLI::Option* option : command.get_options()) {
    if (option->get_group().empty()) continue;  // hidden
    (option->nonpositional() ? info.options : info.positionals).push_back(Describe(*option, hints));
  }
  return info;
}

// The subcommands a user sees: hidden ones (an empty group) are for the build.
std::vector<CommandInfo> VisibleCommands(const CLI::App& app, const CompletionHints& hints) {
  std::vector<CommandInfo> commands;
  for (const CLI::App* command :
       app.get_subcommands([](const CLI::App* c) { return !c->get_group().empty(); })) {
    commands.push_back(DescribeCommand(*command, hints));
  }
  return commands;
}

// ---- roff ----

// Text for a roff line: backslashes and minus signs escaped (a plain "-" is a hyphen, which
// would not paste back into a shell), `code` in bold, and no control character at the start.
std::string Roff(const std::string& text) {
  std::string out;
  bool bold = false;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else if (c == '`') {
      out += bold ? "\\fR" : "\\fB";
      bold = !bold;
    } else {
      out += c;
    }
  }
  if (bold) out += "\\fR";
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  return out;
}

std::string RoffOptionLine(const OptionInfo& option) {
  std::vector<std::string> names;
  for (const std::string& name : option.names) names.push_back("\\fB" + Roff(name) + "\\fR");
  std::string line = Join(names, ", ");
  if (!option.placeholder.empty()) line += " \\fI" + Roff(option.placeholder) + "\\fR";
  return line;
}

std::string RoffSynopsis(const std::string& program, const CommandInfo& command) {
  std::string line = program + " " + command.name;
  if (!command.options.empty()) line += " [OPTIONS]";
  for (const OptionInfo& positional : command.positionals) {
    line += " " + positional.names.front() + (positional.repeatable ? "..." : "");
  }
  return line;
}

void RoffParagraphs(std::ostringstream& out, const std::vector<std::string>& paragraphs) {
  for (const std::string& paragraph : paragraphs) {
    if (const auto tab = paragraph.find('\t'); tab != std::string::npos) {
      out << ".TP\n"
          << Roff(paragraph.substr(0, tab)) << "\n"
          << Roff(paragraph.substr(tab + 1)) << "\n";
    } else if (paragraph.rfind("$ ", 0) == 0) {
      out << ".PP\n.RS\n.nf\n" << Roff(paragraph.substr(2)) << "\n.fi\n.RE\n";
    } else {
      out << ".PP\n" << Roff(paragraph) << "\n";
    }
  }
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// ---- shells ----

// A word for a single-quoted shell string.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::vector<std::string> OptionWords(const std::vector<OptionInfo>& options) {
  std::vector<std::string> words;
  for (const OptionInfo& option : options) {
    for (const std::string& name : option.names) words.push_back(name);
  }
  return words;
}

// The bash statement that completes a value of this kind; empty where nothing can be offered.
std::string BashValues(const OptionInfo& option) {
  switch (option.kind) {
    case ValueKind::File:
      return "mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")";
    case ValueKind::Folder:
      return "mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")";
    case ValueKind::Choice:
      return "mapfile -t COMPREPLY < <(compgen -W " + Quoted(Join(option.choices, " ")) +
             " -- \"$cur\")";
    case ValueKind::Listing:
      return "mapfile -t COMPREPLY < <(compgen -W \"$(\"${COMP_WORDS[0]}\" " + option.listing +
             " 2>/dev/null | cut -d ' ' -f 1)\" -- \"$cur\")";
    case ValueKind::Flag:
    case ValueKind::Other:
      break;
  }
  return "";
}

void BashCommandCase(std::ostringstream& out, const std::string& label,
                     const std::vector<OptionInfo>& options) {
  out << "    " << label << ")\n";
  out << "      options=" << Quoted(Join(OptionWords(options), " ")) << "\n";
  // Options by what completes their value: one case branch for each.
  std::vector<std::pair<std::string, std::vector<std::string>>> branches;
  for (const OptionInfo& option : options) {
    if (option.kind == ValueKind::Flag) continue;
    const std::string statement = BashValues(option);
    auto it = std::find_if(branches.begin(), branches.end(),
                           [&](const auto& branch) { return branch.first == statement; });
    if (it == branches.end()) it = branches.insert(branches.end(), {statement, {}});
    for (const std::string& name : option.names) it->second.push_back(name);
  }
  if (!branches.empty()) {
    out << "      case $prev in\n";
    for (const auto& [statement, names] : branches) {
      out << "        " << Join(names, "|") << ")\n";
      if (!statement.empty()) out << "          " << statement << "\n";
      out << "          return\n          ;;\n";
    }
    out << "      esac\n";
  }
  out << "      ;;\n";
}

// A description for zsh's _arguments: brackets and backslashes escaped.
std::string ZshDescription(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '[' || c == ']') out += '\\';
    out += c;
  }
  return out;
}

std::string ZshAction(const OptionInfo& option, const std::string& program) {
  switch (option.kind) {
    case ValueKind::File:
      return "_files";
    case ValueKind::Folder:
      return "_files -/";
    case ValueKind::Choice:
      return "(" + Join(option.choices, " ") + ")";
    case ValueKind::Listing:
      return "{_" + program + "_listing " + option.listing + "}";
    case ValueKind::Flag:
    case ValueKind::Other:
      break;
  }
  return " ";
}

std::string ZshMessage(const OptionInfo& option) {
  std::string name = option.names.back();
  name.erase(0, name.find_first_not_of('-'));
  return name;
}

void ZshArguments(std::ostringstream& out, const std::string& program, const std::string& indent,
                  const std::string& flags, const std::vector<OptionInfo>& options,
                  const std::vector<std::string>& tail, const std::string& after = "") {
  out << indent << "_arguments " << flags;
  for (const OptionInfo& option : options) {
    out << " \\\n" << indent << "  ";
    // Each option once, and --help or --version end the command line.
    const bool terminal = option.names.back() == "--help" || option.names.back() == "--version";
    const std::string exclusions =
        terminal ? "- *" : (option.repeatable ? "" : Join(option.names, " "));
    const std::string prefix =
        (exclusions.empty() ? "" : "(" + exclusions + ")") + (option.repeatable ? "*" : "");
    const std::string spec = "[" + ZshDescription(option.description) + "]" +
                             (option.kind == ValueKind::Flag
                                  ? ""
                                  : ":" + ZshMessage(option) + ":" + ZshAction(option, program));
    const std::string equals = option.kind == ValueKind::Flag ? "" : "=";
    if (option.names.size() == 1) {
      out << Quoted(prefix + option.names.front() + equals + spec);
    } else {
      std::vector<std::string> names;
      for (const std::string& name : option.names) names.push_back(name + equals);
      out << Quoted(prefix) << "{" << Join(names, ",") << "}" << Quoted(spec);
    }
  }
  for (const std::string& line : tail) out << " \\\n" << indent << "  " << line;
  out << after << "\n";
}

}  // namespace

std::string ManPage(const CLI::App& app, const ManualText& text, const CompletionHints& hints) {
  const std::string program = app.get_name();
  const CommandInfo top = DescribeCommand(app, hints);
  const std::vector<CommandInfo> commands = VisibleCommands(app, hints);
  std::ostringstream out;
  out << ".\\\" The manual of " << Roff(program) << ", written by the program from its own option "
      << "definitions.\n";
  out << ".TH " << Upper(program) << " 1 \"\" \"" << Roff(text.version) << "\" \"User Commands\"\n";
  out << ".SH NAME\n" << Roff(program) << " \\- " << Roff(text.summary) << "\n";
  out << ".SH SYNOPSIS\n";
  for (const CommandInfo& command : commands) {
    out << ".B " << Roff(RoffSynopsis(program, command)) << "\n.br\n";
  }
  std::vector<std::string> topNames;
  for (const OptionInfo& option : top.options) topNames.push_back(option.names.back());
  out << ".B " << Roff(program + " " + Join(topNames, " | ")) << "\n";
  out << ".SH DESCRIPTION\n";
  RoffParagraphs(out, text.description);
  out << ".SH OPTIONS\n";
  for (const OptionInfo& option : top.options) {
    out << ".TP\n" << RoffOptionLine(option) << "\n" << Roff(option.description) << "\n";
  }
  out << ".SH COMMANDS\n";
  for (const CommandInfo& command : commands) {
    out << ".SS \"" << Roff(RoffSynopsis(program, command)) << "\"\n";
    out << Roff(command.description) << ".\n";
    for (const OptionInfo& positional : command.positionals) {
      out << ".TP\n\\fI" << Roff(positional.names.front()) << "\\fR\n"
          << Roff(positional.description) << "\n";
    }
    for (const OptionInfo& option : command.options) {
      out << ".TP\n" << RoffOptionLine(option) << "\n" << Roff(option.description) << "\n";
    }
  }
  for (const auto& [title, paragraphs] : text.sections) {
    out << ".SH " << Roff(Upper(title)) << "\n";
    RoffParagraphs(out, paragraphs);
  }
  return out.str();
}

std::string BashCompletion(const CLI::App& app, const CompletionHints& hints) {
  const std::string program = app.get_name();
  const std::string function = "_" + program;
  const CommandInfo top = DescribeCommand(app, hints);
  const std::vector<CommandInfo> commands = VisibleCommands(app, hints);
  std::vector<std::string> names;
  std::vector<std::string> withFiles;
  for (const CommandInfo& command : commands) {
    names.push_back(command.name);
    if (!command.positionals.empty()) withFiles.push_back(command.name);
  }
  std::ostringstream out;
  out << "# bash completion for " << program
      << ", written by the program from its own option definitions.\n";
  out << function << "() {\n";
  out << "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n";
  out << "  local command='' options='' i\n";
  out << "  COMPREPLY=()\n";
  out << "  for ((i = 1; i < COMP_CWORD; i++)); do\n";
  out << "    case ${COMP_WORDS[i]} in\n";
  out << "      " << Join(names, "|") << ")\n";
  out << "        command=${COMP_WORDS[i]}\n        break\n        ;;\n";
  out << "    esac\n  done\n";
  out << "  case $command in\n";
  BashCommandCase(out, "''", top.options);
  for (const CommandInfo& command : commands) BashCommandCase(out, command.name, command.options);
  out << "  esac\n";
  out << "  if [[ $cur == -* ]]; then\n";
  out << "    mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n";
  out << "  elif [[ -z $command ]]; then\n";
  out << "    mapfile -t COMPREPLY < <(compgen -W " << Quoted(Join(names, " "))
      << " -- \"$cur\")\n";
  if (!withFiles.empty()) {
    out << "  elif [[ $command == @(" << Join(withFiles, "|") << ") ]]; then\n";
    out << "    mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n";
  }
  out << "  fi\n";
  out << "}\n";
  out << "complete -o filenames -F " << function << " " << program << "\n";
  return out.str();
}

std::string ZshCompletion(const CLI::App& app, const CompletionHints& hints) {
  const std::string program = app.get_name();
  const CommandInfo top = DescribeCommand(app, hints);
  const std::vector<CommandInfo> commands = VisibleCommands(app, hints);
  std::ostringstream out;
  out << "#compdef " << program << "\n";
  out << "# zsh completion for " << program
      << ", written by the program from its own option definitions.\n\n";
  out << "# The first word of each line a listing subcommand prints.\n";
  out << "_" << program << "_listing() {\n";
  out << "  local -a values\n";
  out << "  values=(${${(f)\"$(${~_" << program << "_program} $1 2>/dev/null)\"}%% *})\n";
  out << "  compadd -a values\n}\n\n";
  out << "_" << program << "() {\n";
  out << "  local _" << program << "_program=$words[1] curcontext=$curcontext state line\n";
  out << "  typeset -A opt_args\n";
  ZshArguments(out, program, "  ", "-C", top.options,
               {"'1:command:->command'", "'*::argument:->argument'"}, " && return");
  out << "  case $state in\n";
  out << "    command)\n";
  out << "      local -a commands\n      commands=(\n";
  for (const CommandInfo& command : commands) {
    out << "        " << Quoted(command.name + ":" + command.description) << "\n";
  }
  out << "      )\n";
  out << "      _describe -t commands command commands\n      ;;\n";
  out << "    argument)\n";
  out << "      curcontext=${curcontext%:*:*}:" << program << "-$line[1]:\n";
  out << "      case $line[1] in\n";
  for (const CommandInfo& command : commands) {
    out << "        " << command.name << ")\n";
    std::vector<std::string> tail;
    for (const OptionInfo& positional : command.positionals) {
      tail.push_back(
          Quoted((positional.repeatable ? "*:" : "1:") + positional.names.front() + ":_files"));
    }
    ZshArguments(out, program, "          ", "-s -S", command.options, tail);
    out << "          ;;\n";
  }
  out << "      esac\n      ;;\n";
  out << "  esac\n}\n\n";
  out << "_" << program << " \"$@\"\n";
  return out.str();
}

}  // namespace jf::cli
