#include <gtest/gtest.h>

#include "platform/uText.h"

using namespace ky;

TEST(FileNamePart, TakesWhatFollowsTheLastSeparatorOrDrive) {
  const struct { const char* in; const char* out; } cases[] = {
      {"C:\\Authoring\\Objects\\bird.gif", "bird.gif"}, {"/home/a/fish.gif", "fish.gif"},
      {"a/b\\c.kyp", "c.kyp"}, {"D:duck.gif", "duck.gif"}, {"KyImage0.kyp", "KyImage0.kyp"},
      {"dir\\", ""}, {"", ""}, {"1:x", "1:x"}};
  for (const auto& c : cases) EXPECT_EQ(FileNamePart(c.in), c.out) << c.in;
}

TEST(DisplayText, KeepsUtf8AndReadsOtherBytesAsWindows1252) {
  EXPECT_EQ(DisplayText("plain"), "plain");
  EXPECT_EQ(DisplayText("M\xC3\xBC" "ller"), "M\xC3\xBC" "ller");              // already UTF-8
  EXPECT_EQ(DisplayText("M\xFC" "ller"), "M\xC3\xBC" "ller");                  // 1252 u-umlaut
  EXPECT_EQ(DisplayText("\x80 5"), "\xE2\x82\xAC 5");                           // euro sign
  EXPECT_EQ(DisplayText("\x81"), "\xC2\x81");                                   // undefined slot
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                                        // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                                    // surrogate
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8C\x8A"));
}

TEST(ParseInteger, AcceptsDecimalAndDollarHexOnly) {
  EXPECT_EQ(ParseInteger("42"), 42);
  EXPECT_EQ(ParseInteger("-17"), -17);
  EXPECT_EQ(ParseInteger("$1F"), 31);
  EXPECT_EQ(ParseInteger("$ffffffff"), -1);
  EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInteger("  7"), 7);
  for (const char* bad : {"", "abc", "12x", "0x10", "$", "-", "2147483648", "$100000000", "1 2"})
    EXPECT_FALSE(ParseInteger(bad).has_value()) << bad;
}

TEST(SplitLines, HandlesEveryLineBreak) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(JsonString, EscapesAndDecodesForDisplay) {
  EXPECT_EQ(JsonString("a\"b\\\x01\xE9"), "\"a\\\"b\\\\\\u0001\xC3\xA9\"");  // 1252 e-acute becomes UTF-8
  EXPECT_EQ(JsonString("tab\tline\r\n\x7F"), "\"tab\\tline\\r\\n\\u007f\"");
  EXPECT_EQ(JsonString(""), "\"\"");
}

TEST(ControlCharacters, EscapedInJsonAndForTheTerminal) {
  // C1 codes open terminal escape sequences and bidirectional overrides make a name read as
  // another; each is shown as its code, the printable text around it as it is.
  const struct {
    const char* raw;
    const char* json;
    const char* terminal;
  } cases[] = {
      {"a\x1b[2Jb", "\"a\\u001b[2Jb\"", "a\\x1b[2Jb"},
      {"\xC2\x9B" "31m", "\"\\u009b31m\"", "\\x9b31m"},                             // CSI as UTF-8 C1
      {"\x9B", "\"\xE2\x80\xBA\"", "\xE2\x80\xBA"},  // not UTF-8: read as 1252, U+203A, printable
      {"photo\xE2\x80\xAEgpj.exe", "\"photo\\u202egpj.exe\"", "photo\\u{202e}gpj.exe"},  // right-to-left override
      {"\xE2\x81\xA6x\xE2\x81\xA9", "\"\\u2066x\\u2069\"", "\\u{2066}x\\u{2069}"},
      {"\xE2\x80\x8F\xD8\x9C", "\"\\u200f\\u061c\"", "\\u{200f}\\u{061c}"},
      {"\xE2\x80\x94 \xC3\xA9", "\"\xE2\x80\x94 \xC3\xA9\"", "\xE2\x80\x94 \xC3\xA9"},  // em dash, e-acute stay
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JsonString(c.raw), c.json) << c.raw;
    EXPECT_EQ(TerminalText(c.raw), c.terminal) << c.raw;
  }
}
