#include "uFormPrinter.h"

#include <charconv>
#include <cmath>

#include "platform/uError.h"

namespace ky {

namespace {

// Quoted runs and #codes of a string are kept together up to this many characters a line.
constexpr size_t kStringLine = 64;
constexpr size_t kBytesPerLine = 32;

std::string Indent(int level) { return std::string(static_cast<size_t>(level) * 2, ' '); }

// The pieces of a string as written: quoted runs of at most kStringLine bytes (never cut inside
// a UTF-8 character) and #codes for control characters. After a line feed a new line starts.
std::vector<std::string> StringLines(const std::string& s) {
  if (s.empty()) return {"''"};
  std::vector<std::string> lines(1);
  bool inQuote = false;
  auto closeQuote = [&] {
    if (inQuote) lines.back() += '\'';
    inQuote = false;
  };
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool startsChar = (c & 0xC0) != 0x80;
    if (startsChar && lines.back().size() >= kStringLine) {
      closeQuote();
      lines.emplace_back();
    }
    if (c < 0x20 || c == 0x7F) {
      closeQuote();
      lines.back() += "#" + std::to_string(c);
      if (c == '\n' && i + 1 < s.size()) lines.emplace_back();
      continue;
    }
    if (!inQuote) {
      lines.back() += '\'';
      inQuote = true;
    }
    lines.back() += s[i];
    if (c == '\'') lines.back() += '\'';
  }
  closeQuote();
  return lines;
}

std::string FloatText(double f) {
  if (!std::isfinite(f)) throw TKyError("a number that is not finite cannot be written as property text");
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, f);
  std::string s(buf, r.ptr);
  // The reader takes a number without "." or exponent for an integer.
  if (s.find_first_of(".eE") == std::string::npos) s += ".0";
  return s;
}

class TPrinter {
 public:
  std::vector<std::string> Lines;

  void Object(const TFormObject& o, int level) {
    const char* word = o.Kind == TFormObjectKind::Inherited ? "inherited "
                       : o.Kind == TFormObjectKind::Inline  ? "inline "
                                                            : "object ";
    std::string head = Indent(level) + word + (o.Name.empty() ? o.ClassName : o.Name + ": " + o.ClassName);
    if (o.Position >= 0) head += " [" + std::to_string(o.Position) + "]";
    Lines.push_back(std::move(head));
    for (const TFormProperty& p : o.Properties) Property(p, level + 1);
    for (const TFormObject& c : o.Children) Object(c, level + 1);
    Lines.push_back(Indent(level) + "end");
  }

 private:
  void Property(const TFormProperty& p, int level) {
    Lines.push_back(Indent(level) + p.Name + " = ");
    Value(p.Value, level, false);
  }

  // Appends v to the last line; lines it adds are indented one level below `level`. ownLine:
  // the value stands alone on its line (a list entry), so a long string starts right there.
  void Value(const TFormValue& v, int level, bool ownLine) {
    switch (v.Kind) {
      case TFormValueKind::Integer: Lines.back() += std::to_string(v.Integer); return;
      case TFormValueKind::Float: Lines.back() += FloatText(v.Float); return;
      case TFormValueKind::Ident: Lines.back() += v.Text; return;
      case TFormValueKind::String: String(v.Text, level, ownLine); return;
      case TFormValueKind::Set: {
        std::string s = "[";
        for (size_t i = 0; i < v.Set.size(); ++i) s += (i ? ", " : "") + v.Set[i];
        Lines.back() += s + "]";
        return;
      }
      case TFormValueKind::List:
        if (v.List.empty()) {
          Lines.back() += "()";
          return;
        }
        Lines.back() += "(";
        for (const TFormValue& e : v.List) {
          Lines.push_back(Indent(level + 1));
          Value(e, level + 1, true);
        }
        Lines.back() += ")";
        return;
      case TFormValueKind::Items:
        if (v.Items.empty()) {
          Lines.back() += "<>";
          return;
        }
        Lines.back() += "<";
        for (const auto& item : v.Items) {
          Lines.push_back(Indent(level + 1) + "item");
          for (const TFormProperty& p : item) Property(p, level + 2);
          Lines.push_back(Indent(level + 1) + "end");
        }
        Lines.back() += ">";
        return;
      case TFormValueKind::Bytes: Bytes(v.Bytes, level); return;
    }
  }

  void String(const std::string& s, int level, bool ownLine) {
    const std::vector<std::string> pieces = StringLines(s);
    if (pieces.size() == 1) {
      Lines.back() += pieces[0];
      return;
    }
    const std::string indent = Indent(ownLine ? level : level + 1);
    if (ownLine) {
      Lines.back() += pieces[0];
    } else {
      Lines.back().pop_back();  // the blank after "="
      Lines.push_back(indent + pieces[0]);
    }
    for (size_t i = 1; i < pieces.size(); ++i) {
      Lines.back() += " +";
      Lines.push_back(indent + pieces[i]);
    }
  }

  void Bytes(const std::vector<uint8_t>& bytes, int level) {
    static const char kHex[] = "0123456789ABCDEF";
    Lines.back() += "{";
    for (size_t i = 0; i < bytes.size(); i += kBytesPerLine) {
      std::string line = Indent(level + 1);
      for (size_t k = i; k < bytes.size() && k < i + kBytesPerLine; ++k) {
        line += kHex[bytes[k] >> 4];
        line += kHex[bytes[k] & 15];
      }
      Lines.push_back(std::move(line));
    }
    Lines.back() += "}";
  }
};

}  // namespace

std::vector<std::string> PrintFormLines(const TFormObject& root) {
  TPrinter p;
  p.Object(root, 0);
  return std::move(p.Lines);
}

std::string PrintFormText(const TFormObject& root, std::string_view lineBreak) {
  std::string text;
  for (const std::string& line : PrintFormLines(root)) {
    text += line;
    text += lineBreak;
  }
  return text;
}

}  // namespace ky
