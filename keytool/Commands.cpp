#include "Commands.h"

#include "Module1.h"
#include "ReportText.h"

#include <cstddef>
#include <string>

namespace morvane::keytool {
namespace {

int WriteFailed(Output& err) {
  Complain(err, "cannot write to standard output");
  return kInputOutputFailure;
}

// Writes the answers so far before each wait for more keys: a key typed at a terminal, or sent
// down a slow pipe, is answered at once, while a file of keys is answered in large writes.
class AnswersFirst final : public ByteSource {
 public:
  AnswersFirst(ByteSource& keys, Output& out) : keys_(keys), out_(out) {}

  std::optional<std::size_t> Read(std::span<char> buffer) override {
    out_.Flush();  // a failure shows at the next answer, which then ends the command
    return keys_.Read(buffer);
  }

 private:
  ByteSource& keys_;
  Output& out_;
};

// Hands every key of `keys` to `answer`, which says whether its answer was written; a faulty line
// ends the command with its message, after the answers to the lines before it.
int ForEachKey(ByteSource& keys, Output& out, Output& err,
               const KeyLineReader::LineHandler& answer) {
  KeyLineReader reader;
  AnswersFirst source(keys, out);
  const ReadOutcome outcome = reader.ReadAll(source, answer);
  const std::string line = "line " + std::to_string(outcome.line_number) + ": ";
  switch (outcome.status) {
    case ReadOutcome::Status::Finished:
      return Finish(out, err);
    case ReadOutcome::Status::Stopped:
      return WriteFailed(err);
    case ReadOutcome::Status::InvalidUtf8:
      if (Finish(out, err) != kSuccess) return kInputOutputFailure;
      Complain(err, line + "not valid UTF-8");
      return kBadUsageOrInput;
    case ReadOutcome::Status::LineTooLong:
      if (Finish(out, err) != kSuccess) return kInputOutputFailure;
      Complain(err, line + "longer than " + std::to_string(KeyLineReader::kDefaultMaxLineBytes) +
                        " bytes");
      return kBadUsageOrInput;
    case ReadOutcome::Status::ReadFailed:
      if (Finish(out, err) != kSuccess) return kInputOutputFailure;
      Complain(err, line + "cannot read standard input");
      return kInputOutputFailure;
  }
  return kInputOutputFailure;
}

}  // namespace

int Finish(Output& out, Output& err) {
  return out.Flush() ? kSuccess : WriteFailed(err);
}

void Complain(Output& err, std::string_view message) {
  err.Write("morvane-keytool: ");
  err.Write(message);
  err.Write("\n");
  err.Flush();
}

int RunGenerate(const GenerateRequest& request, RandomServices& services, KeysTo keys_to,
                Output& out, Output& err) {
  RandomizeFromTimer(services);
  bool escaped = false;
  MakeKeys(services, request.length, request.class_code, static_cast<std::size_t>(request.count),
           [&](std::string_view key) {
             if (keys_to == KeysTo::Terminal && HoldsHiddenCharacters(key)) {
               escaped = true;
               return WriteVisible(key, out) && out.Write("\n");
             }
             return out.Write(key) && out.Write("\n");
           });
  const int status = Finish(out, err);
  if (status == kSuccess && escaped) {
    Complain(err,
             "keys with control characters are shown with escapes (\\x1f, \\u0081, \\\\ for a "
             "backslash); write them to a pipe or a file to get them exact");
  }
  return status;
}

int RunScore(ByteSource& keys, Output& out, Output& err) {
  return ForEachKey(keys, out, err, [&out](std::string_view key) {
    return out.Write(std::to_string(CheckKey(key))) && out.Write("\n");
  });
}

int RunReport(const ReportRequest& request, ByteSource& keys, Output& out, Output& err) {
  // The terminal gets the key made harmless; JSON escapes what it must and keeps it exact.
  ReportWriter reports(request.json ? ReportWriter::Form::Json : ReportWriter::Form::ForReading,
                       out);
  return ForEachKey(keys, out, err,
                    [&reports](std::string_view key) { return reports.Write(key, CheckKey(key)); });
}

}  // namespace morvane::keytool
