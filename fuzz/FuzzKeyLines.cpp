// Feeds arbitrary bytes to morvane-keytool's line reader in uneven pieces, with a line limit, a
// read that fails part way and a handler that asks to stop, and checks every outcome against a
// plain split of the same bytes: each valid line is handed on unchanged, a byte-order mark at the
// very start belongs to no line, and reading stops at the first bad line with its number, having
// read no further than that line's limit allows.

#include "FrontReader.h"
#include "KeyLineReader.h"
#include "MemorySource.h"
#include "ReferenceCheckKey.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using morvane::keytool::KeyLineReader;
using morvane::keytool::ReadOutcome;
using morvane::testing::MemorySource;
using Status = ReadOutcome::Status;

struct Expected {
  std::vector<std::string> lines;
  ReadOutcome outcome;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// How a source hands out its bytes, and when the handler asks to stop.
struct SourceScript {
  std::size_t piece = 1;               // at most this many bytes a read
  std::optional<std::size_t> fail_at;  // a read fails once this many bytes were delivered
  std::optional<std::size_t> stop_at;  // the handler asks to stop at this line
};

// The outcome by the rules of the tool's input, from the bytes that arrive before the end or the
// failure. A line is too long when it holds more than `max_line_bytes` without its line break;
// while its LF is missing, one byte more is allowed for a CR that may still precede it.
Expected SplitLines(std::string_view delivered, const SourceScript& script,
                    std::size_t max_line_bytes) {
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
    if (script.stop_at == number) {
      expected.outcome = {Status::Stopped, number};
      return false;
    }
    return true;
  };

  std::string_view rest = delivered;
  // Only a whole mark counts; a failure may cut it short, and then the line has begun.
  const bool starts_with_mark = rest.starts_with(kByteOrderMark);
  const bool mark_cut_short =
      script.fail_at && !rest.empty() && rest.size() < 3 && kByteOrderMark.starts_with(rest);
  if (starts_with_mark) rest.remove_prefix(kByteOrderMark.size());
  for (std::size_t lf = rest.find('\n'); lf != std::string_view::npos; lf = rest.find('\n')) {
    std::string_view line = rest.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!judge(line)) return expected;
    rest.remove_prefix(lf + 1);
  }
  if (script.fail_at) {
    expected.outcome = rest.size() > max_line_bytes + 1 && !mark_cut_short
                           ? ReadOutcome{Status::LineTooLong, number + 1}
                           : ReadOutcome{Status::ReadFailed, number + 1};
    return expected;
  }
  if (!rest.empty() && !judge(rest)) return expected;
  expected.outcome = {Status::Finished, number};
  return expected;
}

void CheckRun(KeyLineReader& reader, MemorySource& source, const SourceScript& script,
              std::size_t max_line_bytes, const Expected& expected) {
  std::vector<std::string> lines;
  const ReadOutcome outcome = reader.ReadAll(source, [&](std::string_view line) {
    lines.emplace_back(line);
    return script.stop_at != lines.size();
  });
  if (outcome.status != expected.outcome.status ||
      outcome.line_number != expected.outcome.line_number) {
    std::fprintf(stderr, "outcome %d at line %zu, expected %d at line %zu\n",
                 static_cast<int>(outcome.status), outcome.line_number,
                 static_cast<int>(expected.outcome.status), expected.outcome.line_number);
    std::abort();
  }
  if (source.asked_for_nothing()) {
    std::fprintf(stderr, "the reader asked for no bytes, which reads as the end\n");
    std::abort();
  }
  if (lines != expected.lines) {
    std::fprintf(stderr, "handed on %zu lines, expected %zu, or their bytes differ\n", lines.size(),
                 expected.lines.size());
    std::abort();
  }
  // A line too long is refused before much more of it is read: at most one piece beyond what the
  // limit, a CR and an LF hold, after the lines before it.
  if (outcome.status == Status::LineTooLong) {
    std::size_t before = 0;
    for (const std::string& line : lines) before += line.size() + 2;
    if (source.delivered() > kByteOrderMark.size() + before + max_line_bytes + 2 + script.piece) {
      std::fprintf(stderr, "read %zu bytes before refusing a line over %zu\n", source.delivered(),
                   max_line_bytes);
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  morvane::fuzzing::FrontReader settings({bytes, std::min<std::size_t>(size, 5)});
  const std::uint8_t piece_setting = settings.Byte();
  const std::uint8_t limit_setting = settings.Byte();
  const std::uint8_t failure_setting = settings.Byte();
  const std::uint8_t stop_setting = settings.Byte();
  const std::uint8_t repeat_setting = settings.Byte();
  const std::string_view body(reinterpret_cast<const char*>(bytes) + std::min<std::size_t>(size, 5),
                              size - std::min<std::size_t>(size, 5));

  // Uneven pieces split lines, CR LF pairs, multi-byte characters and the byte-order mark across
  // reads.
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

  if (failure_setting >= 128) {
    script.fail_at =
        std::min<std::size_t>(input.size(), static_cast<std::size_t>(failure_setting - 128U) * 7U);
  }
  if (stop_setting >= 64) script.stop_at = static_cast<std::size_t>(stop_setting - 63U);

  const std::string_view delivered =
      script.fail_at ? std::string_view(input).substr(0, *script.fail_at) : std::string_view(input);
  const Expected expected = SplitLines(delivered, script, max_line_bytes);

  // The same reader twice: nothing of the first run, its buffer or its place in the input, may
  // leak into the second.
  KeyLineReader reader(max_line_bytes);
  for (int run = 0; run < 2; ++run) {
    MemorySource source(input, script.piece, script.fail_at);
    CheckRun(reader, source, script, max_line_bytes, expected);
  }
  return 0;
}
