#include "uFormLexer.h"

#include <charconv>

#include "config/uFormTree.h"
#include "platform/uText.h"

namespace ky {

namespace {

bool IsIdentStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || u >= 0x80;
}
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendCodePoint(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Collects the pieces of one string; #codes are UTF-16 code units, so a high surrogate waits
// for the low one that may follow as the next #code. A surrogate without its partner is U+FFFD.
class TStringBuilder {
 public:
  void Unit(uint32_t u) {
    if (FHigh) {
      if (u >= 0xDC00 && u <= 0xDFFF) {
        AppendCodePoint(FOut, 0x10000 + ((FHigh - 0xD800) << 10) + (u - 0xDC00));
        FHigh = 0;
        return;
      }
      Flush();
    }
    if (u >= 0xD800 && u <= 0xDBFF) FHigh = u;
    else if (u >= 0xDC00 && u <= 0xDFFF) AppendCodePoint(FOut, 0xFFFD);
    else AppendCodePoint(FOut, u);
  }
  void Text(std::string_view s) {
    Flush();
    FOut += s;
  }
  std::string Take() {
    Flush();
    return std::move(FOut);
  }

 private:
  void Flush() {
    if (FHigh) AppendCodePoint(FOut, 0xFFFD);
    FHigh = 0;
  }
  std::string FOut;
  uint32_t FHigh = 0;
};

}  // namespace

bool TFormToken::IsWord(std::string_view word) const {
  return Kind == TFormTokenKind::Ident && SameTextAscii(Text, word);
}

std::string TFormToken::Describe() const {
  switch (Kind) {
    case TFormTokenKind::End: return "the end of the text";
    case TFormTokenKind::Ident: return "identifier \"" + Text + "\"";
    case TFormTokenKind::Integer: return "number " + std::to_string(Integer);
    case TFormTokenKind::Float: return "a number";
    case TFormTokenKind::String: return "a string";
    case TFormTokenKind::Bytes: return "data {...}";
    case TFormTokenKind::Symbol: return "\"" + Text + "\"";
  }
  return "a token";
}

TFormLexer::TFormLexer(std::string_view text, std::string fileName, int firstLine)
    : FText(text), FFileName(std::move(fileName)), FLine(firstLine) {}

void TFormLexer::Fail(int line, int column, const std::string& message) const {
  throw EFormSyntax(FFileName, line, column, message);
}

void TFormLexer::Advance() {
  const char c = FText[FPos++];
  if (c == '\n' || (c == '\r' && Peek() != '\n')) {
    ++FLine;
    FColumn = 1;
  } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
    ++FColumn;  // a UTF-8 continuation byte belongs to the character before it
  }
}

void TFormLexer::SkipBlanks() {
  while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ') Advance();
}

TFormToken TFormLexer::Next() {
  SkipBlanks();
  TFormToken t;
  t.Line = FLine;
  t.Column = FColumn;
  if (FPos >= FText.size()) return t;
  const char c = Peek();
  if (IsIdentStart(c)) {
    ReadIdent(t);
  } else if (IsDigit(c) || c == '$' || (c == '-' && (IsDigit(Peek(1)) || Peek(1) == '$'))) {
    ReadNumber(t);
  } else if (c == '\'' || c == '#') {
    ReadString(t);
  } else if (c == '{') {
    ReadBytes(t);
  } else if (std::string_view("=:.,+[]()<>").find(c) != std::string_view::npos) {
    t.Kind = TFormTokenKind::Symbol;
    t.Text = std::string(1, c);
    Advance();
  } else {
    const auto u = static_cast<unsigned char>(c);
    Fail(t.Line, t.Column,
         u >= 0x20 && u < 0x7F ? "unexpected character \"" + std::string(1, c) + "\""
                               : "unexpected character " + std::to_string(u));
  }
  return t;
}

void TFormLexer::ReadIdent(TFormToken& t) {
  t.Kind = TFormTokenKind::Ident;
  const size_t start = FPos;
  while (FPos < FText.size() && IsIdentChar(Peek())) Advance();
  t.Text = std::string(FText.substr(start, FPos - start));
}

