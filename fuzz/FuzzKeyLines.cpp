// Feeds arbitrary bytes to morvane-keytool's line reader in uneven pieces or whole in place, with
// a line limit, a wrong size hint and a read that fails part way, and checks every outcome against
// a plain split of the same bytes: each valid line is handed on unchanged, and reading stops at the
// first bad line with its number.

#include "FrontReader.h"
#include "KeyLineReader.h"
#include "ReferenceCheckKey.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using morvane::keytool::ByteSource;
using morvane::keytool::KeyLineReader;
using morvane::keytool::ReadOutcome;
using Status = ReadOutcome::Status;

struct Expected {
  std::vector<std::string> lines;
  ReadOutcome outcome;
};

// How a source hands out its bytes.
struct SourceScript {
  std::size_t piece = 1;               // at most this many bytes a read
  std::optional<std::size_t> fail_at;  // a read fails once this many bytes were delivered
  std::size_t size_hint = 0;           // may be wrong, as for a file that changes while read
  bool whole = false;                  // shows the input in place, as a mapped file does
};

// Hands out the input as scripted: in pieces, possibly failing part way, or whole in place.
class ScriptedSource final : public ByteSource {
 public:
  ScriptedSource(std::string_view bytes, const SourceScript& script)
      : bytes_(bytes), script_(script) {}

  std::optional<std::size_t> Read(std::span<char> buffer) override {
    if (script_.whole) {
      std::fprintf(stderr, "the reader read a source that shows its input whole\n");
      std::abort();
    }
    if (buffer.empty()) {
      std::fprintf(stderr, "the reader asked for no bytes, which reads as the end\n");
      std::abort();
    }
    std::size_t available = bytes_.size() - delivered_;
    if (script_.fail_at) {
      if (delivered_ == *script_.fail_at) return std::nullopt;
      available = std::min(available, *script_.fail_at - delivered_);
    }
    const std::size_t count = std::min({buffer.size(), script_.piece, available});
    std::memcpy(buffer.data(), bytes_.data() + delivered_, count);
    delivered_ += count;
    return count;
  }

  std::size_t SizeHint() const override { return script_.size_hint; }

  std::optional<std::string_view> WholeInput() override {
    if (!script_.whole) return std::nullopt;
    return bytes_;
  }

 private:
  std::string_view bytes_;
  std::size_t delivered_ = 0;
  SourceScript script_;
};

// The outcome by the rules of the tool's input, from the bytes that arrive before the end or the
// failure. A line is too long when it holds more than `max_line_bytes` without its line break;
// while its LF is missing, one byte more is allowed for a CR that may still precede it.
Expected SplitLines(std::string_view delivered, bool read_fails, std::size_t max_line_bytes) {
  Expected expected;
  std::size_t number = 0;
  auto judge = [&](std::string_view line) -> bool {
    ++number;
    if (line.size() > max_line_bytes) {
      expected.outcome = {Status::LineTooLong, number};
      return false;
    }
    if (!morvane::reference::DecodeUtf8(line)) {
      expected.outcome = {Status::InvalidUtf8, number};
      return false;
    }
    expected.lines.emplace_back(line);
    return true;
  };

  std::string_view rest = delivered;
  for (std::size_t lf = rest.find('\n'); lf != std::string_view::npos; lf = rest.find('\n')) {
    std::string_view line = rest.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!judge(line)) return expected;
    rest.remove_prefix(lf + 1);
  }
  if (read_fails) {
    expected.outcome = rest.size() > max_line_bytes + 1
                           ? ReadOutcome{Status::LineTooLong, number + 1}
                           : ReadOutcome{Status::ReadFailed, number + 1};
    return expected;
  }
  if (!rest.empty() && !judge(rest)) return expected;
  expected.outcome = {Status::Finished, number};
  return expected;
}

void CheckRun(KeyLineReader& reader, ScriptedSource& source, const Expected& expected) {
  std::vector<std::string> lines;
  const ReadOutcome outcome =
      reader.ReadAll(source, [&](std::string_view line) { lines.emplace_back(line); });
  if (outcome.status != expected.outcome.status ||
      outcome.line_number != expected.outcome.line_number) {
    std::fprintf(stderr, "outcome %d at line %zu, expected %d at line %zu\n",
                 static_cast<int>(outcome.status), outcome.line_number,
                 static_cast<int>(expected.outcome.status), expected.outcome.line_number);
    std::abort();
  }
  if (lines != expected.lines) {
    std::fprintf(stderr, "handed on %zu lines, expected %zu, or their bytes differ\n", lines.size(),
                 expected.lines.size());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  morvane::fuzzing::FrontReader settings({bytes, std::min<std::size_t>(size, 5)});
  const std::uint8_t piece_setting = settings.Byte();
  const std::uint8_t limit_setting = settings.Byte();
  const std::uint8_t source_setting = settings.Byte();
  const std::uint8_t hint_setting = settings.Byte();
  const std::uint8_t repeat_setting = settings.Byte();
  const std::string_view body(reinterpret_cast<const char*>(bytes) + std::min<std::size_t>(size, 5),
                              size - std::min<std::size_t>(size, 5));

  // Uneven pieces split lines, CR LF pairs and multi-byte characters across reads.
  SourceScript script;
  script.piece = piece_setting == 0 ? 1U << 20U : piece_setting;
  // Mostly a small limit, so that too-long lines turn up; otherwise the tool's own.
  const std::size_t max_line_bytes =
      limit_setting < 200 ? limit_setting : KeyLineReader::kDefaultMaxLineBytes;
  // Large repeats make lines that outgrow the reader's first buffer.
  const std::size_t repeats =
      repeat_setting >= 240 ? static_cast<std::size_t>(repeat_setting - 239U) * 16U : 1U;
  std::string input;
  input.reserve(body.size() * repeats);
  for (std::size_t i = 0; i < repeats; ++i) input.append(body);

  if (source_setting >= 128) {
    script.fail_at =
        std::min<std::size_t>(input.size(), static_cast<std::size_t>(source_setting - 128U) * 7U);
  } else {
    script.whole = source_setting >= 64;
  }
  script.size_hint = hint_setting < 64 ? 0 : static_cast<std::size_t>(hint_setting - 64U) * 11U;

  const std::string_view delivered =
      script.fail_at ? std::string_view(input).substr(0, *script.fail_at) : std::string_view(input);
  const Expected expected = SplitLines(delivered, script.fail_at.has_value(), max_line_bytes);

  // The same reader twice, the second time the other way round when the input can be shown
  // whole: nothing of the first run may leak into the second.
  KeyLineReader reader(max_line_bytes);
  for (int run = 0; run < 2; ++run) {
    ScriptedSource source(input, script);
    CheckRun(reader, source, expected);
    if (!script.fail_at) script.whole = !script.whole;
  }
  return 0;
}
