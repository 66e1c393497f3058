#pragma once

#include "KeyLineReader.h"

namespace morvane::keytool {

// The process's standard input, read without translation and without waiting for more than is
// available, so that a key typed at a terminal is answered as soon as its line is complete.
//
// A regular file is mapped into memory instead, so that even a key of many megabytes is checked
// where it lies, without fresh memory or a copy.
class StandardInput : public ByteSource {
 public:
  StandardInput();
  ~StandardInput() override;
  StandardInput(const StandardInput&) = delete;
  StandardInput(StandardInput&&) = delete;
  StandardInput& operator=(const StandardInput&) = delete;
  StandardInput& operator=(StandardInput&&) = delete;

  std::optional<std::size_t> Read(std::span<char> buffer) override;
  std::size_t SizeHint() const override;
  std::optional<std::string_view> WholeInput() override;

 private:
  void* mapping_ = nullptr;
  std::size_t mapping_length_ = 0;
};

}  // namespace morvane::keytool
