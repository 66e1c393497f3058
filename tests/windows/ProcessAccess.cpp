// Prints what another process of the same user may do with the running program NAME: its access
// list as a security descriptor string (the user's own SID shown as USER), and whether its memory
// can be opened for reading, as a debugger or a dump tool would. Exits 1 when no process has
// that name. Usage: ProcessAccess NAME (for example morvane-keytool.exe)
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

DWORD ProcessNamed(const char* name) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && found == 0;
       more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, name) == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

std::string OwnUserSid() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) == 0) return "?";
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> user(size);
  LPSTR text = nullptr;
  std::string sid = "?";
  if (GetTokenInformation(token, TokenUser, user.data(), size, &size) != 0 &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text) != 0) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

std::string AccessList(DWORD process_id) {
  // The owner may always read the access list.
  const HANDLE process = OpenProcess(READ_CONTROL, FALSE, process_id);
  if (process == nullptr) return "unreadable";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  LPSTR text = nullptr;
  std::string list = "unreadable";
  if (GetSecurityInfo(process, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                      nullptr, nullptr, &descriptor) == ERROR_SUCCESS &&
      ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr) != 0) {
    list = text;
    LocalFree(text);
  }
  LocalFree(descriptor);
  CloseHandle(process);
  const std::string user = OwnUserSid();
  for (std::size_t at = list.find(user); at != std::string::npos; at = list.find(user, at))
    list.replace(at, user.size(), "USER");
  return list;
}

}  // namespace

int main(int argc, char* argv[]) {
  const DWORD process_id = argc == 2 ? ProcessNamed(argv[1]) : 0;
  if (process_id == 0) {
    std::fputs("no such process\n", stderr);
    return 1;
  }
  const HANDLE memory = OpenProcess(PROCESS_VM_READ, FALSE, process_id);
  std::printf("access list: %s\nread memory: %s\n", AccessList(process_id).c_str(),
              memory != nullptr ? "allowed" : "denied");
  if (memory != nullptr) CloseHandle(memory);
  return 0;
}
