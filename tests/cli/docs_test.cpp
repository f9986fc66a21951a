// The manual page and shell completion the command writes about itself: every command and option
// its --help lists is in them, nothing hidden is, and man, bash and zsh take them.
#include <gmock/gmock.h>

#include <sstream>

#include "tests/cli/cli_support.h"

namespace {

using namespace jf::cli::testing;

// The first words of the lines of one section of CLI11's help ("Subcommands:", "Options:").
std::vector<std::string> HelpSection(const std::string& help, const std::string& title) {
  std::vector<std::string> words;
  std::istringstream in(help);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] != ' ') {
      inside = line == title;
      continue;
    }
    const auto start = line.find_first_not_of(' ');
    // Wrapped descriptions continue far to the right.
    if (!inside || start != 2) continue;
    words.push_back(line.substr(start, line.find(' ', start) - start));
  }
  return words;
}

// Every option name of a command as its help lists them ("-q,--quiet" gives both).
std::vector<std::string> HelpOptions(const std::string& command) {
  const Result help = RunCli(command + " --help");
  EXPECT_EQ(help.status, 0) << help.err;
  std::vector<std::string> names;
  for (const std::string& word : HelpSection(help.out, "Options:")) {
    std::istringstream parts(word);
    std::string name;
    while (std::getline(parts, name, ',')) names.push_back(name);
  }
  return names;
}

std::string Generated(const std::string& kind) {
  const Result r = RunCli("generate-docs " + kind);
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

// The roff spelling of an option name: minus signs, not hyphens.
std::string RoffName(const std::string& name) {
  std::string out;
  for (char c : name) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

TEST(CommandDocs, EveryCommandAndOptionAndNothingHidden) {
  const std::vector<std::string> commands = HelpSection(RunCli("--help").out, "Subcommands:");
  ASSERT_GE(commands.size(), 6u);
  for (const std::string kind : {"man", "bash", "zsh"}) {
    const std::string text = Generated(kind);
    const auto spelt = [&](const std::string& name) {
      return kind == std::string("man") ? RoffName(name) : name;
    };
    for (const std::string& name : HelpOptions("")) {
      EXPECT_NE(text.find(spelt(name)), std::string::npos) << kind << ": " << name;
    }
    for (const std::string& command : commands) {
      EXPECT_NE(text.find(command), std::string::npos) << kind << ": " << command;
      for (const std::string& name : HelpOptions(command)) {
        EXPECT_NE(text.find(spelt(name)), std::string::npos) << kind << ": " << command << name;
      }
    }
    EXPECT_EQ(text.find("generate"), std::string::npos) << kind;
  }
}

class CommandDocsFile : public CliTest {
 protected:
  std::string Write(const std::string& kind, const std::string& name) {
    WriteText(Path(name), Generated(kind));
    return Path(name);
  }
};

TEST_F(CommandDocsFile, ManReadsThePageWithoutWarnings) {
  if (Shell("command -v man >/dev/null") != 0) GTEST_SKIP() << "man is not installed";
  const std::string page = Write("man", "jitterforge.1");
  ASSERT_EQ(Shell("MANWIDTH=100 man --warnings -l " + page + " >" + Path("out.txt") + " 2>" +
                  Path("err.txt")),
            0);
  EXPECT_EQ(ReadText(Path("err.txt")), "");
  const std::string text = ReadText(Path("out.txt"));
  EXPECT_NE(text.find("jitterforge render [OPTIONS] files..."), std::string::npos) << text;
  EXPECT_NE(text.find("--depth 8|16|32"), std::string::npos) << text;
  EXPECT_NE(text.find("EXIT STATUS"), std::string::npos) << text;
}

// Completes a line in an interactive zsh on a pseudo-terminal and prints each candidate the
// completion functions add: zsh <this> FPATH_FOLDER "LINE". (The terminal echoes what is typed,
// so the markers are typed split in two.)
constexpr const char* kZshCapture = R"(zmodload zsh/zpty || exit 3
zpty z zsh -f -i
zpty -w z "fpath=($1 \$fpath); PROMPT=; autoload -U compinit; compinit -u -D"
zpty -w z 'bindkey "^I" complete-word; _mark() { print -r -- "<<""MARK>>" }'
zpty -w z 'compprefuncs=(_mark); comppostfuncs=(_mark exit)'
zpty -w z 'compadd() {
  if [[ ${@[1,(i)(-|--)]} == *-(O|A|D)\ * ]]; then builtin compadd "$@"; return $?; fi
  local -a hits; builtin compadd -A hits "$@"; local h
  for h in $hits; do print -r -- "<<""HIT>>$h"; done }'
zpty -w z "$2"$'\t'
integer marks=0
while (( marks < 2 )) && zpty -r z line; do
  [[ $line == *"<<MARK>>"* ]] && (( marks++ ))
  [[ $line == *"<<HIT>>"* ]] && print -r -- "${${line#*<<HIT>>}%%$'\r'*}"
done
zpty -d z
)";

