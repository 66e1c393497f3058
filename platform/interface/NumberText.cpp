#include "NumberText.h"

namespace morvane {

std::string ReportNumberText(long long number) {
  std::string digits = std::to_string(number);
  return number < 0 ? digits : ' ' + digits;
}

}  // namespace morvane
