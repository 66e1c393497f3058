#include "Output.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#ifdef _WIN32
#include "StandardStreams.h"
#include "WindowsConsole.h"

#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace morvane::keytool {
namespace {

// One write never offers more than this; the write call takes an int on Windows.
constexpr std::size_t kLargestWrite = std::size_t{1} << 30U;

#ifdef _WIN32
// How many bytes went out, or nothing when the write failed.
std::optional<std::size_t> WriteSome(int descriptor, std::string_view bytes) {
  // A console shows bytes through its code page: it gets the characters they mean instead.
  if (IsTerminal(descriptor)) return WriteToConsole(descriptor, bytes);
  const int count = _write(descriptor, bytes.data(), static_cast<unsigned>(bytes.size()));
  if (count < 0) return std::nullopt;
  return static_cast<std::size_t>(count);
}
#else
std::optional<std::size_t> WriteSome(int descriptor, std::string_view bytes) {
  for (;;) {
    const ssize_t count = ::write(descriptor, bytes.data(), bytes.size());
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{descriptor, POLLOUT, 0};
      poll(&ready, 1, -1);  // whatever it says, the next write tells
    } else if (errno != EINTR) {
      return std::nullopt;
    }
  }
}
#endif

}  // namespace

Output::Output(int descriptor) : descriptor_(descriptor) {}

bool Output::Write(std::string_view text) {
  if (failed_) return false;
  if (buffer_.size() + text.size() <= kCapacity) {
    buffer_.append(text);
    return true;
  }
  if (!Flush()) return false;
  if (text.size() >= kCapacity) return WriteOut(text);
  buffer_.append(text);
  return true;
}

bool Output::Flush() {
  if (failed_) return false;
  const bool written = WriteOut(buffer_);
  buffer_.clear();
  return written;
}

bool Output::WriteOut(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::optional<std::size_t> count =
        WriteSome(descriptor_, bytes.substr(0, std::min(bytes.size(), kLargestWrite)));
    if (!count || *count == 0) {
      failed_ = true;
      return false;
    }
    bytes.remove_prefix(*count);
  }
  return true;
}

}  // namespace morvane::keytool
