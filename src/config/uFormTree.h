#pragma once
// The plain tree that a window text (the property-text format of the configuration windows)
// parses into. The lexer and parser build it, the printer writes it back, and the instantiator
// of src/config/ui walks it to create the controls. No Qt here: the tree is testable alone.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace ky {

struct TFormProperty;

enum class TFormValueKind {
  Integer,  // 12, -11
  Float,    // 1.5, 2.0E3 (read the same under any locale)
  String,   // 'a''b'#39'c', with "+" continuation lines; held decoded as UTF-8
  Ident,    // True, clNavy, taRightJustify, Form1.Button1
  Set,      // [fsBold, fsItalic]
  List,     // ( 1 2 'x' )
  Items,    // < item ... end item ... end >
  Bytes,    // { 0A1B ... }
};

struct TFormValue {
  TFormValueKind Kind = TFormValueKind::Integer;
  int64_t Integer = 0;
  double Float = 0;
  std::string Text;                               // String (UTF-8) and Ident
  std::vector<std::string> Set;                   // Set: the identifiers in order
  std::vector<TFormValue> List;                   // List
  std::vector<std::vector<TFormProperty>> Items;  // Items: each item's properties in order
  std::vector<uint8_t> Bytes;                     // Bytes
  int Line = 0;                                   // where the value starts (1-based)
  int Column = 0;
};

struct TFormProperty {
  std::string Name;  // possibly dotted: "Font.Name", "Picture.Data"
  TFormValue Value;
  int Line = 0;
  int Column = 0;
};

enum class TFormObjectKind { Object, Inherited, Inline };

struct TFormObject {
  TFormObjectKind Kind = TFormObjectKind::Object;
  std::string Name;       // empty for "object TTimer"
  std::string ClassName;  // as written
  int Line = 0;           // the object line (1-based)
  int Position = -1;      // "[n]" after the class (the writer's order of inherited children); -1 none
  std::vector<TFormProperty> Properties;  // in text order
  std::vector<TFormObject> Children;      // in text order
};

// A window text that does not follow the grammar. what() is "FILE:LINE:COLUMN: message".
class EFormSyntax : public std::runtime_error {
 public:
  EFormSyntax(const std::string& file, int line, int column, const std::string& message)
      : std::runtime_error(file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message),
        File(file), Line(line), Column(column), Message(message) {}
  std::string File;
  int Line;
  int Column;
  std::string Message;
};

}  // namespace ky
