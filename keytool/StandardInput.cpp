#include "StandardInput.h"

#include <cerrno>
#include <climits>

#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace morvane::keytool {
namespace {

constexpr int kStandardInput = 0;
// One read never asks for more than this; the platforms' read calls take an int on Windows.
constexpr std::size_t kLargestRead = std::size_t{1} << 30U;

}  // namespace

#ifdef _WIN32
StandardInput::StandardInput() {
  // Text mode would turn CR LF into LF and stop at the first Ctrl+Z.
  _setmode(kStandardInput, _O_BINARY);
}
#else
StandardInput::StandardInput() = default;
#endif

std::optional<std::size_t> StandardInput::Read(std::span<char> buffer) {
  const std::size_t wanted = buffer.size() < kLargestRead ? buffer.size() : kLargestRead;
  for (;;) {
#ifdef _WIN32
    const int count = _read(kStandardInput, buffer.data(), static_cast<unsigned>(wanted));
#else
    const ssize_t count = ::read(kStandardInput, buffer.data(), wanted);
#endif
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) return std::nullopt;
  }
}

std::size_t StandardInput::SizeHint() const {
  struct stat status {};
  if (fstat(kStandardInput, &status) != 0 || (status.st_mode & S_IFMT) != S_IFREG) return 0;
  // A file opened partway through is read from where it stands; a hint too large only costs room.
  return status.st_size > 0 ? static_cast<std::size_t>(status.st_size) : 0;
}

}  // namespace morvane::keytool
