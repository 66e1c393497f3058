#include "Commands.h"

#include "Module1.h"
#include "ReportText.h"

#include <cstddef>
#include <string>

namespace morvane::keytool {
namespace {

bool Write(std::FILE* out, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

int Finish(std::FILE* out, std::FILE* err) {
  if (std::fflush(out) != 0 || std::ferror(out) != 0) {
    std::fputs("morvane-keytool: cannot write to standard output\n", err);
    return kInputOutputFailure;
  }
  return kSuccess;
}

// Hands every key of `keys` to `answer`; a faulty line ends the command with its message, after
// the answers to the lines before it.
int ForEachKey(ByteSource& keys, std::FILE* out, std::FILE* err,
               const KeyLineReader::LineHandler& answer) {
  KeyLineReader reader;
  const ReadOutcome outcome = reader.ReadAll(keys, answer);
  if (outcome.status == ReadOutcome::Status::Finished) return Finish(out, err);

  std::fflush(out);  // the answers so far come before the complaint
  const std::size_t line = outcome.line_number;
  switch (outcome.status) {
    case ReadOutcome::Status::InvalidUtf8:
      std::fprintf(err, "morvane-keytool: line %zu: not valid UTF-8\n", line);
      return kBadUsageOrInput;
    case ReadOutcome::Status::LineTooLong:
      std::fprintf(err, "morvane-keytool: line %zu: longer than %zu bytes\n", line,
                   KeyLineReader::kDefaultMaxLineBytes);
      return kBadUsageOrInput;
    case ReadOutcome::Status::ReadFailed:
      std::fprintf(err, "morvane-keytool: line %zu: cannot read standard input\n", line);
      return kInputOutputFailure;
    case ReadOutcome::Status::Finished:
      break;
  }
  return kSuccess;
}

}  // namespace

int RunGenerate(const GenerateRequest& request, RandomServices& services, std::FILE* out,
                std::FILE* err) {
  RandomizeFromTimer(services);
  for (long long made = 0; made < request.count; ++made) {
    KeyText key = MakeKey(services, request.length, request.class_code);
    key.push_back('\n');
    if (!Write(out, key)) break;
  }
  return Finish(out, err);
}

int RunScore(ByteSource& keys, std::FILE* out, std::FILE* err) {
  return ForEachKey(keys, out, err, [out](std::string_view key) {
    std::fprintf(out, "%d\n", static_cast<int>(CheckKey(key)));
  });
}

int RunReport(const ReportRequest& request, ByteSource& keys, std::FILE* out, std::FILE* err) {
  return ForEachKey(keys, out, err, [&request, out](std::string_view key) {
    const Score score = CheckKey(key);
    const QualityReport report = ReportForScore(key, score);
    Write(out, request.json ? ReportAsJsonLine(report, score) : ReportForReading(report));
  });
}

}  // namespace morvane::keytool
