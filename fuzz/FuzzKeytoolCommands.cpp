// Runs morvane-keytool's score and report commands in process on arbitrary input and checks what
// they write: one answer per valid line, in order, each from the plain reference scorer and
// report rules; then, for a bad line, its number on standard error and exit status 2. The JSON
// lines must parse back to the exact key, whatever control characters or quotes it holds; the
// readable reports show every control character as an escape and hold no raw one at all.

#include "Commands.h"
#include "KeyLineReader.h"
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

namespace {

using morvane::Score;

// Beyond this many bytes a line is scored by CheckKey, which the check-key target compares with
// the quadratic reference on its own.
constexpr std::size_t kLongestReferenceLine = 400;

[[noreturn]] void Fail(const char* what, std::size_t line_number) {
  std::fprintf(stderr, "%s (line %zu)\n", what, line_number);
  std::abort();
}

// A FILE* that writes into memory, standing in for standard output or error.
class MemoryFile {
 public:
  MemoryFile() : file_(::open_memstream(&data_, &size_)) {
    if (file_ == nullptr) std::abort();
  }
  ~MemoryFile() {
    std::fclose(file_);
    std::free(data_);  // NOLINT(cppcoreguidelines-no-malloc): open_memstream allocates with malloc
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  MemoryFile(MemoryFile&&) = delete;
  MemoryFile& operator=(MemoryFile&&) = delete;

  std::FILE* get() const { return file_; }

  std::string Text() {
    std::fflush(file_);
    return {data_, size_};
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
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

// The key as a terminal shows it: code points below 32, 127 and 128 to 159 as escapes.
std::string VisibleKey(const std::string& key) {
  std::string shown;
  const std::optional<std::u32string> code_points = morvane::reference::DecodeUtf8(key);
  for (const char32_t code_point : *code_points) {
    std::array<char, 8> escape{};
    if (code_point < 32 || code_point == 127) {
      std::snprintf(escape.data(), escape.size(), "\\x%02x", static_cast<unsigned>(code_point));
      shown += escape.data();
    } else if (code_point >= 128 && code_point <= 159) {
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

  MemoryFile out;
  MemoryFile err;
  morvane::keytool::MemorySource keys(input, piece);
  int status = 0;
  if (command == 0) {
    status = morvane::keytool::RunScore(keys, out.get(), err.get());
  } else {
    status = morvane::keytool::RunReport(morvane::keytool::ReportRequest{command == 1}, keys,
                                         out.get(), err.get());
  }

  const ExpectedInput expected = SplitKeys(input);
  const std::string written = out.Text();
  if (command == 0 && written != ExpectedScores(expected.keys)) {
    Fail("scores differ from the reference", expected.keys.size());
  }
  if (command == 1) CheckJsonReports(written, expected.keys);
  if (command == 2) {
    if (written != ExpectedReadableReports(expected.keys)) {
      Fail("readable reports differ", expected.keys.size());
    }
    // Only the report's own line breaks reach the terminal raw.
    for (std::size_t at = 0; at < written.size(); ++at) {
      const auto byte = static_cast<unsigned char>(written[at]);
      const auto next = at + 1 < written.size() ? static_cast<unsigned char>(written[at + 1]) : 0U;
      const bool c1_control = byte == 0xC2U && next >= 0x80U && next <= 0x9FU;
      if ((byte < 32 && byte != '\n') || byte == 127 || c1_control) {
        Fail("a control character reached the terminal", expected.keys.size());
      }
    }
  }

  const std::string complaint = err.Text();
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
