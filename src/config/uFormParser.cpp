#include "uFormParser.h"

#include "config/uFormLexer.h"
#include "config/uTextDecode.h"
#include "platform/uText.h"

namespace ky {

namespace {

// Grammar (keywords without regard to case):
//   object   := ("object" | "inherited" | "inline") [name ":"] class ["[" integer "]"]
//               property* object* "end"
//   property := dotted "=" value
//   value    := integer | float | string ("+" string)* | dotted | "[" [ident ("," ident)*] "]"
//             | "(" value* ")" | "<" ("item" ["[" integer "]"] property* "end")* ">" | bytes
//   dotted   := ident ("." ident)*
class TFormParser {
 public:
  TFormParser(std::string_view text, const std::string& fileName, int firstLine) : FLexer(text, fileName, firstLine) {
    Advance();
  }

  TFormObject Root() {
    if (FToken.Kind == TFormTokenKind::End) Fail("\"object\" expected, the text is empty");
    TFormObject root = Object(0);
    if (FToken.Kind != TFormTokenKind::End) Fail("the end of the text expected after the last \"end\"");
    return root;
  }

 private:
  void Advance() { FToken = FLexer.Next(); }

  [[noreturn]] void Fail(const std::string& message) const {
    throw EFormSyntax(FLexer.FileName(), FToken.Line, FToken.Column, message);
  }
  [[noreturn]] void Expected(const std::string& what) const { Fail(what + " expected, found " + FToken.Describe()); }

  void ExpectSymbol(char c) {
    if (!FToken.IsSymbol(c)) Expected(std::string("\"") + c + "\"");
    Advance();
  }

  std::string Ident(const char* what) {
    if (FToken.Kind != TFormTokenKind::Ident) Expected(what);
    std::string s = std::move(FToken.Text);
    Advance();
    return s;
  }

  std::string Dotted(const char* what) {
    std::string s = Ident(what);
    while (FToken.IsSymbol('.')) {
      Advance();
      s += "." + Ident("a name after \".\"");
    }
    return s;
  }

  void CheckDepth(int depth) const {
    if (depth >= kMaxFormDepth) Fail("nesting deeper than " + std::to_string(kMaxFormDepth) + " levels");
  }

  bool AtObjectStart() const { return FToken.IsWord("object") || FToken.IsWord("inherited") || FToken.IsWord("inline"); }

  // "[n]" after an object's class or a collection's "item": the position the writer recorded.
  int OrderModifier() {
    if (!FToken.IsSymbol('[')) return -1;
    Advance();
    if (FToken.Kind != TFormTokenKind::Integer || FToken.Integer < 0 || FToken.Integer > INT32_MAX)
      Expected("a position");
    const int n = static_cast<int>(FToken.Integer);
    Advance();
    ExpectSymbol(']');
    return n;
  }

  TFormObject Object(int depth) {
    CheckDepth(depth);
    TFormObject o;
    o.Line = FToken.Line;
    if (FToken.IsWord("object")) o.Kind = TFormObjectKind::Object;
    else if (FToken.IsWord("inherited")) o.Kind = TFormObjectKind::Inherited;
    else if (FToken.IsWord("inline")) o.Kind = TFormObjectKind::Inline;
    else Expected("\"object\"");
    Advance();
    o.ClassName = Dotted("a class name");
    if (FToken.IsSymbol(':')) {
      Advance();
      o.Name = std::move(o.ClassName);
      o.ClassName = Dotted("a class name after \":\"");
    }
    o.Position = OrderModifier();
    while (!FToken.IsWord("end") && !AtObjectStart()) o.Properties.push_back(Property(depth));
    while (!FToken.IsWord("end")) {
      if (!AtObjectStart()) Expected("\"object\" or \"end\"");
      o.Children.push_back(Object(depth + 1));
    }
    Advance();
    return o;
  }

