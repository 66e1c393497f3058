#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvane::keytool {

// Buffered writes to a descriptor: standard output or error in the tool, a file in tests. A
// descriptor that the parent left non-blocking is waited on until it takes more, as a blocking one
// would be. The first failed write is the last: every later Write and Flush returns false.
class Output {
 public:
  explicit Output(int descriptor);

  // Appends `text`, which goes out once the buffer is full or at the next Flush.
  bool Write(std::string_view text);
  bool Flush();

 private:
  bool WriteOut(std::string_view bytes);

  static constexpr std::size_t kCapacity = 65536;
  int descriptor_;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace morvane::keytool
