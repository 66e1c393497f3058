#include "ReportBoxText.h"

#include "CharacterSet.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace morvane {
namespace {

constexpr std::size_t kLongestLine = 1000;  // a line alone is shortened beyond this
constexpr std::size_t kLongLine = 120;      // lines beyond this share the room with each other
constexpr std::size_t kShownEnd = 60;       // characters kept at each end of a shortened line
constexpr std::size_t kEndLines = 4;        // lines kept at each end of a text of too many

constexpr char32_t kFirstStrongIsolate = 0x2068;
constexpr char32_t kPopDirectionalIsolate = 0x2069;
constexpr std::string_view kIsolateStart = "\xE2\x81\xA8";  // U+2068, first strong isolate
constexpr std::string_view kIsolateEnd = "\xE2\x81\xA9";    // U+2069, pop directional isolate
constexpr std::string_view kParagraphBreak = "\r\n";

bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U;  // not a continuation byte
}

std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), StartsCharacter));
}

// The code points of valid UTF-8 `text`, one at a time.
template <typename Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80U ? 1 : lead < 0xE0U ? 2 : lead < 0xF0U ? 3 : 4;
    char32_t character = length == 1 ? lead : lead & (0x7FU >> length);
    for (std::size_t next = 1; next < length && at + next < text.size(); ++next) {
      character = (character << 6U) | (static_cast<unsigned char>(text[at + next]) & 0x3FU);
    }
    visit(character);
    at += length;
  }
}

bool HoldsDirectionControl(std::string_view text) {
  bool holds = false;
  ForEachCharacter(text,
                   [&](char32_t character) { holds = holds || IsDirectionControl(character); });
  return holds;
}

// `part` of one line, isolated when it holds direction controls: its isolates that close without
// opening get isolates to close, and those it leaves open are closed, so that the outermost
// isolate ends exactly with the part and takes every embedding and override in it along.
std::string Isolated(std::string_view part) {
  if (!HoldsDirectionControl(part)) return std::string(part);
  std::size_t open = 0;
  std::size_t closed_unopened = 0;
  ForEachCharacter(part, [&](char32_t character) {
    if (character >= 0x2066 && character <= kFirstStrongIsolate) {
      ++open;
    } else if (character == kPopDirectionalIsolate) {
      if (open > 0) {
        --open;
      } else {
        ++closed_unopened;
      }
    }
  });
  std::string isolated;
  for (std::size_t i = 0; i <= closed_unopened; ++i) isolated += kIsolateStart;
  isolated += part;
  for (std::size_t i = 0; i <= open; ++i) isolated += kIsolateEnd;
  return isolated;
}

struct Line {
  std::string_view text;
  std::string_view end;  // its line break; empty for the last line
};

// Lines end at CR LF, LF, CR, U+2028 (line separator) and U+2029 (paragraph separator).
std::size_t LineBreakAt(std::string_view text, std::size_t at) {
  switch (text[at]) {
    case '\n':
      return 1;
    case '\r':
      return text.substr(at, 2) == "\r\n" ? 2 : 1;
    case '\xE2':
      return text.substr(at, 3) == "\u2028" || text.substr(at, 3) == "\u2029" ? 3 : 0;
    default:
      return 0;
  }
}

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t line_break = LineBreakAt(text, at);
    if (line_break == 0) {
      ++at;
      continue;
    }
    lines.push_back({text.substr(start, at - start), text.substr(at, line_break)});
    at += line_break;
    start = at;
  }
  lines.push_back({text.substr(start), {}});
  return lines;
}

// The bytes of the first `count` characters of UTF-8 `text`.
std::size_t BytesOfFirst(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t started = 0; end < text.size(); ++end) {
    if (StartsCharacter(text[end]) && started++ == count) break;
  }
  return end;
}

// The bytes of the last `count` characters of UTF-8 `text`.
std::size_t BytesOfLast(std::string_view text, std::size_t count) {
  std::size_t start = text.size();
  for (std::size_t started = 0; start > 0 && started < count;) {
    if (StartsCharacter(text[--start])) ++started;
  }
  return text.size() - start;
}

std::string Note(std::size_t count, const char* what) {
  return QStringLiteral("[\u2026 %L1 %2 left out \u2026]")
      .arg(static_cast<qulonglong>(count))
      .arg(QLatin1String(what))
      .toStdString();
}

std::string ShortenedLine(std::string_view line, std::size_t longest) {
  const std::size_t characters = CharacterCount(line);
  if (characters <= longest) return std::string(line);
  return Isolated(line.substr(0, BytesOfFirst(line, kShownEnd))) + ' ' +
         Note(characters - 2 * kShownEnd, "characters") + ' ' +
         Isolated(line.substr(line.size() - BytesOfLast(line, kShownEnd)));
}

}  // namespace

std::string IsolatedKey(std::string_view key) {
  if (!HoldsDirectionControl(key)) return std::string(key);
  std::string isolated;
  for (const Line& line : SplitLines(key)) {
    isolated.append(Isolated(line.text)).append(line.end);
  }
  return isolated;
}

std::string ShortenedForDisplay(std::string_view text) {
  std::vector<Line> lines = SplitLines(text);
  std::size_t left_out = 0;
  if (lines.size() > 2 * kEndLines + 1) {
    left_out = lines.size() - 2 * kEndLines;
    lines.erase(lines.begin() + kEndLines, lines.end() - kEndLines);
  }
  const auto long_lines = std::count_if(lines.begin(), lines.end(), [](const Line& line) {
    return line.text.size() > kLongLine && CharacterCount(line.text) > kLongLine;
  });
  const std::size_t longest = long_lines > 1 ? kLongLine : kLongestLine;
  std::string shown;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    shown += ShortenedLine(lines[i].text, longest);
    // The note takes a paragraph of its own, where no direction of a key's reaches it.
    if (left_out > 0 && i + 1 == kEndLines) {
      shown.append(kParagraphBreak).append(Note(left_out, "lines")).append(kParagraphBreak);
    } else {
      shown += lines[i].end;
    }
  }
  return shown;
}

}  // namespace morvane