// What the shells offer for a command line whose last word is being completed.
struct CompletionCase {
  std::vector<std::string> words;  // after the program's name
  std::vector<std::string> offered;
  bool exact;  // offered is all, not a part
};

class ShellCompletion : public CommandDocsFile,
                        public ::testing::WithParamInterface<CompletionCase> {
 protected:
  void Check(const std::string& output) {
    std::vector<std::string> offered;
    std::istringstream in(output);
    for (std::string word; std::getline(in, word);) {
      if (!word.empty()) offered.push_back(word);
    }
    std::vector<std::string> expected = GetParam().offered;
    std::sort(offered.begin(), offered.end());
    std::sort(expected.begin(), expected.end());
    if (GetParam().exact) {
      EXPECT_EQ(offered, expected);
    } else {
      for (const std::string& word : expected) {
        EXPECT_NE(std::find(offered.begin(), offered.end(), word), offered.end()) << word;
      }
    }
  }
};

TEST_P(ShellCompletion, BashOffersWhatTheCommandTakes) {
  const std::string script = Write("bash", "jitterforge.bash");
  std::string words = std::string("'") + JF_CLI_PATH + "'";
  for (const std::string& word : GetParam().words) words += " '" + word + "'";
  WriteText(Path("probe.sh"), "source '" + script + "' && COMP_WORDS=(" + words +
                                  ") && COMP_CWORD=" + std::to_string(GetParam().words.size()) +
                                  " && _jitterforge && printf '%s\\n' \"${COMPREPLY[@]}\"\n");
  ASSERT_EQ(Shell("bash " + Path("probe.sh") + " >" + Path("out.txt")), 0);
  Check(ReadText(Path("out.txt")));
}

TEST_P(ShellCompletion, ZshOffersWhatTheCommandTakes) {
  if (Shell("command -v zsh >/dev/null") != 0) GTEST_SKIP() << "zsh is not installed";
  Write("zsh", "_jitterforge");
  WriteText(Path("capture.zsh"), kZshCapture);
  std::string line = JF_CLI_PATH;
  for (const std::string& word : GetParam().words) line += " " + word;
  ASSERT_EQ(Shell("timeout 60 zsh -f " + Path("capture.zsh") + " " + m_dir.string() + " '" + line +
                  "' >" + Path("out.txt")),
            0);
  Check(ReadText(Path("out.txt")));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ShellCompletion,
    ::testing::Values(CompletionCase{{"re"}, {"render"}, true},
                      CompletionCase{{"render", "--dep"}, {"--depth"}, true},
                      CompletionCase{{"render", "--depth", ""}, {"8", "16", "32"}, true},
                      CompletionCase{{"stream", "--pix-fmt", "rgba6"}, {"rgba64le"}, true},
                      CompletionCase{{"render", "--look", "vhs-t"}, {"vhs-tracking"}, true},
                      CompletionCase{{"render", "--threads", ""}, {}, true},
                      CompletionCase{{"looks", "--"}, {"--help"}, true},
                      CompletionCase{
                          {"sheet", "--sample", "--"}, {"--vary", "--tiles", "--look"}, false},
                      CompletionCase{{"--"}, {"--help", "--version"}, true}));

TEST_F(CommandDocsFile, BashRegistersTheCompletion) {
  const std::string script = Write("bash", "jitterforge.bash");
  ASSERT_EQ(Shell("bash -c 'source " + script + " && complete -p jitterforge' >" + Path("out.txt")),
            0);
  EXPECT_EQ(ReadText(Path("out.txt")), "complete -o filenames -F _jitterforge jitterforge\n");
}

TEST_F(CommandDocsFile, ZshParsesTheCompletion) {
  if (Shell("command -v zsh >/dev/null") != 0) GTEST_SKIP() << "zsh is not installed";
  const std::string script = Write("zsh", "_jitterforge");
  EXPECT_EQ(Shell("zsh -n " + script), 0);
  EXPECT_EQ(ReadText(script).rfind("#compdef jitterforge\n", 0), 0u);
}

}  // namespace
