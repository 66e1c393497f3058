#include "ProtectProcess.h"

#if defined(_WIN32)
#include <windows.h>

#include <aclapi.h>

#include <vector>
#else
#include <sys/resource.h>
#endif
#if defined(__linux__)
#include <sys/prctl.h>
#elif defined(__APPLE__)
#include <sys/ptrace.h>
#include <sys/types.h>
#endif

namespace morvane {
namespace {

#if defined(_WIN32)
// DLLs come from the program's own folder and from Windows only, never from the current folder,
// where a DLL planted beside a downloaded file would wait (as KeePassXC keeps it out; the default
// directories also keep out the folders of PATH).
void KeepCurrentFolderOutOfDllSearch() {
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  SetDllDirectoryW(L"");
  SetSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

// As KeePassXC does: an access list that lets the user's other processes see this one, wait for
// it and end it, and nothing more; they may not read or write its memory, so neither a debugger
// nor a dump tool of the user gets the keys. (The owner may still change the list, and an
// administrator with the debug privilege passes any list.)
void DenyOthersTheMemory() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) == 0) return;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> user(size);
  const bool known = GetTokenInformation(token, TokenUser, user.data(), size, &size) != 0;
  CloseHandle(token);
  if (!known) return;
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
  const DWORD list_size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
  std::vector<unsigned char> list(list_size);
  auto* const acl = reinterpret_cast<ACL*>(list.data());  // the list is built in plain bytes
  if (InitializeAcl(acl, list_size, ACL_REVISION) == 0 ||
      AddAccessAllowedAce(acl, ACL_REVISION,
                          PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                          sid) == 0) {
    return;
  }
  SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT,
                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                  acl, nullptr);
}
#endif

}  // namespace

void ProtectProcess() {
#if defined(_WIN32)
  KeepCurrentFolderOutOfDllSearch();
  DenyOthersTheMemory();
#else
  // A crash writes no core file with keys in it; the process cannot raise the limit again.
  const rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
#endif
#if defined(__linux__)
  // As ssh-agent and KeePassXC do: the /proc files of a process that is not dumpable belong to
  // root, so no process of the same user may read its memory or trace it. (LeakSanitizer still
  // works: it makes the process dumpable again for the moment it stops it to look for leaks.)
  prctl(PR_SET_DUMPABLE, 0);
#elif defined(__APPLE__)
  ptrace(PT_DENY_ATTACH, 0, nullptr, 0);  // no debugger may attach
#endif
}

}  // namespace morvane
