#include "CommandLine.h"
#include "Commands.h"
#include "MorvaneVersion.h"
#include "StandardStreams.h"
#include "SystemServices.h"
#include "TerminalEcho.h"
#ifdef _WIN32
#include "WindowsConsole.h"
#endif

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <new>
#include <type_traits>
#include <variant>

using namespace Qt::StringLiterals;

namespace {

using namespace morvane::keytool;

// Score and report read keys; typed at a terminal, they stay off the screen.
template <typename Command>
int ReadKeys(bool input_closed, Command command) {
  if (input_closed) {
    std::fputs("morvane-keytool: standard input is closed\n", stderr);
    return kInputOutputFailure;
  }
  const TerminalEchoOff hidden(kStandardInput);
#ifdef _WIN32
  if (IsConsole(kStandardInput)) {
    ConsoleSource typed(kStandardInput);
    return command(typed);
  }
#endif
  DescriptorSource keys(kStandardInput);
  return command(keys);
}

int Run(const Request& request, bool input_closed) {
  return std::visit(
      [input_closed](const auto& what) -> int {
        using What = std::decay_t<decltype(what)>;
        if constexpr (std::is_same_v<What, GenerateRequest>) {
          morvane::SystemServices services;
          return RunGenerate(what, services, stdout, stderr);
        } else if constexpr (std::is_same_v<What, ScoreRequest>) {
          return ReadKeys(input_closed,
                          [](ByteSource& keys) { return RunScore(keys, stdout, stderr); });
        } else if constexpr (std::is_same_v<What, ReportRequest>) {
          return ReadKeys(input_closed, [&what](ByteSource& keys) {
            return RunReport(what, keys, stdout, stderr);
          });
        } else if constexpr (std::is_same_v<What, TextToShow>) {
          std::fputs(what.text.c_str(), stdout);
          return std::fflush(stdout) == 0 ? kSuccess : kInputOutputFailure;
        } else {
          std::fprintf(stderr, "morvane-keytool: %s\n", what.message.c_str());
          return kBadUsageOrInput;
        }
      },
      request);
}

}  // namespace

int main(int argc, char* argv[]) {
  // First of all: QCoreApplication opens descriptors of its own, which would take the numbers of
  // closed standard streams and receive the keys.
  const ClosedStreams closed = ReserveClosedStandardStreams();
  if (closed.output || closed.error) {
    if (!closed.error) {
      std::fputs("morvane-keytool: standard output is closed\n", stderr);
    }
    return kInputOutputFailure;
  }

#ifdef _WIN32
  const UnicodeConsoleOutput shown_as_typed;
#endif
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(u"morvane-keytool"_s);
  QCoreApplication::setApplicationVersion(QStringLiteral(MORVANE_VERSION));
  try {
    return Run(ParseCommandLine(QCoreApplication::arguments()), closed.input);
  } catch (const std::bad_alloc&) {
    std::fputs("morvane-keytool: out of memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "morvane-keytool: %s\n", error.what());
  }
  return kInputOutputFailure;
}
