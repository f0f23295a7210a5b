#pragma once
// The tokens of the property-text format, each with the line and column where it starts.
// Strings arrive decoded: adjacent quoted pieces and #codes (UTF-16 code units, surrogates
// paired) become one UTF-8 token; the "+" that continues a string is a symbol of its own.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ky {

enum class TFormTokenKind {
  End,      // the end of the text
  Ident,    // letters, digits and "_", not starting with a digit (one part of a dotted name)
  Integer,  // 12, -5, $1F
  Float,    // 1.5, -2E3
  String,   // 'a''b'#13#10'c'
  Bytes,    // {0A1B ...}
  Symbol,   // one of = : . , + [ ] ( ) < >
};

struct TFormToken {
  TFormTokenKind Kind = TFormTokenKind::End;
  std::string Text;  // Ident: the name; String: the decoded text; Symbol: the character
  int64_t Integer = 0;
  double Float = 0;
  std::vector<uint8_t> Bytes;
  int Line = 1;  // 1-based; columns count characters
  int Column = 1;

  bool IsSymbol(char c) const { return Kind == TFormTokenKind::Symbol && Text.size() == 1 && Text[0] == c; }
  // An identifier equal to word, without regard to case ("object", "END").
  bool IsWord(std::string_view word) const;
  // How the token is named in an error message: "identifier \"Foo\"", "\"=\"", "the end of the text".
  std::string Describe() const;
};

class TFormLexer {
 public:
  // text is UTF-8; firstLine is the line number of its first line (a window text inside a
  // description file starts further down).
  TFormLexer(std::string_view text, std::string fileName, int firstLine = 1);

  // The next token; throws EFormSyntax at a character that starts no token, an unterminated
  // string, a bad #code or {data}, or a number out of range.
  TFormToken Next();

  const std::string& FileName() const { return FFileName; }

 private:
  [[noreturn]] void Fail(int line, int column, const std::string& message) const;
  char Peek(size_t ahead = 0) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : '\0'; }
  void Advance();
  void SkipBlanks();
  void ReadIdent(TFormToken& t);
  void ReadNumber(TFormToken& t);
  void ReadString(TFormToken& t);
  void ReadBytes(TFormToken& t);

  std::string_view FText;
  std::string FFileName;
  size_t FPos = 0;
  int FLine;
  int FColumn = 1;
};

}  // namespace ky
