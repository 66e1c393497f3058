#include "Commands.h"

#include "Module1.h"
#include "ReportText.h"

#include <cstddef>
#include <string>

namespace morvane::keytool {
namespace {

// A failure may show only when the buffer is passed on, so the stream's error flag counts too.
bool Write(std::FILE* out, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::ferror(out) == 0;
}

int WriteFailed(std::FILE* err) {
  std::fputs("morvane-keytool: cannot write to standard output\n", err);
  return kInputOutputFailure;
}

int Finish(std::FILE* out, std::FILE* err) {
  if (std::fflush(out) != 0 || std::ferror(out) != 0) return WriteFailed(err);
  return kSuccess;
}

// Hands every key of `keys` to `answer`, which says whether its answer was written; a faulty line
// ends the command with its message, after the answers to the lines before it.
int ForEachKey(ByteSource& keys, std::FILE* out, std::FILE* err,
               const KeyLineReader::LineHandler& answer) {
  KeyLineReader reader;
  const ReadOutcome outcome = reader.ReadAll(keys, answer);
  const std::size_t line = outcome.line_number;
  switch (outcome.status) {
    case ReadOutcome::Status::Finished:
      return Finish(out, err);
    case ReadOutcome::Status::Stopped:
      return WriteFailed(err);
    case ReadOutcome::Status::InvalidUtf8:
      if (Finish(out, err) != kSuccess) return kInputOutputFailure;
      std::fprintf(err, "morvane-keytool: line %zu: not valid UTF-8\n", line);
      return kBadUsageOrInput;
    case ReadOutcome::Status::LineTooLong:
      if (Finish(out, err) != kSuccess) return kInputOutputFailure;
      std::fprintf(err, "morvane-keytool: line %zu: longer than %zu bytes\n", line,
                   KeyLineReader::kDefaultMaxLineBytes);
      return kBadUsageOrInput;
    case ReadOutcome::Status::ReadFailed:
      if (Finish(out, err) != kSuccess) return kInputOutputFailure;
      std::fprintf(err, "morvane-keytool: line %zu: cannot read standard input\n", line);
      return kInputOutputFailure;
  }
  return kInputOutputFailure;
}

}  // namespace

int RunGenerate(const GenerateRequest& request, RandomServices& services, std::FILE* out,
                std::FILE* err) {
  RandomizeFromTimer(services);
  bool written = true;
  MakeKeys(services, request.length, request.class_code, static_cast<std::size_t>(request.count),
           [out, &written](std::string_view key) {
             written = Write(out, key) && Write(out, "\n");
             return written;
           });
  return written ? Finish(out, err) : WriteFailed(err);
}

int RunScore(ByteSource& keys, std::FILE* out, std::FILE* err) {
  return ForEachKey(keys, out, err, [out](std::string_view key) {
    return Write(out, std::to_string(CheckKey(key)) + '\n');
  });
}

int RunReport(const ReportRequest& request, ByteSource& keys, std::FILE* out, std::FILE* err) {
  return ForEachKey(keys, out, err, [&request, out](std::string_view key) {
    const Score score = CheckKey(key);
    // JSON escapes what needs it and keeps the key exact; the terminal gets it made harmless.
    return Write(out, request.json
                          ? ReportAsJsonLine(ReportForScore(key, score), score)
                          : ReportForReading(ReportForScore(WithVisibleControls(key), score)));
  });
}

}  // namespace morvane::keytool
