#include "StandardInput.h"

#include <cerrno>
#include <climits>

#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <sys/mman.h>
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

StandardInput::~StandardInput() {
#ifndef _WIN32
  if (mapping_ != nullptr) munmap(mapping_, mapping_length_);
#endif
}

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

std::optional<std::string_view> StandardInput::WholeInput() {
#ifdef _WIN32
  return std::nullopt;
#else
  struct stat status {};
  if (fstat(kStandardInput, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  // Files that only say their size when read (as in /proc, which gives 0) are read instead, as is
  // anything that cannot be mapped.
  const off_t position = lseek(kStandardInput, 0, SEEK_CUR);
  if (position < 0 || position >= status.st_size) return std::nullopt;
  const long page_size = sysconf(_SC_PAGESIZE);
  if (page_size <= 0) return std::nullopt;
  const off_t start = position - position % page_size;  // mappings begin on a page
  const auto length = static_cast<std::size_t>(status.st_size - start);
  void* const mapped = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, kStandardInput, start);
  if (mapped == MAP_FAILED) return std::nullopt;
  mapping_ = mapped;
  mapping_length_ = length;
  // Leave the file where reading it to the end would, for whoever shares it next.
  lseek(kStandardInput, status.st_size, SEEK_SET);
  return std::string_view(static_cast<const char*>(mapped) + (position - start),
                          static_cast<std::size_t>(status.st_size - position));
#endif
}

}  // namespace morvane::keytool
