#include "CommandLine.h"
#include "Commands.h"
#include "MorvaneVersion.h"
#include "StandardInput.h"
#include "SystemServices.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <new>
#include <type_traits>
#include <variant>

using namespace Qt::StringLiterals;

namespace {

using namespace morvane::keytool;

int Run(const Request& request) {
  return std::visit(
      [](const auto& what) -> int {
        using What = std::decay_t<decltype(what)>;
        if constexpr (std::is_same_v<What, GenerateRequest>) {
          morvane::SystemServices services;
          return RunGenerate(what, services, stdout, stderr);
        } else if constexpr (std::is_same_v<What, ScoreRequest>) {
          StandardInput keys;
          return RunScore(keys, stdout, stderr);
        } else if constexpr (std::is_same_v<What, ReportRequest>) {
          StandardInput keys;
          return RunReport(what, keys, stdout, stderr);
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
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(u"morvane-keytool"_s);
  QCoreApplication::setApplicationVersion(QStringLiteral(MORVANE_VERSION));
  try {
    return Run(ParseCommandLine(QCoreApplication::arguments()));
  } catch (const std::bad_alloc&) {
    std::fputs("morvane-keytool: out of memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "morvane-keytool: %s\n", error.what());
  }
  return kInputOutputFailure;
}
