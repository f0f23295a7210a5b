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

// The control character that starts at byte i of a UTF-8 text, as its code point, with its
// length in bytes in `length`; 0 when none starts there. Controls are C0, DEL, C1 (which
// terminals read as escape sequences) and the bidirectional overrides and isolates (which make
// a name read differently from what it is).
uint32_t ControlCharacterAt(std::string_view utf8, size_t i, size_t& length);

// A JSON string literal of an 8-bit text, decoded for display first (see DisplayText); every
// control character is written as a \u escape.
std::string JsonString(std::string_view raw);

// An 8-bit text as it may go to a terminal: decoded for display, every control character shown
// as \xNN (up to U+00FF) or \u{NNNN}.
std::string TerminalText(std::string_view raw);

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
