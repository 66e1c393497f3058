#pragma once

#include "CommandLine.h"
#include "KeyLineReader.h"
#include "PlatformServices.h"

#include <cstdio>

namespace morvane::keytool {

// Exit statuses of the tool.
inline constexpr int kSuccess = 0;
inline constexpr int kInputOutputFailure = 1;  // reading or writing failed
inline constexpr int kBadUsageOrInput = 2;     // a bad command line or a bad line of input

// Each command writes its answers to `out` and its one-line error, if any, to `err`, and
// returns the exit status. The first failed write ends it with status 1.
int RunGenerate(const GenerateRequest& request, RandomServices& services, std::FILE* out,
                std::FILE* err);
int RunScore(ByteSource& keys, std::FILE* out, std::FILE* err);
int RunReport(const ReportRequest& request, ByteSource& keys, std::FILE* out, std::FILE* err);

}  // namespace morvane::keytool
