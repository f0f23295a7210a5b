#pragma once
// The stored descriptions of the configuration windows: one file of several windows, each a
// window text (the property-text format) and an action table, framed by line counts.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/uAction.h"
#include "config/uFormTree.h"

namespace ky {

class TKyForm {
 public:
  std::string Name;                // from the first line: after "object ", up to the first ":"
  std::vector<std::string> Lines;  // the window text as stored (decoded to UTF-8)
  TActionList Actions;
  int FirstLine = 1;               // the file line (1-based) of the window text's first line

  // The text the configuration window is created from: the first line names the class
  // TfmKyConfigWindow; event lines, border and form style lines and the first "Visible" line are
  // dropped; lines joined by CR LF. The stored text is left as it is.
  std::string BuildFormText() const;

  // BuildFormText parsed into a tree. Every line number in it, and the line of an EFormSyntax
  // error, is the line of the description file that fileName names (the dropped lines do not
  // shift them).
  TFormObject BuildFormTree(const std::string& fileName) const;

 private:
  // The prepared lines and, for each, its index in Lines.
  std::vector<std::pair<std::string_view, size_t>> PreparedLines(const std::string& firstLine) const;
};

// The window name of a window text's first line: the text after its first 7 characters
// ("object ") up to the first ":" (the rest of the line when there is none).
std::string WindowNameOf(std::string_view firstLine);

// Told about a window that is left out while loading: message is the text the user sees
// ("test"), detail says which window and what is wrong with it.
using TFormLoadReport = std::function<void(const std::string& message, const std::string& detail)>;

class TKyForms {
 public:
  // Replaces the list with the file's windows. A window whose text or action block cannot be
  // read is left out and reported; loading goes on with the next one. A file that cannot be
  // read, or whose frame of counts is broken (a count missing, not a number, negative or
  // beyond the end of the file), throws TKyError "FILE:LINE: what is wrong" and leaves the list
  // empty.
  void LoadFromFile(const std::string& path, const TFormLoadReport& report = {});
  // The same for a text already in memory (UTF-8); fileName is used in messages.
  void LoadFromText(std::string_view text, const std::string& fileName, const TFormLoadReport& report = {});

  // The first window of that name, compared without regard to case; nullptr when none.
  const TKyForm* FindForm(std::string_view name) const;

  // Adds one window after the others (a window text read on its own, for instance).
  void Add(TKyForm form) { FForms.push_back(std::move(form)); }
  void Clear() { FForms.clear(); }
  size_t Count() const { return FForms.size(); }
  const TKyForm& Form(size_t i) const { return FForms.at(i); }

 private:
  std::vector<TKyForm> FForms;  // in file order
};

// One window to be written into a description file: its object tree and its actions by control
// name, in order.
struct TFormSource {
  TFormObject Tree;
  std::vector<std::pair<std::string, TAction>> Actions;
};

// The description file of the windows, as the authoring side writes it: the counts, each
// window text (printed from its tree), its action block (empty parameters as a single blank, so
// no line of the block is empty; a parameter's line breaks become blanks) and the trailing block
// "Dummy"; lines end with CR LF.
std::string FormatDescriptionFile(const std::vector<TFormSource>& windows);

}  // namespace ky
