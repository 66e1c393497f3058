#pragma once

// The quality report for a key and its score, composed here from the report's rules rather than
// taken from the code under test.

#include "modCheckKey.h"

#include <string>
#include <string_view>

namespace morvane::reference {

struct ExpectedReport {
  bool critical = true;
  std::string title;
  std::string prompt;  // with CR LF line breaks
};

inline ExpectedReport ExpectedReportFor(std::string_view key, Score score) {
  if (score < 5) return {true, "Error", "The Key Does Not Meet The Requirements!"};
  const char* band = score < 20    ? "Is Very Weak Quality: "
                     : score < 50  ? "Is Weak Quality: "
                     : score < 80  ? "Is Medium Quality: "
                     : score < 100 ? "Is Strong Quality: "
                                   : "Is Very Strong Quality: ";
  return {false, "Password Quality ",
          "The Key Generated: " + std::string(key) + "\r\n\r\n" + band + " " +
              std::to_string(score) + " Percent"};
}

}  // namespace morvane::reference
