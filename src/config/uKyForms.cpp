#include "uKyForms.h"

#include "config/uFormParser.h"
#include "config/uFormPrinter.h"
#include "config/uTextDecode.h"
#include "platform/uError.h"
#include "platform/uText.h"

namespace ky {

namespace {

bool StartsWithUpper(std::string_view line, std::string_view upperPrefix) {
  return line.size() >= upperPrefix.size() && UpperCaseAscii(line.substr(0, upperPrefix.size())) == upperPrefix;
}

// Event lines name handlers of the authoring side's design form, which the player's window does
// not have; "OnX" with a lower-case third letter ("Only") is an ordinary property.
bool IsEventLine(std::string_view t) {
  return t.size() >= 2 && t[0] == 'O' && t[1] == 'n' && !(t.size() > 2 && t[2] >= 'a' && t[2] <= 'z');
}

// A line quoted in a message, cut short when it is long.
std::string Shown(const std::string& line) { return line.size() <= 40 ? line : line.substr(0, 40) + "..."; }

// Walks the lines of a description with its counts; every failure names the file line.
class TFrameReader {
 public:
  TFrameReader(const std::vector<std::string>& lines, const std::string& fileName)
      : FLines(lines), FFileName(fileName) {}

  // The count on the next line.
  int32_t Count(const char* what) {
    const size_t at = FNext;
    if (at >= FLines.size()) Fail(at, std::string(what) + " expected, found the end of the file");
    ++FNext;
    const auto n = ParseInteger(Trim(FLines[at]));
    if (!n) Fail(at, std::string(what) + " expected, found \"" + Shown(FLines[at]) + "\"");
    if (*n < 0) Fail(at, std::string(what) + " is negative");
    return *n;
  }

  // The index of the first of the next n lines, which must all be there.
  size_t Take(int32_t n, const char* what) {
    const size_t first = FNext;
    if (static_cast<size_t>(n) > FLines.size() - first)
      Fail(first - 1, std::string(what) + " counts " + std::to_string(n) + " lines but only " +
                          std::to_string(FLines.size() - first) + " follow");
    FNext += static_cast<size_t>(n);
    return first;
  }

  // The trailing block is skipped unread; it may run past the end of the last window.
  void Skip(int32_t n) { FNext += static_cast<size_t>(n); }

