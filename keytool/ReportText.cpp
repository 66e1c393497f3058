#include "ReportText.h"

#include "CharacterSet.h"
#include "QualityReport.h"

#include <utf8/unchecked.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
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

// The letter of a byte's short escape in JSON, such as n for LF, or 0 where it has none.
char ShortJsonEscape(unsigned char byte) {
  switch (byte) {
    case '"':
      return '"';
    case '\\':
      return '\\';
    case '\b':
      return 'b';
    case '\f':
      return 'f';
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    case '\t':
      return 't';
    default:
      return 0;
  }
}

// Writes a valid UTF-8 key as the inside of a JSON string: a quotation mark, a backslash and the
// C0 controls escaped as JSON requires (as the JSON library does: \n, \u001b), every other
// character as it is. The library writes whole values only; this way a key of 64 MiB is written
// without a copy.
bool WriteJsonString(std::string_view key, Output& out) {
  constexpr std::string_view kHexDigits = "0123456789abcdef";
  std::size_t plain_from = 0;
  for (std::size_t at = 0; at < key.size(); ++at) {
    const auto byte = static_cast<unsigned char>(key[at]);
    if (byte >= 0x20U && byte != '"' && byte != '\\') continue;
    std::array<char, 6> escape = {
        '\\', 'u', '0', '0', kHexDigits[byte >> 4U], kHexDigits[byte & 0xFU]};
    std::size_t size = escape.size();
    if (const char letter = ShortJsonEscape(byte); letter != 0) {
      escape[1] = letter;
      size = 2;
    }
    if (!out.Write(key.substr(plain_from, at - plain_from)) || !out.Write({escape.data(), size})) {
      return false;
    }
    plain_from = at + 1;
  }
  return out.Write(key.substr(plain_from));
}

// The report's own text is made with a stand-in in the key's place, which neither the heading
// nor the verdict holds.
constexpr std::string_view kKeyPlace = "\x01";

std::string WithPlainBreaks(std::string_view text) {
  std::string plain;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n")) {
    plain.append(text.substr(0, at)).append("\n");
    text.remove_prefix(at + 2);
  }
  return plain.append(text);
}

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

bool ReportWriter::Write(std::string_view key, Score score) {
  std::optional<Frame>& frame = frames_.at(static_cast<std::size_t>(score));
  if (!frame) frame = MakeFrame(score);
  if (!out_.Write(frame->before)) return false;
  if (!frame->holds_key) return true;
  const bool key_written =
      form_ == Form::Json ? WriteJsonString(key, out_) : WriteVisible(key, out_);
  return key_written && out_.Write(frame->after);
}

ReportWriter::Frame ReportWriter::MakeFrame(Score score) const {
  const QualityReport report = ReportForScore(kKeyPlace, score);
  std::string text;
  std::string place(kKeyPlace);  // the stand-in as it shows in the text
  if (form_ == Form::Json) {
    const nlohmann::json object = {
        {"box", report.box == ReportBox::Critical ? "Critical" : "Information"},
        {"prompt", report.prompt},
        {"score", score},
        {"title", report.title},
    };
    text = object.dump() + "\n";
    const std::string quoted = nlohmann::json(place).dump();
    place = quoted.substr(1, quoted.size() - 2);
  } else {
    text.append(report.title).append("\n").append(WithPlainBreaks(report.prompt)).append("\n\n");
  }
  const std::size_t at = text.find(place);
  if (at == std::string::npos) return {std::move(text), {}, false};
  return {text.substr(0, at), text.substr(at + place.size()), true};
}

}  // namespace morvane::keytool
