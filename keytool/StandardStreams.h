#pragma once

#include "KeyLineReader.h"

namespace morvane::keytool {

inline constexpr int kStandardInput = 0;

// Which standard streams the tool was started without.
struct ClosedStreams {
  bool input = false;
  bool output = false;
};

// Finds the closed standard descriptors and opens the null device on each, so that no file the
// program opens later takes its number and receives what was meant for the stream. Must run
// before anything else opens a descriptor.
ClosedStreams ReserveClosedStandardStreams();

// Whether `descriptor` is a terminal (on Windows, a console).
bool IsTerminal(int descriptor);

// Plain reads from a descriptor, standard input in the tool. Takes what is there without waiting
// for more, so that a key typed at a terminal is answered as soon as its line is complete; a
// descriptor that the parent left non-blocking is waited on until there is something to read.
class DescriptorSource final : public ByteSource {
 public:
  explicit DescriptorSource(int descriptor);

  std::optional<std::size_t> Read(std::span<char> buffer) override;

 private:
  int descriptor_;
};

}  // namespace morvane::keytool
