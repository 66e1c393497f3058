#include "SystemClock.h"

#include <chrono>
#include <ctime>

namespace morvane {

float SecondsSinceMidnight() {
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  const long long millisecond = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  const long long since_midnight =
      ((local.tm_hour * 60LL + local.tm_min) * 60LL + local.tm_sec) * 1000LL + millisecond;
  return static_cast<float>(since_midnight) / 1000.0F;
}

}  // namespace morvane
