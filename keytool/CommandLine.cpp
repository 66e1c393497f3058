#include "CommandLine.h"

#include "MorvaneVersion.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace morvane::keytool {
namespace {

constexpr long long kMaxLength = 255;
constexpr std::string_view kCommands = "generate, score or report";
constexpr std::string_view kKeysFromInput = "; keys are read from standard input, one per line";

constexpr std::string_view kTopHelp =
    "Usage: morvane-keytool [options] command\n"
    "Random keys and their quality in a terminal.\n"
    "\n"
    "Commands:\n"
    "  generate [--length N] [--classes CODE] [--count K]   print random keys\n"
    "  score                  print the quality score of each key read from standard input\n"
    "  report [--json]        print the quality report of each key read from standard input\n"
    "\n"
    "Keys are read one per line in UTF-8, never from the command line. See also\n"
    "'morvane-keytool <command> --help'.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Displays help on commandline options.\n"
    "  -v, --version  Displays version information.\n";

constexpr std::string_view kGenerateHelp =
    "Usage: morvane-keytool generate [options]\n"
    "Prints K random keys, one per line.\n"
    "\n"
    "Options:\n"
    "  -h, --help        Displays help on commandline options.\n"
    "  --length <N>      Characters per key, 0 to 255 (default 12).\n"
    "  --classes <CODE>  Character classes: 1 upper case, 2 digits, 3 lower case, their\n"
    "                    combinations 12, 13, 23, 123, or 66 for the single-byte characters 31\n"
    "                    to 254 (default 123).\n"
    "  --count <K>       Keys to print, 0 to 1000000 (default 1).\n";

constexpr std::string_view kScoreHelp =
    "Usage: morvane-keytool score [options]\n"
    "Reads keys from standard input, one per line in UTF-8, and prints the quality score of\n"
    "each, 0 to 100, one per line.\n"
    "\n"
    "Options:\n"
    "  -h, --help  Displays help on commandline options.\n";

constexpr std::string_view kReportHelp =
    "Usage: morvane-keytool report [options]\n"
    "Reads keys from standard input, one per line in UTF-8, and prints the quality report of\n"
    "each: its title and message, or with --json one object per line.\n"
    "\n"
    "Options:\n"
    "  -h, --help  Displays help on commandline options.\n"
    "  --json      One JSON object per key: score, box, title and prompt (CR LF line breaks).\n";

// One level of the command line: the program's options before the command, or a command's own.
// Every option keeps each value given, so that a repeat can be refused, and what the parser does
// not know is left over for the caller to name.
class Level {
 public:
  Level() {
    app_.set_help_flag();  // its help and its message are CLI11's; these are the tool's
    app_.allow_extras();
    Flag("-h,--help");
  }

  void Flag(const std::string& names) {
    app_.add_flag(names)->disable_flag_override()->multi_option_policy(
        CLI::MultiOptionPolicy::TakeAll);
  }
  void Option(const std::string& name, std::string& value) {
    app_.add_option(name, value)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  }
  bool IsSet(const std::string& name) const { return app_.count(name) > 0; }

  // Stops at the first argument that is no option of this level, leaving it and all after it.
  void StopAtCommand() {
    app_.prefix_command();
    stops_at_command_ = true;
  }

  // Parses `arguments`; what is left over is in Rest(). On failure, says what was wrong in words
  // that repeat nothing typed: a mistyped command line may hold a key, which belongs in no log.
  // (CLI11's own messages quote the arguments, so none of them is shown.)
  std::optional<std::string> Parse(std::vector<std::string> arguments) {
    std::reverse(arguments.begin(), arguments.end());  // CLI11 takes the last one first
    try {
      app_.parse(arguments);
    } catch (const CLI::ParseError&) {
      return "an option's value is missing or not allowed";
    }
    rest_ = app_.remaining();
    // "--" ends the options: what follows it is an argument, however it looks. Before a command,
    // the first word left over is the command, an unknown option or that "--"; a "--" after the
    // command is the command's.
    if (stops_at_command_) {
      if (!rest_.empty() && rest_.front() == "--") {
        rest_.erase(rest_.begin());
      } else if (!rest_.empty() && LooksLikeOption(rest_.front())) {
        return "unknown option";
      }
    } else {
      const auto options_end = std::find(rest_.begin(), rest_.end(), "--");
      if (std::any_of(rest_.begin(), options_end, LooksLikeOption)) {
        return "unknown option";
      }
      if (options_end != rest_.end()) rest_.erase(options_end);
    }
    for (const CLI::Option* option : app_.get_options()) {
      if (option->count() > 1) return option->get_name() + " is given more than once";
    }
    return std::nullopt;
  }

