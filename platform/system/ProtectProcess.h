#pragma once

namespace morvane {

// Keeps the keys in this process's memory to itself: other processes of the same user may not
// read its memory or attach to it, and a crash writes no core file. Both programs call it first
// thing in main, before any key exists.
void ProtectProcess();

}  // namespace morvane
