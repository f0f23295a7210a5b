#pragma once
// Small text helpers. Texts from packages and scene files are 8-bit strings kept byte for byte;
// they are decoded only for display.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ky {

// The file-name part of a stored name: what follows the last "\" or "/", or a leading drive "X:".
std::string FileNamePart(std::string_view name);

// ASCII upper case; other bytes stay as they are.
std::string UpperCaseAscii(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);

bool IsValidUtf8(std::string_view s);
// UTF-8 for display: the bytes themselves when they are valid UTF-8, else read as Windows-1252.
std::string DisplayText(std::string_view s);

// A JSON string literal of an 8-bit text, decoded for display first (see DisplayText).
std::string JsonString(std::string_view raw);

// A text shown to the user with each CR LF turned into a plain line break.
std::string UnixLineBreaks(std::string text);

// Spaces and control characters (<= ' ') removed from both ends.
std::string_view Trim(std::string_view s);

// Text lines split at CR LF, LF or a lone CR; a last line without a break counts, an empty
// text gives no line.
std::vector<std::string> SplitLines(std::string_view text);

// A 32-bit integer in decimal or "$"-prefixed hexadecimal, with an optional sign; leading blanks
// are allowed. Anything else (including overflow) gives no value.
std::optional<int32_t> ParseInteger(std::string_view s);

}  // namespace ky
