#include "uFormInspect.h"

#include <charconv>
#include <cmath>

#include "config/uFormParser.h"
#include "config/uFormPicture.h"
#include "config/uKyForms.h"
#include "config/uTextDecode.h"
#include "graphics/uPictureError.h"
#include "platform/uText.h"
#include "uJson.h"

namespace ky {

namespace {

const char* KindWord(TFormObjectKind k) {
  switch (k) {
    case TFormObjectKind::Inherited: return "inherited";
    case TFormObjectKind::Inline: return "inline";
    case TFormObjectKind::Object: break;
  }
  return "object";
}

std::string FloatText(double f) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, f);
  std::string s(buf, r.ptr);
  if (s.find_first_of(".eE") == std::string::npos) s += ".0";
  return s;
}

void ValueJson(TJsonWriter& j, const TFormValue& v);

void PropertiesJson(TJsonWriter& j, const std::vector<TFormProperty>& properties) {
  j.BeginArray();
  for (const TFormProperty& p : properties) {
    j.BeginArray().String(p.Name);
    ValueJson(j, p.Value);
    j.EndArray();
  }
  j.EndArray();
}

void ValueJson(TJsonWriter& j, const TFormValue& v) {
  switch (v.Kind) {
    case TFormValueKind::Integer: j.Int(v.Integer); return;
    case TFormValueKind::Float: j.Raw(std::isfinite(v.Float) ? FloatText(v.Float) : "null"); return;
    case TFormValueKind::String: j.String(v.Text); return;
    case TFormValueKind::Ident: j.BeginObject().Key("Ident").String(v.Text).EndObject(); return;
    case TFormValueKind::Set:
      j.BeginObject().Key("Set").BeginArray();
      for (const std::string& s : v.Set) j.String(s);
      j.EndArray().EndObject();
      return;
    case TFormValueKind::List:
      j.BeginObject().Key("List").BeginArray();
      for (const TFormValue& e : v.List) ValueJson(j, e);
      j.EndArray().EndObject();
      return;
    case TFormValueKind::Items:
      j.BeginObject().Key("Items").BeginArray();
      for (const auto& item : v.Items) PropertiesJson(j, item);
      j.EndArray().EndObject();
      return;
    case TFormValueKind::Bytes: j.BeginObject().Key("Bytes").Int(static_cast<int64_t>(v.Bytes.size())).EndObject(); return;
  }
}

void TreeJson(TJsonWriter& j, const TFormObject& o) {
  j.BeginObject();
  j.Key("Kind").String(KindWord(o.Kind));
  j.Key("Name").String(o.Name);
  j.Key("Class").String(o.ClassName);
  j.Key("Line").Int(o.Line);
  j.Key("Properties");
  PropertiesJson(j, o.Properties);
  j.Key("Children").BeginArray();
  for (const TFormObject& c : o.Children) TreeJson(j, c);
  j.EndArray();
  j.EndObject();
}

// A text for the plain report as the format writes it: quoted runs, control characters as #codes.
std::string Quoted(const std::string& s) {
  if (s.empty()) return "''";
  std::string r;
  bool inQuote = false;
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20) {
      if (inQuote) r += '\'';
      inQuote = false;
      r += "#" + std::to_string(u);
      continue;
    }
    if (!inQuote) r += '\'';
    inQuote = true;
    r += c == '\'' ? std::string("''") : std::string(1, c);
  }
  return inQuote ? r + "'" : r;
}

std::string ValueText(const std::string& name, const TFormValue& v, const std::string& indent);

std::string PropertiesText(const std::vector<TFormProperty>& properties, const std::string& indent) {
  std::string out;
  for (const TFormProperty& p : properties) out += indent + p.Name + " = " + ValueText(p.Name, p.Value, indent) + "\n";
  return out;
}

// Picture data is decoded, so an author sees at once whether the picture can be shown.
std::string PictureText(const TFormValue& v) {
  try {
    const TFormPictureData d = SplitFormPicture(v.Bytes);
    const TBitmap32 b = DecodeFormPicture(v.Bytes);
    if (b.Empty()) return "(" + d.ClassName + ", empty)";
    return "(" + d.ClassName + ", " + std::to_string(b.Width()) + " x " + std::to_string(b.Height()) + ")";
  } catch (const EPictureError& e) {
    return std::string("(cannot be shown: ") + e.what() + ")";
  }
}

