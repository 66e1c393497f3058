// Runs morvane-keytool's score and report commands in process on arbitrary input and checks what
// they write: one answer per valid line, in order, each from the plain reference scorer and
// report rules; then, for a bad line, its number on standard error and exit status 2. The JSON
// lines must parse back to the exact key, whatever control characters or quotes it holds; the
// readable reports show every control and direction character as an escape, a backslash doubled,
// and hold no raw one at all.

#include "Commands.h"
#include "KeyLineReader.h"
#include "MemorySource.h"
#include "Output.h"
#include "QualityReport.h"
#include "ReferenceCheckKey.h"
#include "modCheckKey.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace {

using morvane::Score;

// Beyond this many bytes a line is scored by CheckKey, which the check-key target compares with
// the quadratic reference on its own.
constexpr std::size_t kLongestReferenceLine = 400;

[[noreturn]] void Fail(const char* what, std::size_t line_number) {
  std::fprintf(stderr, "%s (line %zu)\n", what, line_number);
  std::abort();
}

// A scratch file standing in for standard output or error.
class ScratchFile {
 public:
  ScratchFile() : file_(std::tmpfile()) {
    if (file_ == nullptr) std::abort();
  }
  ~ScratchFile() { std::fclose(file_); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ScratchFile(ScratchFile&&) = delete;
  ScratchFile& operator=(ScratchFile&&) = delete;

  int descriptor() const { return fileno(file_); }

  std::string Text() const {
    std::string text;
    std::array<char, 65536> bytes{};
    for (;;) {
      const ssize_t count =
          pread(descriptor(), bytes.data(), bytes.size(), static_cast<off_t>(text.size()));
      if (count <= 0) return text;
      text.append(bytes.data(), static_cast<std::size_t>(count));
    }
  }

 private:
  std::FILE* file_;
};

struct ExpectedInput {
  std::vector<std::string> keys;        // the valid lines before the first bad one
  std::optional<std::size_t> bad_line;  // its number, counting from 1
};

// Lines end at LF, a CR right before it is dropped, a last line without LF counts; a byte-order
// mark at the very start belongs to no line.
ExpectedInput SplitKeys(std::string_view input) {
  ExpectedInput expected;
  std::size_t number = 0;
  if (input.starts_with("\xEF\xBB\xBF")) input.remove_prefix(3);
  while (!input.empty()) {
    ++number;
    const std::size_t lf = input.find('\n');
    std::string_view line = input.substr(0, lf);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!morvane::reference::DecodeUtf8(line)) {
      expected.bad_line = number;
      return expected;
    }
    expected.keys.emplace_back(line);
    input.remove_prefix(lf == std::string_view::npos ? input.size() : lf + 1);
  }
  return expected;
}

Score ExpectedScore(std::string_view key) {
  if (key.size() > kLongestReferenceLine) return morvane::CheckKey(key);
  return *morvane::reference::ReferenceCheckKeyUtf8(key);
}

std::string ExpectedScores(const std::vector<std::string>& keys) {
  std::string out;
  for (const std::string& key : keys) out += std::to_string(ExpectedScore(key)) + "\n";
  return out;
}

// Characters that a terminal must not get raw: controls, the line and paragraph separators, and
// the marks, embeddings, overrides and isolates that reorder text.
bool IsHidden(char32_t code_point) {
  return code_point < 32 || (code_point >= 127 && code_point <= 159) || code_point == 0x061C ||
         code_point == 0x200E || code_point == 0x200F ||
         (code_point >= 0x2028 && code_point <= 0x202E) ||
         (code_point >= 0x2066 && code_point <= 0x2069);
}

// The key as a terminal shows it: code points below 128 that are hidden as \x1b, the other hidden
// ones as \u202e, a backslash doubled.
std::string VisibleKey(const std::string& key) {
  std::string shown;
  const std::optional<std::u32string> code_points = morvane::reference::DecodeUtf8(key);
  for (const char32_t code_point : *code_points) {
    std::array<char, 12> escape{};
    if (code_point == '\\') {
      shown += "\\\\";
    } else if (code_point < 128 && IsHidden(code_point)) {
      std::snprintf(escape.data(), escape.size(), "\\x%02x", static_cast<unsigned>(code_point));
      shown += escape.data();
    } else if (IsHidden(code_point)) {
      std::snprintf(escape.data(), escape.size(), "\\u%04x", static_cast<unsigned>(code_point));
      shown += escape.data();
    } else {
      shown += morvane::reference::EncodeUtf8(std::u32string(1, code_point));
    }
  }
  return shown;
}

