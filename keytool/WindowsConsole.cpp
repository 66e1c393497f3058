#include "WindowsConsole.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include <utf8/unchecked.h>

#include <io.h>
#include <windows.h>

namespace morvane::keytool {
namespace {

constexpr char16_t kCtrlZ = 0x1a;
constexpr unsigned kReadUnits = 4096;

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xd800 && unit <= 0xdbff;
}

bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xdc00 && unit <= 0xdfff;
}

// A lone surrogate becomes the three bytes of its code point, as the unchecked encoder writes it.
void AppendCodePoint(char32_t point, std::string& out) {
  utf8::unchecked::append(point, std::back_inserter(out));
}

// How many bytes at the start of `utf8` end with a whole character: a character cut short by the
// end of one write waits for the rest in the next.
std::size_t WholeCharacters(std::string_view utf8) {
  for (std::size_t back = 1; back <= std::min<std::size_t>(3, utf8.size()); ++back) {
    const auto byte = static_cast<unsigned char>(utf8[utf8.size() - back]);
    if ((byte & 0xc0U) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : byte >= 0xc0 ? 2 : 1;
    return length > back ? utf8.size() - back : utf8.size();
  }
  return utf8.size();
}

}  // namespace

void* HandleOf(int descriptor) {
  const intptr_t handle = _get_osfhandle(descriptor);  // the C library's handles are integers
  return reinterpret_cast<HANDLE>(handle);             // NOLINT(performance-no-int-to-ptr)
}

std::optional<std::size_t> WriteToConsole(int descriptor, std::string_view text) {
  std::size_t whole = WholeCharacters(text);
  if (whole == 0) whole = text.size();  // nothing but a character cut short: shown as such
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(whole), nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(whole), wide.data(), units);
  const HANDLE console = HandleOf(descriptor);
  std::size_t written = 0;
  while (written < wide.size()) {
    DWORD count = 0;
    if (WriteConsoleW(console, wide.data() + written, static_cast<DWORD>(wide.size() - written),
                      &count, nullptr) == 0 ||
        count == 0)
      break;
    written += count;
  }
  SecureZeroMemory(wide.data(), wide.size() * sizeof(wchar_t));  // keys pass through here
  if (written < wide.size()) return std::nullopt;
  return whole;
}

bool ConsoleTextDecoder::Decode(std::u16string_view text, std::string& utf8) {
  if (ended_) return false;
  if (text.empty()) ended_ = true;
  for (const char16_t unit : text) {
    if (at_line_start_ && unit == kCtrlZ) {
      ended_ = true;
      break;
    }
    at_line_start_ = unit == u'\n';
    if (high_surrogate_ != 0) {
      const char32_t high = high_surrogate_;
      high_surrogate_ = 0;
      if (IsLowSurrogate(unit)) {
        AppendCodePoint(0x10000 + ((high - 0xd800) << 10U) + (unit - 0xdc00U), utf8);
        continue;
      }
      AppendCodePoint(high, utf8);  // alone
    }
    if (IsHighSurrogate(unit)) {
      high_surrogate_ = unit;
    } else {
      AppendCodePoint(unit, utf8);
    }
  }
  if (ended_ && high_surrogate_ != 0) {
    AppendCodePoint(high_surrogate_, utf8);  // the first half of a pair that never came
    high_surrogate_ = 0;
  }
  return !ended_;
}

ConsoleSource::ConsoleSource(int descriptor) : console_(HandleOf(descriptor)) {}

ConsoleSource::~ConsoleSource() {
  SecureZeroMemory(decoded_.data(), decoded_.size());
}

std::optional<std::size_t> ConsoleSource::Read(std::span<char> buffer) {
  std::array<wchar_t, kReadUnits> typed{};
  while (handed_out_ == decoded_.size() && more_) {
    SecureZeroMemory(decoded_.data(), decoded_.size());
    decoded_.clear();
    handed_out_ = 0;
    DWORD count = 0;
    SetLastError(ERROR_SUCCESS);
    if (ReadConsoleW(console_, typed.data(), kReadUnits, &count, nullptr) == 0) return std::nullopt;
    // Ctrl+C interrupts a read with nothing read; its handler is ending the program meanwhile.
    if (count == 0 && GetLastError() == ERROR_OPERATION_ABORTED) continue;
    more_ = decoder_.Decode({reinterpret_cast<const char16_t*>(typed.data()), count}, decoded_);
    SecureZeroMemory(typed.data(), count * sizeof(wchar_t));
  }
  const std::size_t count = std::min(buffer.size(), decoded_.size() - handed_out_);
  std::memcpy(buffer.data(), decoded_.data() + handed_out_, count);
  handed_out_ += count;
  return count;
}

}  // namespace morvane::keytool
