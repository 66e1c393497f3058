#include "ReportText.h"

#include "CharacterSet.h"
#include "QualityReport.h"

#include <utf8/unchecked.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>
#include <utility>

namespace morvane::keytool {
namespace {

// The bytes that may start a character to escape: ASCII controls, the backslash and DEL, and the
// lead bytes of the C1 controls (C2), of U+061C (D8) and of the marks, separators, embeddings,
// overrides and isolates (E2). Every other byte is written as it is without decoding.
constexpr std::array<bool, 256> kMayStartAnEscape = [] {
  std::array<bool, 256> table{};
  for (unsigned byte = 0; byte < 0x20U; ++byte) table[byte] = true;
  for (const unsigned byte : {0x5CU, 0x7FU, 0xC2U, 0xD8U, 0xE2U}) table[byte] = true;
  return table;
}();

bool IsHidden(char32_t character) {
  return character < 0x20 || (character >= 0x7F && character <= 0x9F) || character == 0x2028 ||
         character == 0x2029 || IsDirectionControl(character);
}

struct Escape {
  std::array<char, 6> text{};
  std::size_t size = 0;
  std::string_view view() const { return {text.data(), size}; }
};

Escape EscapeOf(char32_t character) {
  constexpr std::string_view kHexDigits = "0123456789abcdef";
  Escape escape;
  if (character == U'\\') {
    escape.text = {'\\', '\\'};
    escape.size = 2;
  } else if (character < 0x80) {
    escape.text = {'\\', 'x', kHexDigits[character >> 4U], kHexDigits[character & 0xFU]};
    escape.size = 4;
  } else {
    escape.text = {'\\',
                   'u',
                   kHexDigits[(character >> 12U) & 0xFU],
                   kHexDigits[(character >> 8U) & 0xFU],
                   kHexDigits[(character >> 4U) & 0xFU],
                   kHexDigits[character & 0xFU]};
    escape.size = 6;
  }
  return escape;
}

// Calls on_character(code point, offset, offset after it) for each character that may need an
// escape, until it returns false; returns whether it went through the whole key.
template <typename OnCharacter>
bool ForEachCandidate(std::string_view key, OnCharacter on_character) {
  for (std::size_t at = 0; at < key.size();) {
    if (!kMayStartAnEscape[static_cast<unsigned char>(key[at])]) {
      ++at;
      continue;
    }
    const char* after = key.data() + at;
    const auto character = static_cast<char32_t>(utf8::unchecked::next(after));
    const auto next = static_cast<std::size_t>(after - key.data());
    if (!on_character(character, at, next)) return false;
    at = next;
  }
  return true;
}

// Writes `text` with each CR LF as a plain LF.
bool WriteWithPlainBreaks(std::string_view text, Output& out) {
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n")) {
    if (!out.Write(text.substr(0, at)) || !out.Write("\n")) return false;
    text.remove_prefix(at + 2);
  }
  return out.Write(text);
}

// Hands what the JSON library writes on to an Output.
class OutputStreamBuffer final : public std::streambuf {
 public:
  explicit OutputStreamBuffer(Output& out) : out_(out) {}

 protected:
  int_type overflow(int_type character) override {
    if (traits_type::eq_int_type(character, traits_type::eof())) return traits_type::not_eof(0);
    const char byte = traits_type::to_char_type(character);
    return out_.Write({&byte, 1}) ? character : traits_type::eof();
  }
  std::streamsize xsputn(const char* text, std::streamsize size) override {
    return out_.Write({text, static_cast<std::size_t>(size)}) ? size : 0;
  }

 private:
  Output& out_;
};

}  // namespace

bool WriteVisible(std::string_view key, Output& out) {
  std::size_t plain_from = 0;
  const bool written =
      ForEachCandidate(key, [&](char32_t character, std::size_t at, std::size_t next) {
        if (character != U'\\' && !IsHidden(character)) return true;
        if (!out.Write(key.substr(plain_from, at - plain_from)) ||
            !out.Write(EscapeOf(character).view())) {
          return false;
        }
        plain_from = next;
        return true;
      });
  return written && out.Write(key.substr(plain_from));
}

bool HoldsHiddenCharacters(std::string_view key) {
  return !ForEachCandidate(
      key, [](char32_t character, std::size_t, std::size_t) { return !IsHidden(character); });
}

bool WriteReportForReading(std::string_view key, Score score, Output& out) {
  // The report's own text is made with a stand-in in the key's place, which neither the heading
  // nor the verdict holds; the key itself is then written straight from its line, however long.
  constexpr std::string_view kKeyPlace = "\x01";
  const QualityReport frame = ReportForScore(kKeyPlace, score);
  const std::string_view prompt = frame.prompt;
  const std::size_t place = prompt.find(kKeyPlace);
  if (!out.Write(frame.title) || !out.Write("\n")) return false;
  const bool written = place == std::string_view::npos
                           ? WriteWithPlainBreaks(prompt, out)
                           : WriteWithPlainBreaks(prompt.substr(0, place), out) &&
                                 WriteVisible(key, out) &&
                                 WriteWithPlainBreaks(prompt.substr(place + kKeyPlace.size()), out);
  return written && out.Write("\n\n");
}

struct JsonReportWriter::Parts {
  explicit Parts(Output& output) : out(output), buffer(output), stream(&buffer) {}

  Output& out;
  OutputStreamBuffer buffer;
  std::ostream stream;
  nlohmann::json object = {{"box", ""}, {"prompt", ""}, {"score", 0}, {"title", ""}};
};

JsonReportWriter::JsonReportWriter(Output& out) : parts_(std::make_unique<Parts>(out)) {}

JsonReportWriter::~JsonReportWriter() = default;

bool JsonReportWriter::Write(std::string_view key, Score score) {
  QualityReport report = ReportForScore(key, score);
  nlohmann::json& object = parts_->object;
  // The members are assigned in place, so that a line reuses what the one before allocated.
  object["box"].get_ref<std::string&>() =
      report.box == ReportBox::Critical ? "Critical" : "Information";
  object["prompt"].get_ref<std::string&>() = std::move(report.prompt);
  object["score"] = score;
  object["title"].get_ref<std::string&>() = std::move(report.title);
  parts_->stream << object << '\n';
  return !parts_->out.failed();
}

}  // namespace morvane::keytool
