#include "ProtectProcess.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif
#if defined(__linux__)
#include <sys/prctl.h>
#elif defined(__APPLE__)
#include <sys/ptrace.h>
#include <sys/types.h>
#endif

namespace morvane {

void ProtectProcess() {
#if defined(_WIN32)
  // Windows: an access list that denies other processes memory reads.
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