  TFormProperty Property(int depth) {
    TFormProperty p;
    p.Line = FToken.Line;
    p.Column = FToken.Column;
    p.Name = Dotted("a property name, \"object\" or \"end\"");
    ExpectSymbol('=');
    p.Value = Value(depth);
    return p;
  }

  TFormValue Value(int depth) {
    TFormValue v;
    v.Line = FToken.Line;
    v.Column = FToken.Column;
    switch (FToken.Kind) {
      case TFormTokenKind::Integer:
        v.Kind = TFormValueKind::Integer;
        v.Integer = FToken.Integer;
        Advance();
        return v;
      case TFormTokenKind::Float:
        v.Kind = TFormValueKind::Float;
        v.Float = FToken.Float;
        Advance();
        return v;
      case TFormTokenKind::String:
        v.Kind = TFormValueKind::String;
        v.Text = std::move(FToken.Text);
        Advance();
        while (FToken.IsSymbol('+')) {
          Advance();
          if (FToken.Kind != TFormTokenKind::String) Expected("a string after \"+\"");
          v.Text += FToken.Text;
          Advance();
        }
        return v;
      case TFormTokenKind::Ident:
        v.Kind = TFormValueKind::Ident;
        v.Text = Dotted("a name");
        return v;
      case TFormTokenKind::Bytes:
        v.Kind = TFormValueKind::Bytes;
        v.Bytes = std::move(FToken.Bytes);
        Advance();
        return v;
      case TFormTokenKind::Symbol:
        if (FToken.IsSymbol('[')) return Set(std::move(v));
        if (FToken.IsSymbol('(')) return List(std::move(v), depth);
        if (FToken.IsSymbol('<')) return Items(std::move(v), depth);
        break;
      case TFormTokenKind::End:
        break;
    }
    Expected("a value");
  }

  TFormValue Set(TFormValue v) {
    v.Kind = TFormValueKind::Set;
    Advance();
    if (!FToken.IsSymbol(']')) {
      v.Set.push_back(Ident("a name in the set"));
      while (FToken.IsSymbol(',')) {
        Advance();
        v.Set.push_back(Ident("a name in the set"));
      }
    }
    ExpectSymbol(']');
    return v;
  }

  TFormValue List(TFormValue v, int depth) {
    CheckDepth(depth + 1);
    v.Kind = TFormValueKind::List;
    Advance();
    while (!FToken.IsSymbol(')')) {
      if (FToken.Kind == TFormTokenKind::End) Expected("\")\"");
      v.List.push_back(Value(depth + 1));
    }
    Advance();
    return v;
  }

  TFormValue Items(TFormValue v, int depth) {
    CheckDepth(depth + 1);
    v.Kind = TFormValueKind::Items;
    Advance();
    while (!FToken.IsSymbol('>')) {
      if (!FToken.IsWord("item")) Expected("\"item\" or \">\"");
      Advance();
      OrderModifier();  // the writer's item positions are not kept
      std::vector<TFormProperty> item;
      while (!FToken.IsWord("end")) item.push_back(Property(depth + 1));
      Advance();
      v.Items.push_back(std::move(item));
    }
    Advance();
    return v;
  }

  TFormLexer FLexer;
  TFormToken FToken;
};

}  // namespace

TFormObject ParseFormText(std::string_view text, const std::string& fileName, int firstLine) {
  if (text.substr(0, 4) == "TPF0")
    throw EFormSyntax(fileName, firstLine, 1, "a binary form file (\"TPF0\"); only the text form can be read");
  if (IsValidUtf8(text) && text.substr(0, 3) != "\xEF\xBB\xBF") return TFormParser(text, fileName, firstLine).Root();
  const std::string decoded = DecodeTextBytes(text);
  if (decoded.substr(0, 4) == "TPF0")
    throw EFormSyntax(fileName, firstLine, 1, "a binary form file (\"TPF0\"); only the text form can be read");
  return TFormParser(decoded, fileName, firstLine).Root();
}

}  // namespace ky
