#include "StandardStreams.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#ifdef _WIN32
#include "WindowsConsole.h"

#include <io.h>
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace morvane::keytool {
namespace {

// One read never asks for more than this; the read call takes an int on Windows.
constexpr std::size_t kLargestRead = std::size_t{1} << 30U;

}  // namespace

#ifdef _WIN32
// A console program's closed streams do not lend their numbers to the files it opens there.
ClosedStreams ReserveClosedStandardStreams() {
  return {};
}

bool IsTerminal(int descriptor) {
  DWORD mode = 0;
  return GetConsoleMode(HandleOf(descriptor), &mode) != 0;
}

DescriptorSource::DescriptorSource(int descriptor) : descriptor_(descriptor) {
  // Text mode would turn CR LF into LF and stop at the first Ctrl+Z.
  _setmode(descriptor_, _O_BINARY);
}

std::optional<std::size_t> DescriptorSource::Read(std::span<char> buffer) {
  const std::size_t wanted = std::min(buffer.size(), kLargestRead);
  const int count = _read(descriptor_, buffer.data(), static_cast<unsigned>(wanted));
  if (count < 0) return std::nullopt;
  return static_cast<std::size_t>(count);
}
#else
ClosedStreams ReserveClosedStandardStreams() {
  std::array<bool, 3> closed{};
  // In order: open() takes the lowest free number, so each hole is filled where it is.
  for (int descriptor = 0; descriptor < 3; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    closed.at(static_cast<std::size_t>(descriptor)) = true;
    if (open("/dev/null", O_RDWR) != descriptor) break;
  }
  return {closed[0], closed[1]};
}

bool IsTerminal(int descriptor) {
  return isatty(descriptor) != 0;
}

DescriptorSource::DescriptorSource(int descriptor) : descriptor_(descriptor) {}

std::optional<std::size_t> DescriptorSource::Read(std::span<char> buffer) {
  const std::size_t wanted = std::min(buffer.size(), kLargestRead);
  for (;;) {
    const ssize_t count = ::read(descriptor_, buffer.data(), wanted);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{descriptor_, POLLIN, 0};
      poll(&ready, 1, -1);  // whatever it says, the next read tells
    } else if (errno != EINTR) {
      return std::nullopt;
    }
  }
}
#endif

}  // namespace morvane::keytool