void TFormLexer::ReadNumber(TFormToken& t) {
  const bool negative = Peek() == '-';
  if (negative) Advance();
  if (Peek() == '$') {
    Advance();
    uint64_t v = 0;
    int digits = 0;
    for (; HexValue(Peek()) >= 0; ++digits) {
      if (digits == 16) Fail(t.Line, t.Column, "hexadecimal number out of range");
      v = v << 4 | static_cast<uint64_t>(HexValue(Peek()));
      Advance();
    }
    if (!digits) Fail(FLine, FColumn, "hexadecimal digit expected after \"$\"");
    t.Kind = TFormTokenKind::Integer;
    t.Integer = static_cast<int64_t>(negative ? 0 - v : v);
  } else {
    const size_t start = FPos - (negative ? 1 : 0);
    while (IsDigit(Peek())) Advance();
    bool isFloat = false;
    if (Peek() == '.' && IsDigit(Peek(1))) {
      isFloat = true;
      Advance();
      while (IsDigit(Peek())) Advance();
    }
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
      isFloat = true;
      Advance();
      if (!IsDigit(Peek())) Advance();
      while (IsDigit(Peek())) Advance();
    }
    const char* first = FText.data() + start;
    const char* last = FText.data() + FPos;
    if (isFloat) {
      t.Kind = TFormTokenKind::Float;
      // from_chars reads the C format whatever the locale.
      const auto r = std::from_chars(first, last, t.Float);
      if (r.ec != std::errc() || r.ptr != last) Fail(t.Line, t.Column, "number out of range");
      // Currency, date and single-precision marks of the writer carry no meaning here.
      if (std::string_view("cCdDsS").find(Peek()) != std::string_view::npos && Peek() != '\0' && !IsIdentChar(Peek(1)))
        Advance();
    } else {
      t.Kind = TFormTokenKind::Integer;
      const auto r = std::from_chars(first, last, t.Integer);
      if (r.ec != std::errc() || r.ptr != last) Fail(t.Line, t.Column, "integer out of range");
    }
  }
  if (IsIdentChar(Peek())) Fail(FLine, FColumn, "unexpected character \"" + std::string(1, Peek()) + "\" after a number");
}

void TFormLexer::ReadString(TFormToken& t) {
  t.Kind = TFormTokenKind::String;
  TStringBuilder text;
  for (;;) {
    if (Peek() == '\'') {
      Advance();
      size_t start = FPos;
      for (;;) {
        if (FPos >= FText.size() || Peek() == '\r' || Peek() == '\n') Fail(FLine, FColumn, "unterminated string, \"'\" expected");
        if (Peek() == '\'') {
          text.Text(FText.substr(start, FPos - start));
          Advance();
          if (Peek() != '\'') break;
          start = FPos;  // a doubled quote is one quote: the second starts the next run
          Advance();
        } else {
          Advance();
        }
      }
    } else if (Peek() == '#') {
      const int line = FLine, column = FColumn;
      Advance();
      uint32_t v = 0;
      int digits = 0;
      if (Peek() == '$') {
        Advance();
        for (; HexValue(Peek()) >= 0; ++digits, Advance())
          if ((v = v << 4 | static_cast<uint32_t>(HexValue(Peek()))) > 0xFFFF) Fail(line, column, "character code out of range");
      } else {
        for (; IsDigit(Peek()); ++digits, Advance())
          if ((v = v * 10 + static_cast<uint32_t>(Peek() - '0')) > 0xFFFF) Fail(line, column, "character code out of range");
      }
      if (!digits) Fail(FLine, FColumn, "character code expected after \"#\"");
      text.Unit(v);
    } else {
      break;
    }
  }
  t.Text = text.Take();
}

void TFormLexer::ReadBytes(TFormToken& t) {
  t.Kind = TFormTokenKind::Bytes;
  Advance();
  int high = -1;
  for (;;) {
    SkipBlanks();
    if (FPos >= FText.size()) Fail(FLine, FColumn, "unterminated data, \"}\" expected");
    const char c = Peek();
    if (c == '}') {
      if (high >= 0) Fail(FLine, FColumn, "odd number of hexadecimal digits in data");
      Advance();
      return;
    }
    const int v = HexValue(c);
    if (v < 0) Fail(FLine, FColumn, "hexadecimal digit or \"}\" expected");
    if (high < 0) {
      high = v;
    } else {
      t.Bytes.push_back(static_cast<uint8_t>(high << 4 | v));
      high = -1;
    }
    Advance();
  }
}

}  // namespace ky
