#pragma once

#include <QStringDecoder>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace morvane::keytool {

// Where the reader's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Copies up to buffer.size() bytes to the front of `buffer` and returns how many: 0 at the end
  // of the input, nothing when reading failed. May return fewer bytes than there is room for,
  // as a terminal does with each typed line.
  virtual std::optional<std::size_t> Read(std::span<char> buffer) = 0;

  // How many bytes the whole input holds, when that is known beforehand (a regular file), else 0.
  // Lets the reader take its buffer in one piece instead of growing it.
  virtual std::size_t SizeHint() const { return 0; }

  // The whole input at once, when it can be seen in place without copying (a regular file mapped
  // into memory), valid while the source lives; nothing otherwise. Read is not called then.
  virtual std::optional<std::string_view> WholeInput() { return std::nullopt; }

 protected:
  ByteSource() = default;
  ByteSource(const ByteSource&) = default;
  ByteSource(ByteSource&&) = default;
  ByteSource& operator=(const ByteSource&) = default;
  ByteSource& operator=(ByteSource&&) = default;
};

// Bytes already in memory, handed out at most `chunk_size` at a time so that callers can make
// lines, CR LF pairs and multi-byte characters straddle the reads.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes, std::size_t chunk_size = 65536)
      : bytes_(bytes), chunk_size_(chunk_size == 0 ? 1 : chunk_size) {}

  std::optional<std::size_t> Read(std::span<char> buffer) override;

 private:
  std::string_view bytes_;
  std::size_t chunk_size_;
};

struct ReadOutcome {
  enum class Status {
    Finished,     // every line was valid and handed on
    InvalidUtf8,  // line `line_number` is not valid UTF-8
    LineTooLong,  // line `line_number` is longer than the reader's limit
    ReadFailed,   // the source failed while line `line_number` was being read
  };
  Status status = Status::Finished;
  std::size_t line_number = 0;  // counting from 1; for Finished, the number of lines read
};

// Splits a byte stream into keys, one per line, and checks that each is UTF-8 before handing it
// on. LF ends a line and a CR right before it is dropped; a last line without LF counts; input
// that ends in LF has no empty line after it. Reading stops at the first faulty line, after every
// line before it was handed on.
//
// Memory stays at about the longest line: lines are handed on in place from one reused buffer, or
// straight from the input when the source can show it whole, and checking a line decodes it a
// small piece at a time into a fixed scratch area.
class KeyLineReader {
 public:
  // Receives each line without its line break, as a view valid only during the call.
  using LineHandler = std::function<void(std::string_view line)>;

  // 64 MiB: far beyond any key a person would check, small enough to hold without trouble.
  static constexpr std::size_t kDefaultMaxLineBytes = std::size_t{64} << 20U;

  explicit KeyLineReader(std::size_t max_line_bytes = kDefaultMaxLineBytes);

  ReadOutcome ReadAll(ByteSource& source, const LineHandler& on_line);

 private:
  ReadOutcome ReadInPlace(std::string_view input, const LineHandler& on_line);
  ReadOutcome ReadInPieces(ByteSource& source, const LineHandler& on_line);
  std::optional<ReadOutcome::Status> TakeLine(std::string_view bytes, bool ends_in_lf,
                                              const LineHandler& on_line);
  bool DecodesCleanly(std::string_view bytes);
  void MakeRoom(std::size_t kept_from);

  std::size_t max_line_bytes_;
  // Left uninitialised on purpose: the reads fill it, and zeroing first would touch every page
  // of a large line's buffer once more.
  std::unique_ptr<char[]> buffer_;  // NOLINT(modernize-avoid-c-arrays)
  std::size_t capacity_ = 0;
  std::size_t filled_ = 0;
  QStringDecoder decoder_;
  std::vector<QChar> scratch_;
};

// Reads every line of `input`; for tests and fuzzing.
ReadOutcome ReadKeyLines(std::string_view input, const KeyLineReader::LineHandler& on_line,
                         std::size_t max_line_bytes = KeyLineReader::kDefaultMaxLineBytes);

}  // namespace morvane::keytool
