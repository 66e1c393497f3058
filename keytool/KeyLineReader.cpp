#include "KeyLineReader.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstring>
#include <limits>

namespace morvane::keytool {
namespace {

// Bytes decoded per step when checking a line; the scratch area is sized for one such piece.
constexpr std::size_t kDecodePiece = 16384;
// The first buffer when the input's size is unknown; it doubles while a line outgrows it.
constexpr std::size_t kInitialCapacity = 65536;

std::string_view WithoutLineBreak(std::string_view line_with_lf) {
  line_with_lf.remove_suffix(1);
  if (!line_with_lf.empty() && line_with_lf.back() == '\r') line_with_lf.remove_suffix(1);
  return line_with_lf;
}

}  // namespace

std::optional<std::size_t> MemorySource::Read(std::span<char> buffer) {
  const std::size_t count = std::min({buffer.size(), chunk_size_, bytes_.size()});
  if (count > 0) std::memcpy(buffer.data(), bytes_.data(), count);
  bytes_.remove_prefix(count);
  return count;
}

KeyLineReader::KeyLineReader(std::size_t max_line_bytes)
    // Any limit beyond memory means none; capping it keeps the buffer arithmetic from wrapping.
    : max_line_bytes_(std::min(max_line_bytes, std::numeric_limits<std::size_t>::max() / 4)),
      decoder_(QStringDecoder::Utf8),
      scratch_(
          static_cast<std::size_t>(decoder_.requiredSpace(static_cast<qsizetype>(kDecodePiece)))) {}

ReadOutcome KeyLineReader::ReadAll(ByteSource& source, const LineHandler& on_line) {
  decoder_.resetState();
  if (const std::optional<std::string_view> whole = source.WholeInput()) {
    return ReadInPlace(*whole, on_line);
  }
  return ReadInPieces(source, on_line);
}

ReadOutcome KeyLineReader::ReadInPlace(std::string_view input, const LineHandler& on_line) {
  std::size_t line_number = 0;
  while (!input.empty()) {
    ++line_number;
    const void* found = std::memchr(input.data(), '\n', input.size());
    const std::size_t end =
        found == nullptr
            ? input.size()
            : static_cast<std::size_t>(static_cast<const char*>(found) - input.data()) + 1;
    if (const auto fault = TakeLine(input.substr(0, end), found != nullptr, on_line)) {
      return {*fault, line_number};
    }
    input.remove_prefix(end);
  }
  return {ReadOutcome::Status::Finished, line_number};
}

ReadOutcome KeyLineReader::ReadInPieces(ByteSource& source, const LineHandler& on_line) {
  using Status = ReadOutcome::Status;
  filled_ = 0;

  // A line may carry a CR and needs its LF in the buffer; beyond that no buffer is needed.
  const std::size_t largest_useful = max_line_bytes_ + 2;
  const std::size_t hint = source.SizeHint();
  const std::size_t wanted = hint > 0 ? hint + 1 : kInitialCapacity;  // + 1 to see the end
  const std::size_t capacity = std::max<std::size_t>(std::min(wanted, largest_useful), 2);
  if (capacity != capacity_) {
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity);  // NOLINT(modernize-avoid-c-arrays)
    capacity_ = capacity;
  }

  std::size_t line_start = 0;  // where the line being read begins
  std::size_t scan_from = 0;   // bytes before this hold no LF after line_start
  std::size_t line_number = 0;
  for (;;) {
    if (filled_ == capacity_) {
      MakeRoom(line_start);
      scan_from -= line_start;
      line_start = 0;
    }
    const std::optional<std::size_t> count =
        source.Read(std::span<char>(buffer_.get() + filled_, capacity_ - filled_));
    if (!count) return {Status::ReadFailed, line_number + 1};
    if (*count == 0) break;
    filled_ += *count;

    const char* const data = buffer_.get();
    while (const void* found = std::memchr(data + scan_from, '\n', filled_ - scan_from)) {
      const auto end = static_cast<std::size_t>(static_cast<const char*>(found) - data) + 1;
      ++line_number;
      if (const auto fault =
              TakeLine(std::string_view(data + line_start, end - line_start), true, on_line)) {
        return {*fault, line_number};
      }
      line_start = scan_from = end;
    }
    scan_from = filled_;
    // The line so far may still lose a CR when its LF comes.
    if (filled_ - line_start > max_line_bytes_ + 1) {
      return {Status::LineTooLong, line_number + 1};
    }
  }

  if (line_start < filled_) {
    ++line_number;
    const std::string_view last_line(buffer_.get() + line_start, filled_ - line_start);
    if (const auto fault = TakeLine(last_line, false, on_line)) return {*fault, line_number};
  }
  return {Status::Finished, line_number};
}

// Checks one line, given with its LF unless it is the input's last line without one, and hands
// it on; or says what is wrong with it.
std::optional<ReadOutcome::Status> KeyLineReader::TakeLine(std::string_view bytes, bool ends_in_lf,
                                                           const LineHandler& on_line) {
  const std::string_view line = ends_in_lf ? WithoutLineBreak(bytes) : bytes;
  if (line.size() > max_line_bytes_) return ReadOutcome::Status::LineTooLong;
  // An LF after the last line shows a character cut short by the end of the input.
  if (!DecodesCleanly(bytes) || (!ends_in_lf && !DecodesCleanly("\n"))) {
    return ReadOutcome::Status::InvalidUtf8;
  }
  on_line(line);
  return std::nullopt;
}

// Feeds the decoder, which carries an unfinished character from one call to the next; a line
// passed with its LF therefore also shows a character cut short by the line's end.
bool KeyLineReader::DecodesCleanly(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t piece = std::min(bytes.size(), kDecodePiece);
    decoder_.appendToBuffer(scratch_.data(),
                            QByteArrayView(bytes.data(), static_cast<qsizetype>(piece)));
    if (decoder_.hasError()) return false;
    bytes.remove_prefix(piece);
  }
  return true;
}

// Moves the unfinished line at `kept_from` to the front, growing the buffer when it is full.
void KeyLineReader::MakeRoom(std::size_t kept_from) {
  const std::size_t kept = filled_ - kept_from;
  if (kept < capacity_) {
    std::memmove(buffer_.get(), buffer_.get() + kept_from, kept);
  } else {
    const std::size_t grown =
        std::min(std::max(capacity_ * 2, kInitialCapacity), max_line_bytes_ + 2);
    auto bigger =
        std::make_unique_for_overwrite<char[]>(grown);  // NOLINT(modernize-avoid-c-arrays)
    std::memcpy(bigger.get(), buffer_.get(), kept);
    buffer_ = std::move(bigger);
    capacity_ = grown;
  }
  filled_ = kept;
}

ReadOutcome ReadKeyLines(std::string_view input, const KeyLineReader::LineHandler& on_line,
                         std::size_t max_line_bytes) {
  MemorySource source(input);
  KeyLineReader reader(max_line_bytes);
  return reader.ReadAll(source, on_line);
}

}  // namespace morvane::keytool
