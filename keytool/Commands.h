#pragma once

#include "CommandLine.h"
#include "KeyLineReader.h"
#include "Output.h"
#include "PlatformServices.h"

namespace morvane::keytool {

// Exit statuses of the tool.
inline constexpr int kSuccess = 0;
inline constexpr int kInputOutputFailure = 1;  // reading or writing failed
inline constexpr int kBadUsageOrInput = 2;     // a bad command line or a bad line of input

// Where generated keys go: exact to a pipe or a file; to a terminal, keys with control characters
// are shown escaped, since a terminal may act on them and a key copied from the screen would not
// be the key anyway.
enum class KeysTo { PipeOrFile, Terminal };

// Each command writes its answers to `out` and its one-line error or note, if any, to `err`, and
// returns the exit status. The first failed write ends it with status 1.
int RunGenerate(const GenerateRequest& request, RandomServices& services, KeysTo keys_to,
                Output& out, Output& err);
int RunScore(ByteSource& keys, Output& out, Output& err);
int RunReport(const ReportRequest& request, ByteSource& keys, Output& out, Output& err);

// Sends what is left in `out` and returns the exit status: 1, with a line on `err`, when any write
// to `out` failed.
int Finish(Output& out, Output& err);

// Writes "morvane-keytool: " and `message` as a line.
void Complain(Output& err, std::string_view message);

}  // namespace morvane::keytool