std::string ValueText(const std::string& name, const TFormValue& v, const std::string& indent) {
  switch (v.Kind) {
    case TFormValueKind::Integer: return std::to_string(v.Integer);
    case TFormValueKind::Float: return FloatText(v.Float);
    case TFormValueKind::String: return Quoted(v.Text);
    case TFormValueKind::Ident: return v.Text;
    case TFormValueKind::Set: {
      std::string s = "[";
      for (size_t i = 0; i < v.Set.size(); ++i) s += (i ? ", " : "") + v.Set[i];
      return s + "]";
    }
    case TFormValueKind::List: {
      std::string s = "(";
      for (size_t i = 0; i < v.List.size(); ++i) s += (i ? " " : "") + ValueText("", v.List[i], indent);
      return s + ")";
    }
    case TFormValueKind::Items: {
      std::string s = "<\n";
      for (const auto& item : v.Items) s += indent + "  item\n" + PropertiesText(item, indent + "    ") + indent + "  end\n";
      return s + indent + ">";
    }
    case TFormValueKind::Bytes: {
      std::string s = "{" + std::to_string(v.Bytes.size()) + " bytes}";
      if (IsPictureDataProperty(name)) s += " " + PictureText(v);
      return s;
    }
  }
  return "";
}

void TreeText(std::string& out, const TFormObject& o, const std::string& indent) {
  out += indent + KindWord(o.Kind) + " " + (o.Name.empty() ? o.ClassName : o.Name + ": " + o.ClassName) +
         "    (line " + std::to_string(o.Line) + ")\n";
  out += PropertiesText(o.Properties, indent + "  ");
  for (const TFormObject& c : o.Children) TreeText(out, c, indent + "  ");
  out += indent + "end\n";
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string t;
  for (const std::string& l : lines) t += l + "\n";
  return t;
}

std::string KindText(uint8_t kind) {
  const std::string_view name = ActionKindName(kind);
  return name.empty() ? "code " + std::to_string(kind) + " (does nothing)" : std::string(name);
}

TFormReport InspectDescription(const std::string& path, const std::string& text, bool json) {
  TFormReport report;
  TKyForms forms;
  forms.LoadFromText(text, path, [&](const std::string&, const std::string& detail) { report.Problems.push_back(detail); });
  std::vector<TFormObject> trees;
  for (size_t i = 0; i < forms.Count(); ++i) {
    const TKyForm& f = forms.Form(i);
    trees.push_back(ParseFormText(Joined(f.Lines), path, f.FirstLine));
  }
  if (json) {
    TJsonWriter j;
    j.BeginObject().Key("Windows").BeginArray();
    for (size_t i = 0; i < forms.Count(); ++i) {
      const TKyForm& f = forms.Form(i);
      j.BeginObject().Key("Name").String(f.Name).Key("Actions").BeginArray();
      for (size_t a = 0; a < f.Actions.Count(); ++a) {
        const auto& [control, action] = f.Actions.Item(a);
        j.BeginObject()
            .Key("Control").String(control)
            .Key("Kind").String(ActionKindName(action.Kind))
            .Key("Code").Int(action.Kind)
            .Key("Param1").String(action.Param1)
            .Key("Param2").String(action.Param2)
            .Key("Param3").String(action.Param3)
            .EndObject();
      }
      j.EndArray().Key("Tree");
      TreeJson(j, trees[i]);
      j.EndObject();
    }
    j.EndArray().EndObject();
    report.Output = j.Text() + "\n";
    return report;
  }
  std::string& out = report.Output;
  out = path + ": " + std::to_string(forms.Count()) + (forms.Count() == 1 ? " window\n" : " windows\n");
  for (size_t i = 0; i < forms.Count(); ++i) {
    const TKyForm& f = forms.Form(i);
    out += "\nwindow " + f.Name + " (line " + std::to_string(f.FirstLine) + ")\n";
    out += "  actions: " + std::to_string(f.Actions.Count()) + "\n";
    for (size_t a = 0; a < f.Actions.Count(); ++a) {
      const auto& [control, action] = f.Actions.Item(a);
      out += "    " + control + ": " + KindText(action.Kind) + "  " + Quoted(action.Param1) + " " + Quoted(action.Param2) +
             " " + Quoted(action.Param3) + "\n";
    }
    out += "  tree:\n";
    TreeText(out, trees[i], "    ");
  }
  return report;
}

}  // namespace

bool LooksLikeDescriptionFile(const std::string& decodedText) {
  for (const std::string& line : SplitLines(decodedText)) {
    const std::string_view t = Trim(line);
    if (t.empty()) continue;
    return ParseInteger(t).has_value();
  }
  return false;
}

std::string FormTreeJson(const TFormObject& root) {
  TJsonWriter j;
  TreeJson(j, root);
  return j.Text();
}

TFormReport InspectWindowFile(const std::string& path, bool json) {
  const std::string text = ReadTextFile(path);
  if (LooksLikeDescriptionFile(text)) return InspectDescription(path, text, json);
  const TFormObject root = ParseFormText(text, path);
  TFormReport report;
  if (json) {
    report.Output = "{\"Tree\":" + FormTreeJson(root) + "}\n";
  } else {
    TreeText(report.Output, root, "");
  }
  return report;
}

}  // namespace ky
