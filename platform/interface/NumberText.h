#pragma once

#include <string>

namespace morvane {

// A number as a report prints it: a leading space stands where a minus sign would be, so
// 68 becomes " 68" and -5 stays "-5".
std::string ReportNumberText(long long number);

}  // namespace morvane
