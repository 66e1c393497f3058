#pragma once

// Windows only. A console holds text as UTF-16, whatever its code page: read or written as bytes,
// text passes through a code page (437 or 850 in a default console), which turns a typed "é" into
// a byte that is not UTF-8 and shows UTF-8 as other characters. So the tool reads keys from a
// console and writes to it through the console's wide-character calls. Pipes and files are no
// consoles: they stay bytes, exactly as elsewhere.

#include "KeyLineReader.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace morvane::keytool {

// The Windows handle behind a C library descriptor.
void* HandleOf(int descriptor);

// Writes UTF-8 `text` to the console on `descriptor` as the characters it means; says how many
// bytes went out (whole characters, all of them unless one is cut short by the end of `text`), or
// nothing when the console took none.
std::optional<std::size_t> WriteToConsole(int descriptor, std::string_view text);

// Turns what a console gives, read by read as UTF-16, into UTF-8 for the line reader. A line that
// begins with Ctrl+Z ends the input, as it does for every program that reads a console; elsewhere
// Ctrl+Z is a character. A lone surrogate, which no UTF-8 text can hold, becomes the three bytes
// of its code point, which the reader refuses as not valid UTF-8.
class ConsoleTextDecoder {
 public:
  // Appends what `text` holds to `utf8`, and says whether more may follow: false once the input
  // has ended, by Ctrl+Z or by an empty `text`, after which nothing more is taken.
  bool Decode(std::u16string_view text, std::string& utf8);

 private:
  char16_t high_surrogate_ = 0;  // the first half of a pair whose second is still to come
  bool at_line_start_ = true;
  bool ended_ = false;
};

// Keys typed at a console, as UTF-8.
class ConsoleSource final : public ByteSource {
 public:
  explicit ConsoleSource(int descriptor);
  ~ConsoleSource() override;
  ConsoleSource(const ConsoleSource&) = delete;
  ConsoleSource& operator=(const ConsoleSource&) = delete;

  std::optional<std::size_t> Read(std::span<char> buffer) override;

 private:
  void* console_;
  ConsoleTextDecoder decoder_;
  std::string decoded_;  // from handed_out_ on not yet handed out
  std::size_t handed_out_ = 0;
  bool more_ = true;
};

}  // namespace morvane::keytool
