#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace morvane::keytool {

// Where the reader's bytes come from: standard input in the tool, memory in tests and fuzzers.
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Copies up to buffer.size() bytes (never asked for 0) to the front of `buffer` and returns how
  // many: 0 at the end of the input, nothing when reading failed. May return fewer bytes than
  // there is room for, as a terminal does with each typed line.
  virtual std::optional<std::size_t> Read(std::span<char> buffer) = 0;

 protected:
  ByteSource() = default;
  ByteSource(const ByteSource&) = default;
  ByteSource(ByteSource&&) = default;
  ByteSource& operator=(const ByteSource&) = default;
  ByteSource& operator=(ByteSource&&) = default;
};

struct ReadOutcome {
  enum class Status {
    Finished,     // every line was valid and handed on
    Stopped,      // the handler asked to stop after line `line_number`
    InvalidUtf8,  // line `line_number` is not valid UTF-8
    LineTooLong,  // line `line_number` is longer than the reader's limit
    ReadFailed,   // the source failed while line `line_number` was being read
  };
  Status status = Status::Finished;
  std::size_t line_number = 0;  // counting from 1; for Finished, the number of lines read
};

// Splits a byte stream into keys, one per line, and checks that each is UTF-8 before handing it
// on. LF ends a line and a CR right before it is dropped; a last line without LF counts; input
// that ends in LF has no empty line after it. A UTF-8 byte-order mark at the very start belongs
// to no line. Reading stops at the first faulty line, after every line before it was handed on.
//
// Plain reads into one reused buffer of 64 KiB that doubles while a line outgrows it, and grows
// no further than the limit: a line is refused as soon as it is longer, so memory stays at about
// the limit however much input follows.
class KeyLineReader {
 public:
  // Receives each line without its line break, as a view valid only during the call; returns
  // whether to go on.
  using LineHandler = std::function<bool(std::string_view line)>;

  // 64 MiB: far beyond any key a person would check, small enough to hold without trouble.
  static constexpr std::size_t kDefaultMaxLineBytes = std::size_t{64} << 20U;

  explicit KeyLineReader(std::size_t max_line_bytes = kDefaultMaxLineBytes);

  ReadOutcome ReadAll(ByteSource& source, const LineHandler& on_line);

 private:
  using Buffer = std::unique_ptr<char[]>;  // NOLINT(modernize-avoid-c-arrays): plain bytes

  // Plain bytes, left uninitialised: the reads fill them, and zeroing first would touch every
  // page of a long line's buffer once more.
  static Buffer NewBuffer(std::size_t size);
  std::optional<ReadOutcome::Status> TakeLine(std::string_view line,
                                              const LineHandler& on_line) const;
  void MakeRoom(std::size_t& filled, std::size_t kept_from);

  std::size_t max_line_bytes_;
  Buffer buffer_;
  std::size_t capacity_ = 0;
};

}  // namespace morvane::keytool
