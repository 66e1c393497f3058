#include "CommandLine.h"
#include "Commands.h"
#include "Output.h"
#include "ProtectProcess.h"
#include "StandardStreams.h"
#include "SystemRandomServices.h"
#include "TerminalEcho.h"
#ifdef _WIN32
#include "WindowsConsole.h"
#endif

#include <new>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

using namespace morvane::keytool;

constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

// Score and report read keys; typed at a terminal, they stay off the screen.
template <typename Command>
int ReadKeys(bool input_closed, Output& err, Command command) {
  if (input_closed) {
    Complain(err, "standard input is closed");
    return kInputOutputFailure;
  }
  const TerminalEchoOff hidden(kStandardInput);
#ifdef _WIN32
  if (IsTerminal(kStandardInput)) {
    ConsoleSource typed(kStandardInput);
    return command(typed);
  }
#endif
  DescriptorSource keys(kStandardInput);
  return command(keys);
}

// A closed stream that the request does not need is no failure: a usage error needs only
// standard error, generate no standard input, and nothing needs standard error to succeed.
int Run(const Request& request, const ClosedStreams& closed, Output& out, Output& err) {
  return std::visit(
      [&](const auto& what) -> int {
        using What = std::decay_t<decltype(what)>;
        if constexpr (std::is_same_v<What, UsageError>) {
          Complain(err, what.message);
          return kBadUsageOrInput;
        } else {
          if (closed.output) {
            Complain(err, "standard output is closed");
            return kInputOutputFailure;
          }
          if constexpr (std::is_same_v<What, GenerateRequest>) {
            morvane::SystemRandomServices services;
            const KeysTo keys_to =
                IsTerminal(kStandardOutput) ? KeysTo::Terminal : KeysTo::PipeOrFile;
            return RunGenerate(what, services, keys_to, out, err);
          } else if constexpr (std::is_same_v<What, ScoreRequest>) {
            return ReadKeys(closed.input, err,
                            [&](ByteSource& keys) { return RunScore(keys, out, err); });
          } else if constexpr (std::is_same_v<What, ReportRequest>) {
            return ReadKeys(closed.input, err,
                            [&](ByteSource& keys) { return RunReport(what, keys, out, err); });
          } else {
            out.Write(what.text);  // a failed write is reported by Finish, never silent
            return Finish(out, err);
          }
        }
      },
      request);
}

}  // namespace

// Only running out of memory is caught: any other exception would be a fault of the program
// itself, which had better end it loudly than be reported as a failure of the input or output.
int main(int argc, char* argv[]) {  // NOLINT(bugprone-exception-escape)
  morvane::ProtectProcess();
  // First of all, before anything opens a file that could take the number of a closed standard
  // stream and receive what was meant for it.
  const ClosedStreams closed = ReserveClosedStandardStreams();
  Output out(kStandardOutput);
  Output err(kStandardError);
  try {
    return Run(ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc)), closed, out, err);
  } catch (const std::bad_alloc&) {
    // The one failure that no step returns: memory for the command line, a long line or the
    // answers ran out. The answers so far still go out.
    out.Flush();
    Complain(err, "out of memory");
    return kInputOutputFailure;
  }
}