  const std::vector<std::string>& Rest() const { return rest_; }

 private:
  static bool LooksLikeOption(const std::string& word) {
    return word.size() > 1 && word.front() == '-';
  }

  CLI::App app_;
  bool stops_at_command_ = false;
  std::vector<std::string> rest_;
};

// A whole number written in decimal digits only: no sign, no spaces.
std::optional<long long> WholeNumber(std::string_view text) {
  long long number = 0;
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

std::string ClassCodeList() {
  std::string list;
  for (const ClassCode code : AllClassCodes()) {
    if (!list.empty()) list += ", ";
    list += std::to_string(static_cast<int>(code));
  }
  return list;
}

UsageError OutOfRange(std::string_view option, std::string_view allowed) {
  return {std::string(option) + " must be " + std::string(allowed) + "."};
}

// Parses a command's options; on failure names the options the command takes.
std::optional<UsageError> ParseCommandOptions(Level& level, std::string_view command,
                                              std::string_view option_summary,
                                              const std::vector<std::string>& arguments,
                                              std::string_view no_arguments_hint = {}) {
  const std::string name(command);
  if (const auto problem = level.Parse(arguments)) {
    return UsageError{name + ": " + *problem + ". Options of " + name + ": " +
                      std::string(option_summary) + "--help."};
  }
  if (!level.Rest().empty() && !level.IsSet("--help")) {
    return UsageError{name + " takes no arguments" + std::string(no_arguments_hint) + "."};
  }
  return std::nullopt;
}

Request ParseGenerate(const std::vector<std::string>& arguments) {
  Level level;
  std::string length = "12";
  std::string classes = "123";
  std::string count = "1";
  level.Option("--length", length);
  level.Option("--classes", classes);
  level.Option("--count", count);
  if (auto error = ParseCommandOptions(level, "generate", "--length N, --classes CODE, --count K, ",
                                       arguments)) {
    return *error;
  }
  if (level.IsSet("--help")) return TextToShow{std::string(kGenerateHelp)};

  GenerateRequest request;
  const std::optional<long long> length_number = WholeNumber(length);
  if (!length_number || *length_number > kMaxLength) {
    return OutOfRange("--length", "a whole number from 0 to " + std::to_string(kMaxLength));
  }
  request.length = static_cast<std::uint8_t>(*length_number);

  const std::optional<long long> classes_number = WholeNumber(classes);
  const std::optional<ClassCode> class_code =
      classes_number ? ClassCodeFromNumber(*classes_number) : std::nullopt;
  if (!class_code) return OutOfRange("--classes", "one of " + ClassCodeList());
  request.class_code = *class_code;

  const std::optional<long long> count_number = WholeNumber(count);
  if (!count_number || *count_number > kMaxCount) {
    return OutOfRange("--count", "a whole number from 0 to " + std::to_string(kMaxCount));
  }
  request.count = *count_number;
  return request;
}

Request ParseScore(const std::vector<std::string>& arguments) {
  Level level;
  if (auto error = ParseCommandOptions(level, "score", "", arguments, kKeysFromInput)) {
    return *error;
  }
  if (level.IsSet("--help")) return TextToShow{std::string(kScoreHelp)};
  return ScoreRequest{};
}

Request ParseReport(const std::vector<std::string>& arguments) {
  Level level;
  level.Flag("--json");
  if (auto error = ParseCommandOptions(level, "report", "--json, ", arguments, kKeysFromInput)) {
    return *error;
  }
  if (level.IsSet("--help")) return TextToShow{std::string(kReportHelp)};
  return ReportRequest{level.IsSet("--json")};
}

}  // namespace

Request ParseCommandLine(const std::vector<std::string>& arguments) {
  const std::string commands(kCommands);
  Level level;
  level.Flag("-v,--version");
  level.StopAtCommand();  // everything from the command on belongs to the command
  if (const auto problem = level.Parse(arguments)) {
    return UsageError{*problem + ". Options: --help, --version; commands: " + commands + "."};
  }
  if (level.IsSet("--help")) return TextToShow{std::string(kTopHelp)};
  if (level.IsSet("--version")) return TextToShow{"morvane-keytool " MORVANE_VERSION "\n"};

  const std::vector<std::string>& rest = level.Rest();
  if (rest.empty()) return UsageError{"missing command: use " + commands + "."};
  const std::vector<std::string> options(rest.begin() + 1, rest.end());
  if (rest.front() == "generate") return ParseGenerate(options);
  if (rest.front() == "score") return ParseScore(options);
  if (rest.front() == "report") return ParseReport(options);
  return UsageError{"unknown command: use " + commands + "."};
}

}  // namespace morvane::keytool