 private:
  [[noreturn]] void Fail(size_t index, const std::string& what) const {
    throw TKyError(FFileName + ":" + std::to_string(index + 1) + ": " + what);
  }
  const std::vector<std::string>& FLines;
  const std::string& FFileName;
  size_t FNext = 0;
};

}  // namespace

std::string WindowNameOf(std::string_view firstLine) {
  if (firstLine.size() <= 7) return "";
  const std::string_view rest = firstLine.substr(7);
  return std::string(rest.substr(0, rest.find(':')));
}

std::vector<std::pair<std::string_view, size_t>> TKyForm::PreparedLines(const std::string& firstLine) const {
  // The lines are walked in order and each is kept or dropped; kept lines go to a new list, so a
  // text of many dropped lines costs no more than one of few.
  std::vector<std::pair<std::string_view, size_t>> kept;
  kept.reserve(Lines.size());
  bool visibleSeen = false;
  for (size_t i = 0; i < Lines.size(); ++i) {
    const std::string_view line = i == 0 ? std::string_view(firstLine) : std::string_view(Lines[i]);
    const std::string_view t = Trim(line);
    bool drop = false;
    if (IsEventLine(t)) {
      drop = true;
    } else if (StartsWithUpper(t, "BORDERICONS") || StartsWithUpper(t, "BORDERSTYLE") ||
               StartsWithUpper(t, "FORMSTYLE")) {
      drop = true;
    } else if (StartsWithUpper(t, "VISIBLE")) {
      // Only the first one, the window's own; the controls' lines stay.
      drop = !visibleSeen;
      visibleSeen = true;
    }
    if (!drop) kept.emplace_back(line, i);
  }
  return kept;
}

std::string TKyForm::BuildFormText() const {
  if (Lines.empty()) return "";
  const std::string first = "object " + WindowNameOf(Lines[0]) + ": TfmKyConfigWindow";
  std::string text;
  bool firstLine = true;
  for (const auto& kept : PreparedLines(first)) {
    if (!firstLine) text += "\r\n";
    text += kept.first;
    firstLine = false;
  }
  return text;
}

namespace {

void RenumberLines(TFormObject& o, const std::vector<int>& fileLine);

int FileLine(const std::vector<int>& fileLine, int line) {
  if (fileLine.empty()) return line;
  if (line < 1) return fileLine.front();
  return static_cast<size_t>(line) <= fileLine.size() ? fileLine[static_cast<size_t>(line) - 1] : fileLine.back() + 1;
}

void RenumberValue(TFormValue& v, const std::vector<int>& fileLine) {
  v.Line = FileLine(fileLine, v.Line);
  for (TFormValue& e : v.List) RenumberValue(e, fileLine);
  for (auto& item : v.Items)
    for (TFormProperty& p : item) {
      p.Line = FileLine(fileLine, p.Line);
      RenumberValue(p.Value, fileLine);
    }
}

void RenumberLines(TFormObject& o, const std::vector<int>& fileLine) {
  o.Line = FileLine(fileLine, o.Line);
  for (TFormProperty& p : o.Properties) {
    p.Line = FileLine(fileLine, p.Line);
    RenumberValue(p.Value, fileLine);
  }
  for (TFormObject& c : o.Children) RenumberLines(c, fileLine);
}

}  // namespace

TFormObject TKyForm::BuildFormTree(const std::string& fileName) const {
  const std::string first = Lines.empty() ? "" : "object " + WindowNameOf(Lines[0]) + ": TfmKyConfigWindow";
  std::string text;
  std::vector<int> fileLine;
  for (const auto& [line, index] : PreparedLines(first)) {
    if (!fileLine.empty()) text += "\n";
    text += line;
    fileLine.push_back(FirstLine + static_cast<int>(index));
  }
  try {
    TFormObject tree = ParseFormText(text, fileName);
    RenumberLines(tree, fileLine);
    return tree;
  } catch (const EFormSyntax& e) {
    throw EFormSyntax(e.File, FileLine(fileLine, e.Line), e.Column, e.Message);
  }
}

void TKyForms::LoadFromFile(const std::string& path, const TFormLoadReport& report) {
  FForms.clear();
  LoadFromText(ReadTextFile(path), path, report);
}

void TKyForms::LoadFromText(std::string_view text, const std::string& fileName, const TFormLoadReport& report) {
  FForms.clear();
  const std::vector<std::string> lines = SplitLines(text);
  TFrameReader frame(lines, fileName);
  std::vector<TKyForm> forms;
  const int32_t windows = frame.Count("the number of windows");
  for (int32_t w = 0; w < windows; ++w) {
    const int32_t n = frame.Count("the number of lines of a window text");
    const size_t textAt = frame.Take(n, "the window text");
    const int32_t m = frame.Count("the number of lines of an action block");
    const size_t blockAt = frame.Take(m, "the action block");
    std::string block;
    for (int32_t j = 0; j < m; ++j) {
      if (j) block += "\r\n";
      const std::string& line = lines[blockAt + static_cast<size_t>(j)];
      block += line.empty() ? std::string(" ") : line;
    }
    try {
      if (n == 0) throw TKyError("the window text is empty");
      TKyForm form;
      form.Actions.LoadFromText(block);
      form.Lines.assign(lines.begin() + static_cast<std::ptrdiff_t>(textAt),
                        lines.begin() + static_cast<std::ptrdiff_t>(textAt + static_cast<size_t>(n)));
      form.Name = WindowNameOf(form.Lines[0]);
      form.FirstLine = static_cast<int>(textAt + 1);
      forms.push_back(std::move(form));
    } catch (const TKyError& e) {
      if (report)
        report("test", fileName + ":" + std::to_string(textAt + 1) + ": window " + std::to_string(w + 1) +
                           " left out: " + e.what());
    }
    frame.Skip(frame.Count("the number of lines of a trailing block"));
  }
  FForms = std::move(forms);
}

namespace {

// One line of an action block: never empty, never broken.
std::string BlockLine(const std::string& s) {
  std::string line = s;
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line.empty() ? " " : line;
}

}  // namespace

std::string FormatDescriptionFile(const std::vector<TFormSource>& windows) {
  std::vector<std::string> lines;
  lines.push_back(std::to_string(windows.size()));
  for (const TFormSource& w : windows) {
    const std::vector<std::string> text = PrintFormLines(w.Tree);
    lines.push_back(std::to_string(text.size()));
    lines.insert(lines.end(), text.begin(), text.end());
    lines.push_back(std::to_string(1 + 5 * w.Actions.size()));
    lines.push_back(std::to_string(w.Actions.size()));
    for (const auto& [control, action] : w.Actions) {
      lines.push_back(BlockLine(control));
      lines.push_back(std::to_string(action.Kind));
      lines.push_back(BlockLine(action.Param1));
      lines.push_back(BlockLine(action.Param2));
      lines.push_back(BlockLine(action.Param3));
    }
    lines.push_back("1");
    lines.push_back("Dummy");
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

const TKyForm* TKyForms::FindForm(std::string_view name) const {
  for (const TKyForm& f : FForms)
    if (SameTextAscii(f.Name, name)) return &f;
  return nullptr;
}

}  // namespace ky
