#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <optional>

using namespace Qt::StringLiterals;

namespace morvane::keytool {
namespace {

constexpr long long kMaxLength = 255;
constexpr QStringView kKeysFromInput = u"; keys are read from standard input, one per line";

std::string Utf8(const QString& text) {
  return text.toStdString();
}

QString ClassCodeList() {
  QStringList numbers;
  for (const ClassCode code : AllClassCodes()) {
    numbers << QString::number(static_cast<int>(code));
  }
  return numbers.join(u", "_s);
}

std::optional<long long> WholeNumber(const QString& text) {
  bool ok = false;
  const long long number = text.toLongLong(&ok, 10);
  return ok ? std::optional<long long>(number) : std::nullopt;
}

// Never repeats what was typed: a mistyped command line may hold a key, which belongs in no log.
UsageError OutOfRange(const QString& option, const QString& allowed) {
  return {Utf8(u"--%1 must be %2."_s.arg(option, allowed))};
}

// What went wrong in Qt's parse, without Qt's message, which quotes the argument.
QString ParseProblem(const QCommandLineParser& parser) {
  return parser.unknownOptionNames().isEmpty() ? u"an option's value is missing or not allowed"_s
                                               : u"unknown option"_s;
}

// The options -h and --help only: Qt's own help option also offers --help-all, which shows the
// help of Qt's tools, not of this one.
QCommandLineOption AddHelpOption(QCommandLineParser& parser) {
  const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays help on commandline options."_s);
  parser.addOption(help);
  return help;
}

// Parses the arguments after a command's name; on failure names the options the command takes.
std::optional<UsageError> ParseCommandOptions(QCommandLineParser& parser, const QString& command,
                                              const QString& option_summary,
                                              const QStringList& arguments,
                                              QStringView no_arguments_hint = {}) {
  AddHelpOption(parser);
  if (!parser.parse(arguments)) {
    return UsageError{Utf8(
        u"%1: %2. Options of %1: %3--help."_s.arg(command, ParseProblem(parser), option_summary))};
  }
  if (!parser.positionalArguments().isEmpty() && !parser.isSet(u"help"_s)) {
    return UsageError{Utf8(u"%1 takes no arguments%2."_s.arg(command, no_arguments_hint))};
  }
  return std::nullopt;
}

TextToShow CommandHelp(const QCommandLineParser& parser, const QString& command) {
  QString help = parser.helpText();
  // Qt's usage line names only the program; this tool's commands go right after it.
  const QString options = u" [options]"_s;
  const qsizetype at = help.indexOf(options);
  if (at >= 0) help.insert(at, u' ' + command);
  return {Utf8(help)};
}

Request ParseGenerate(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(u"Prints K random keys, one per line."_s);
  const QCommandLineOption length(u"length"_s, u"Characters per key, 0 to 255 (default 12)."_s,
                                  u"N"_s, u"12"_s);
  const QCommandLineOption classes(
      u"classes"_s,
      u"Character classes: 1 upper case, 2 digits, 3 lower case, their combinations 12, 13, 23, "
      "123, or 66 for the single-byte characters 31 to 254 (default 123)."_s,
      u"CODE"_s, u"123"_s);
  const QCommandLineOption count(
      u"count"_s, u"Keys to print, 0 to %1 (default 1)."_s.arg(kMaxCount), u"K"_s, u"1"_s);
  parser.addOptions({length, classes, count});
  if (auto error = ParseCommandOptions(parser, u"generate"_s,
                                       u"--length N, --classes CODE, --count K, "_s, arguments)) {
    return *error;
  }
  if (parser.isSet(u"help"_s)) return CommandHelp(parser, u"generate"_s);

  GenerateRequest request;
  const std::optional<long long> length_number = WholeNumber(parser.value(length));
  if (!length_number || *length_number < 0 || *length_number > kMaxLength) {
    return OutOfRange(u"length"_s, u"a whole number from 0 to %1"_s.arg(kMaxLength));
  }
  request.length = static_cast<std::uint8_t>(*length_number);

  const std::optional<long long> classes_number = WholeNumber(parser.value(classes));
  const std::optional<ClassCode> class_code =
      classes_number ? ClassCodeFromNumber(*classes_number) : std::nullopt;
  if (!class_code) {
    return OutOfRange(u"classes"_s, u"one of "_s + ClassCodeList());
  }
  request.class_code = *class_code;

  const std::optional<long long> count_number = WholeNumber(parser.value(count));
  if (!count_number || *count_number < 0 || *count_number > kMaxCount) {
    return OutOfRange(u"count"_s, u"a whole number from 0 to %1"_s.arg(kMaxCount));
  }
  request.count = *count_number;
  return request;
}

Request ParseScore(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      u"Reads keys from standard input, one per line in UTF-8, and prints the quality score of "
      "each, 0 to 100, one per line."_s);
  if (auto error = ParseCommandOptions(parser, u"score"_s, QString(), arguments, kKeysFromInput)) {
    return *error;
  }
  if (parser.isSet(u"help"_s)) return CommandHelp(parser, u"score"_s);
  return ScoreRequest{};
}

Request ParseReport(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      u"Reads keys from standard input, one per line in UTF-8, and prints the quality report of "
      "each: its title and message, or with --json one object per line."_s);
  const QCommandLineOption json(
      u"json"_s, u"One JSON object per key: score, box, title and prompt (CR LF line breaks)."_s);
  parser.addOption(json);
  if (auto error =
          ParseCommandOptions(parser, u"report"_s, u"--json, "_s, arguments, kKeysFromInput)) {
    return *error;
  }
  if (parser.isSet(u"help"_s)) return CommandHelp(parser, u"report"_s);
  return ReportRequest{parser.isSet(json)};
}

}  // namespace

Request ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      u"Random keys and their quality in a terminal.\n\n"
      "Commands:\n"
      "  generate [--length N] [--classes CODE] [--count K]   print random keys\n"
      "  score                  print the quality score of each key read from standard input\n"
      "  report [--json]        print the quality report of each key read from standard input\n\n"
      "Keys are read one per line in UTF-8, never from the command line. See also\n"
      "'morvane-keytool <command> --help'."_s);
  const QCommandLineOption help = AddHelpOption(parser);
  const QCommandLineOption version = parser.addVersionOption();
  parser.addPositionalArgument(u"command"_s, u"generate, score or report."_s);
  // Everything from the command on belongs to the command's own parser.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

  const QString commands = u"generate, score or report"_s;
  if (!parser.parse(arguments)) {
    return UsageError{Utf8(
        u"%1. Options: --help, --version; commands: %2."_s.arg(ParseProblem(parser), commands))};
  }
  if (parser.isSet(help)) return TextToShow{Utf8(parser.helpText())};
  if (parser.isSet(version)) {
    return TextToShow{Utf8(u"%1 %2\n"_s.arg(QCoreApplication::applicationName(),
                                            QCoreApplication::applicationVersion()))};
  }

  QStringList rest = parser.positionalArguments();
  if (rest.isEmpty()) return UsageError{Utf8(u"missing command: use %1."_s.arg(commands))};
  const QString command = rest.takeFirst();
  rest.prepend(arguments.isEmpty() ? QString() : arguments.constFirst());
  if (command == u"generate"_s) return ParseGenerate(rest);
  if (command == u"score"_s) return ParseScore(rest);
  if (command == u"report"_s) return ParseReport(rest);
  return UsageError{Utf8(u"unknown command: use %1."_s.arg(commands))};
}

}  // namespace morvane::keytool
