// What both programs do first, ProtectProcess, keeps the current folder out of the DLL search: a
// DLL planted there, as beside a downloaded file, loads by its name before and not after.
// Usage: DllSearchTest DLL (any DLL, to plant under another name)
#include "ProtectProcess.h"

#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char* argv[]) {
  std::string folder(MAX_PATH, '\0');
  folder.resize(GetTempPathA(MAX_PATH, folder.data()));
  folder += "planted-" + std::to_string(GetCurrentProcessId());
  if (argc != 2 || CreateDirectoryA(folder.c_str(), nullptr) == 0 ||
      CopyFileA(argv[1], (folder + "\\planted.dll").c_str(), TRUE) == 0 ||
      SetCurrentDirectoryA(folder.c_str()) == 0) {
    std::puts("cannot plant the DLL");
    return 1;
  }
  const HMODULE before = LoadLibraryA("planted.dll");
  if (before != nullptr) FreeLibrary(before);
  morvane::ProtectProcess();
  const HMODULE after = LoadLibraryA("planted.dll");
  std::printf("from the current folder: before %s, after %s\n", before ? "loaded" : "not loaded",
              after ? "loaded" : "not loaded");
  DeleteFileA((folder + "\\planted.dll").c_str());
  SetCurrentDirectoryA("..");
  RemoveDirectoryA(folder.c_str());
  // Loaded before: the folder counts as Windows' default search has it, so the test means
  // something.
  return before != nullptr && after == nullptr ? 0 : 1;
}