std::string ExpectedReadableReports(const std::vector<std::string>& keys) {
  std::string out;
  for (const std::string& key : keys) {
    const morvane::QualityReport report =
        morvane::ReportForScore(VisibleKey(key), ExpectedScore(key));
    std::string prompt = report.prompt;
    // The two line breaks of the report; a key holds no LF, so the last two CR LF are they.
    for (int breaks = 0; breaks < 2; ++breaks) {
      const std::size_t at = prompt.rfind("\r\n");
      if (at == std::string::npos) break;
      prompt.erase(at, 1);  // the CR
    }
    out += report.title + "\n" + prompt + "\n\n";
  }
  return out;
}

void CheckJsonReports(std::string_view out, const std::vector<std::string>& keys) {
  std::size_t number = 0;
  for (const std::string& key : keys) {
    ++number;
    const std::size_t lf = out.find('\n');
    if (lf == std::string_view::npos) Fail("missing JSON line", number);
    const QByteArray line(out.data(), static_cast<qsizetype>(lf));
    out.remove_prefix(lf + 1);

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
      Fail("report line is not a JSON object", number);
    }
    const QJsonObject object = document.object();
    const Score score = ExpectedScore(key);
    const morvane::QualityReport expected = morvane::ReportForScore(key, score);
    if (object.size() != 4 || !object.value(QStringLiteral("score")).isDouble() ||
        object.value(QStringLiteral("score")).toInt() != score) {
      Fail("JSON score is wrong", number);
    }
    if (object.value(QStringLiteral("box")).toString() !=
        (expected.box == morvane::ReportBox::Critical ? QStringLiteral("Critical")
                                                      : QStringLiteral("Information"))) {
      Fail("JSON box is wrong", number);
    }
    if (object.value(QStringLiteral("title")).toString().toStdString() != expected.title) {
      Fail("JSON title is wrong", number);
    }
    if (object.value(QStringLiteral("prompt")).toString().toStdString() != expected.prompt) {
      Fail("JSON prompt does not give back the key and verdict", number);
    }
  }
  if (!out.empty()) Fail("more JSON lines than keys", number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t command = bytes[0] % 3;
  // Small pieces make lines and characters straddle the reads.
  const std::size_t piece = bytes[1] == 0 ? 65536 : bytes[1];
  const std::string_view input(reinterpret_cast<const char*>(bytes) + 2, size - 2);

  ScratchFile out_file;
  ScratchFile err_file;
  morvane::keytool::Output out(out_file.descriptor());
  morvane::keytool::Output err(err_file.descriptor());
  morvane::testing::MemorySource keys(input, piece);
  int status = 0;
  if (command == 0) {
    status = morvane::keytool::RunScore(keys, out, err);
  } else {
    status =
        morvane::keytool::RunReport(morvane::keytool::ReportRequest{command == 1}, keys, out, err);
  }

  const ExpectedInput expected = SplitKeys(input);
  const std::string written = out_file.Text();
  if (command == 0 && written != ExpectedScores(expected.keys)) {
    Fail("scores differ from the reference", expected.keys.size());
  }
  if (command == 1) CheckJsonReports(written, expected.keys);
  if (command == 2) {
    if (written != ExpectedReadableReports(expected.keys)) {
      Fail("readable reports differ", expected.keys.size());
    }
    // Only the report's own line breaks reach the terminal raw.
    const std::optional<std::u32string> shown = morvane::reference::DecodeUtf8(written);
    for (const char32_t code_point : *shown) {
      if (code_point != '\n' && IsHidden(code_point)) {
        Fail("a control character reached the terminal", expected.keys.size());
      }
    }
  }

  const std::string complaint = err_file.Text();
  if (expected.bad_line) {
    const std::string message =
        "morvane-keytool: line " + std::to_string(*expected.bad_line) + ": not valid UTF-8\n";
    if (status != morvane::keytool::kBadUsageOrInput || complaint != message) {
      Fail("bad line not named, or wrong exit status", *expected.bad_line);
    }
  } else if (status != morvane::keytool::kSuccess || !complaint.empty()) {
    Fail("valid input refused", expected.keys.size());
  }
  return 0;
}
