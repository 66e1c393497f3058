#include "KeyLineReader.h"

#include <utf8.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace morvane::keytool {
namespace {

// The first buffer, as much as a pipe holds; it doubles while a line outgrows it.
constexpr std::size_t kInitialCapacity = 65536;
// Room for a whole byte-order mark whatever the limit, so that it can be told apart.
constexpr std::size_t kSmallestCapacity = 4;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Whether `bytes` are UTF-8. A multi-byte character holds no ASCII byte, so the runs of ASCII are
// skipped eight bytes at a time and only the runs between them are decoded.
bool IsValidUtf8(std::string_view bytes) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080U;
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  while (at != end) {
    if (end - at >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, at, sizeof word);
      if ((word & kHighBits) == 0) {
        at += sizeof word;
        continue;
      }
    }
    if (static_cast<unsigned char>(*at) < 0x80U) {
      ++at;
      continue;
    }
    const char* const run_end =
        std::find_if(at, end, [](char byte) { return static_cast<unsigned char>(byte) < 0x80U; });
    if (!utf8::is_valid(at, run_end)) return false;
    at = run_end;
  }
  return true;
}

}  // namespace

KeyLineReader::Buffer KeyLineReader::NewBuffer(std::size_t size) {
  return std::make_unique_for_overwrite<char[]>(size);  // NOLINT(modernize-avoid-c-arrays)
}

KeyLineReader::KeyLineReader(std::size_t max_line_bytes)
    // Any limit beyond memory means none; capping it keeps the buffer arithmetic from wrapping.
    : max_line_bytes_(std::min(max_line_bytes, std::numeric_limits<std::size_t>::max() / 4)) {}

ReadOutcome KeyLineReader::ReadAll(ByteSource& source, const LineHandler& on_line) {
  using Status = ReadOutcome::Status;
  if (!buffer_) {
    // A line needs room for its CR and LF as well; beyond that no buffer is needed.
    capacity_ = std::max(std::min(kInitialCapacity, max_line_bytes_ + 2), kSmallestCapacity);
    buffer_ = NewBuffer(capacity_);
  }

  std::size_t filled = 0;
  std::size_t line_start = 0;  // where the line being read begins
  std::size_t scan_from = 0;   // bytes before this hold no LF after line_start
  std::size_t line_number = 0;
  bool mark_possible = true;  // the input's first bytes may still turn out a byte-order mark
  for (;;) {
    if (filled == capacity_) {
      MakeRoom(filled, line_start);
      scan_from -= line_start;
      line_start = 0;
    }
    const std::optional<std::size_t> count =
        source.Read(std::span<char>(buffer_.get() + filled, capacity_ - filled));
    if (!count) return {Status::ReadFailed, line_number + 1};
    if (*count == 0) break;
    filled += *count;

    const char* const data = buffer_.get();
    if (mark_possible) {
      const std::size_t seen = std::min(filled, kByteOrderMark.size());
      if (std::string_view(data, seen) != kByteOrderMark.substr(0, seen)) {
        mark_possible = false;
      } else if (seen < kByteOrderMark.size()) {
        continue;  // too few bytes yet to tell
      } else {
        line_start = scan_from = kByteOrderMark.size();
        mark_possible = false;
      }
    }

    while (const void* found = std::memchr(data + scan_from, '\n', filled - scan_from)) {
      const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) - data);
      std::size_t end = lf;
      if (end > line_start && data[end - 1] == '\r') --end;
      ++line_number;
      if (const auto fault =
              TakeLine(std::string_view(data + line_start, end - line_start), on_line)) {
        return {*fault, line_number};
      }
      line_start = scan_from = lf + 1;
    }
    scan_from = filled;
    // Refused as soon as it is too long; one byte more is allowed for a CR before the LF.
    if (filled - line_start > max_line_bytes_ + 1) return {Status::LineTooLong, line_number + 1};
  }

  if (line_start < filled) {
    ++line_number;
    const std::string_view last_line(buffer_.get() + line_start, filled - line_start);
    if (const auto fault = TakeLine(last_line, on_line)) return {*fault, line_number};
  }
  return {Status::Finished, line_number};
}

// Checks one line, given without its line break, and hands it on; or says what is wrong with it.
std::optional<ReadOutcome::Status> KeyLineReader::TakeLine(std::string_view line,
                                                           const LineHandler& on_line) const {
  if (line.size() > max_line_bytes_) return ReadOutcome::Status::LineTooLong;
  if (!IsValidUtf8(line)) {
    return ReadOutcome::Status::InvalidUtf8;
  }
  if (!on_line(line)) return ReadOutcome::Status::Stopped;
  return std::nullopt;
}

// Moves the unfinished line at `kept_from` to the front, growing the buffer when it is full.
void KeyLineReader::MakeRoom(std::size_t& filled, std::size_t kept_from) {
  const std::size_t kept = filled - kept_from;
  if (kept < capacity_) {
    std::memmove(buffer_.get(), buffer_.get() + kept_from, kept);
  } else {
    // Twice as large, or at once the most a line can need, rather than a few bytes less than that
    // and then a copy to grow by those bytes.
    const std::size_t most = max_line_bytes_ + 2;
    const std::size_t grown = capacity_ * 2 >= max_line_bytes_ ? most : capacity_ * 2;
    auto bigger = NewBuffer(grown);
    std::memcpy(bigger.get(), buffer_.get(), kept);
    buffer_ = std::move(bigger);
    capacity_ = grown;
  }
  filled = kept;
}

}  // namespace morvane::keytool
