#pragma once

#include "Module1.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace morvane::keytool {

inline constexpr long long kMaxCount = 1'000'000;

struct GenerateRequest {
  std::uint8_t length = 12;
  ClassCode class_code = ClassCode::UpperDigitsLower;
  long long count = 1;
};

struct ScoreRequest {};

struct ReportRequest {
  bool json = false;
};

// Help or version: printed to standard output, and the tool ends successfully.
struct TextToShow {
  std::string text;
};

// A one-line message naming what was wrong and what is allowed.
struct UsageError {
  std::string message;
};

using Request = std::variant<GenerateRequest, ScoreRequest, ReportRequest, TextToShow, UsageError>;

// What the command line asks for; `arguments` are those after the program's name.
Request ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace morvane::keytool
