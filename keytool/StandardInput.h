#pragma once

#include "KeyLineReader.h"

namespace morvane::keytool {

// The process's standard input, read without translation and without waiting for more than is
// available, so that a key typed at a terminal is answered as soon as its line is complete.
class StandardInput : public ByteSource {
 public:
  StandardInput();

  std::optional<std::size_t> Read(std::span<char> buffer) override;
  std::size_t SizeHint() const override;
};

}  // namespace morvane::keytool
