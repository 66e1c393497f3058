// Prints what another Windows program finds on the clipboard: the text as UTF-8, then each of
// the formats that keep a secret out of clipboard history and cloud clipboard, with its DWORD
// value, or "missing". Read through the Win32 API directly, not through Qt, so that the test sees
// what a clipboard history would see.
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>

namespace {

// Clipboard data lives in global memory that must be locked while it is read.
class LockedData {
 public:
  explicit LockedData(HANDLE data)
      : data_(data), bytes_(data == nullptr ? nullptr : GlobalLock(data)) {}
  ~LockedData() {
    if (bytes_ != nullptr) GlobalUnlock(data_);
  }
  LockedData(const LockedData&) = delete;
  LockedData& operator=(const LockedData&) = delete;

  const void* Bytes() const { return bytes_; }
  SIZE_T Size() const { return bytes_ == nullptr ? 0 : GlobalSize(data_); }

 private:
  HANDLE data_;
  void* bytes_;
};

std::string TextAsUtf8() {
  const LockedData text(GetClipboardData(CF_UNICODETEXT));
  if (text.Bytes() == nullptr) return "missing";
  const auto* wide = static_cast<const wchar_t*>(text.Bytes());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return "unreadable";
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();  // the terminating NUL
  return utf8;
}

void PrintDword(const char* name) {
  const UINT format = RegisterClipboardFormatA(name);
  const LockedData data(format == 0 ? nullptr : GetClipboardData(format));
  if (data.Bytes() == nullptr) {
    std::printf("%s: missing\n", name);
  } else if (data.Size() < sizeof(DWORD)) {
    std::printf("%s: %u bytes\n", name, static_cast<unsigned>(data.Size()));
  } else {
    std::printf("%s: %lu\n", name, *static_cast<const DWORD*>(data.Bytes()));
  }
}

}  // namespace

int main() {
  // Another program may hold the clipboard open for a moment.
  bool opened = false;
  for (int attempt = 0; attempt < 50 && !opened; ++attempt) {
    opened = OpenClipboard(nullptr) != 0;
    if (!opened) Sleep(20);
  }
  if (!opened) {
    std::fputs("cannot open the clipboard\n", stderr);
    return 1;
  }
  std::printf("text: %s\n", TextAsUtf8().c_str());
  for (const char* name : {"ExcludeClipboardContentFromMonitorProcessing",
                           "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"}) {
    PrintDword(name);
  }
  CloseClipboard();
  return 0;
}
