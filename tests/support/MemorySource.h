#pragma once

// Bytes already in memory as the line reader's source, for its test and the fuzzers: handed out
// at most `piece` bytes a read, so that lines, CR LF pairs, multi-byte characters and the
// byte-order mark straddle the reads; and, when told, failing once `fail_at` bytes were handed
// out, as a broken pipe or disk would.

#include "KeyLineReader.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace morvane::testing {

class MemorySource final : public keytool::ByteSource {
 public:
  explicit MemorySource(std::string_view bytes, std::size_t piece = 65536,
                        std::optional<std::size_t> fail_at = std::nullopt)
      : bytes_(bytes), piece_(std::max<std::size_t>(piece, 1)), fail_at_(fail_at) {}

  std::optional<std::size_t> Read(std::span<char> buffer) override {
    asked_for_nothing_ = asked_for_nothing_ || buffer.empty();  // which would read as the end
    std::size_t available = bytes_.size() - delivered_;
    if (fail_at_) {
      if (delivered_ >= *fail_at_) return std::nullopt;
      available = std::min(available, *fail_at_ - delivered_);
    }
    const std::size_t count = std::min({buffer.size(), piece_, available});
    if (count > 0) std::memcpy(buffer.data(), bytes_.data() + delivered_, count);
    delivered_ += count;
    return count;
  }

  std::size_t delivered() const { return delivered_; }
  bool asked_for_nothing() const { return asked_for_nothing_; }

 private:
  std::string_view bytes_;
  std::size_t piece_;
  std::optional<std::size_t> fail_at_;
  std::size_t delivered_ = 0;
  bool asked_for_nothing_ = false;
};

}  // namespace morvane::testing
