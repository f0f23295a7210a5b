#include "app/uHackList.h"

#include <optional>
#include <vector>

#include "platform/uError.h"

namespace ky {

namespace {

constexpr const char* kSpace = " \t";

struct TLine {
  size_t Begin = 0, End = 0;  // the line's text, without its line break
  bool Continues = false;     // ends in an unescaped backslash: the value goes on below
};

std::vector<TLine> SplitLines(const std::string& text) {
  std::vector<TLine> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    TLine l{at, end, false};
    size_t slashes = 0;
    while (slashes < end - at && text[end - 1 - slashes] == '\\') ++slashes;
    l.Continues = slashes % 2 == 1;
    lines.push_back(l);
    at = end + 1;
  }
  return lines;
}

struct TResource {
  size_t First = 0, Last = 0;  // line indexes
  size_t ValueBegin = 0;       // offset just after the ':' on the first line
};

// The last "programs:" resource ("*programs:" in app-defaults files), if any. Lines that
// continue another resource or are comments are never taken for its start.
std::optional<TResource> FindPrograms(const std::string& text, const std::vector<TLine>& lines) {
  std::optional<TResource> found;
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool startsResource = i == 0 || !lines[i - 1].Continues;
    size_t last = i;
    while (last + 1 < lines.size() && lines[last].Continues) ++last;
    if (startsResource) {
      const std::string line = text.substr(lines[i].Begin, lines[i].End - lines[i].Begin);
      size_t p = line.find_first_not_of(kSpace);
      if (p != std::string::npos && line[p] != '!' && line[p] != '#') {
        if (line.compare(p, 12, "XScreenSaver") == 0) p += 12;
        if (p < line.size() && (line[p] == '*' || line[p] == '.')) ++p;
        if (line.compare(p, 8, "programs") == 0) {
          p = line.find_first_not_of(kSpace, p + 8);
          if (p != std::string::npos && line[p] == ':') found = TResource{i, last, lines[i].Begin + p + 1};
        }
      }
    }
    i = last;
  }
  return found;
}

// One entry of the list: where its text lies (without separators around it).
struct TEntry {
  size_t Line = 0;
  size_t Begin = 0, End = 0;
  bool OwnLine = false;  // the only entry on a line of its own (not the "programs:" line)
};

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::vector<TEntry> Entries(const std::string& text, const std::vector<TLine>& lines, const TResource& r) {
  std::vector<TEntry> entries;
  for (size_t i = r.First; i <= r.Last; ++i) {
    size_t begin = i == r.First ? r.ValueBegin : lines[i].Begin;
    const size_t end = lines[i].End - (lines[i].Continues ? 1 : 0);
    std::vector<TEntry> onLine;
    // Pieces between the "\n" separators.
    for (size_t at = begin; at <= end;) {
      size_t sep = text.find("\\n", at);
      if (sep == std::string::npos || sep >= end) sep = end;
      size_t b = at, e = sep;
      while (b < e && IsSpace(text[b])) ++b;
      while (e > b && IsSpace(text[e - 1])) --e;
      if (e > b) onLine.push_back(TEntry{i, b, e, false});
      at = sep + 2;
      if (sep == end) break;
    }
    if (onLine.size() == 1 && i != r.First) onLine[0].OwnLine = true;
    entries.insert(entries.end(), onLine.begin(), onLine.end());
  }
  return entries;
}

// The first word of an entry's command, as written (quotes kept).
std::string CommandWord(const std::string& entry) {
  size_t p = entry.find_first_not_of(kSpace);
  if (p != std::string::npos && entry[p] == '-') p = entry.find_first_not_of(kSpace, p + 1);
  if (p == std::string::npos) return "";
  // A visual name: one word ending in ':'.
  const size_t wordEnd = entry.find_first_of(" \t\"'", p);
  const size_t colon = entry.find(':', p);
  if (colon != std::string::npos && (wordEnd == std::string::npos || colon < wordEnd))
    p = entry.find_first_not_of(kSpace, colon + 1);
  if (p != std::string::npos && entry[p] == '"') {
    const size_t close = entry.find('"', p + 1);
    p = close == std::string::npos ? std::string::npos : entry.find_first_not_of(kSpace, close + 1);
  }
  if (p == std::string::npos) return "";
  if (entry[p] == '\'') {
    // A quoted word may be glued to more quoted pieces ('a'"'"'b').
    size_t q = p;
    while (q < entry.size() && !IsSpace(entry[q])) {
      if (entry[q] == '\'' || entry[q] == '"') {
        const size_t close = entry.find(entry[q], q + 1);
        q = close == std::string::npos ? entry.size() : close + 1;
      } else if (entry[q] == '\\') {
        q += 2;
      } else {
        ++q;
      }
    }
    return entry.substr(p, q - p);
  }
  const size_t end = entry.find_first_of(kSpace, p);
  return entry.substr(p, end == std::string::npos ? std::string::npos : end - p);
}

bool NeedsQuotes(const std::string& path) {
  for (const char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',' || c == '@' || c == '%';
    if (!plain) return true;
  }
  return false;
}

// The path as the first word of a shell command, single-quoted when needed.
std::string ShellWord(const std::string& path) {
  if (!NeedsQuotes(path)) return path;
  std::string word = "'";
  // A quote closes the quoting, comes in double quotes, and the quoting opens again: no
  // backslash, which the settings file would read as an escape.
  for (const char c : path) word += c == '\'' ? std::string("'\"'\"'") : std::string(1, c);
  return word + "'";
}

// The settings file reads "\\" as one backslash.
std::string EscapeBackslashes(const std::string& s) {
  std::string out;
  for (const char c : s) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}
std::string UnescapeBackslashes(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') ++i;
    out += s[i];
  }
  return out;
}

bool RunsSaver(const std::string& entry, const std::string& saverPath) {
  const std::string word = CommandWord(UnescapeBackslashes(entry));
  return !word.empty() && (word == ShellWord(saverPath) || word == saverPath);
}

std::string EntryText(const std::string& prettyName, const std::string& saverPath) {
  std::string name;
  for (const char c : prettyName) {
    const unsigned char u = static_cast<unsigned char>(c);
    name += (c == '"' || c == '\\' || u < 0x20 || u == 0x7F) ? ' ' : c;
  }
  if (name.find_first_not_of(' ') == std::string::npos) name = "kysaver";
  return "\"" + name + "\"  " + HackCommand(saverPath);
}

// The value of the resource so far, as the daemon joins it, ends in an entry not yet closed by
// "\n": a new entry then needs the separator in front.
bool NeedsSeparator(const std::string& text, const std::vector<TLine>& lines, const TResource& r) {
  for (size_t i = r.Last + 1; i-- > r.First;) {
    const size_t begin = i == r.First ? r.ValueBegin : lines[i].Begin;
    size_t end = lines[i].End - (lines[i].Continues ? 1 : 0);
    while (end > begin && IsSpace(text[end - 1])) --end;
    if (end == begin) continue;
    return !(end - begin >= 2 && text.compare(end - 2, 2, "\\n") == 0);
  }
  return false;
}

// The list of hacks of an app-defaults file, as a resource of a user's file.
std::string ProgramsBlock(const std::string& defaultsText) {
  const std::vector<TLine> lines = SplitLines(defaultsText);
  const std::optional<TResource> r = FindPrograms(defaultsText, lines);
  if (!r) return "programs:\n";
  std::string block = "programs:";
  block += defaultsText.substr(r->ValueBegin, lines[r->Last].End - r->ValueBegin);
  return block + "\n";
}

}  // namespace

std::string HackCommand(const std::string& saverPath) {
  for (const char c : saverPath)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      throw TKyError(saverPath + ": the saver's path holds a control character; the settings file cannot name it");
  return EscapeBackslashes(ShellWord(saverPath)) + " -root";
}

std::string UserFileFromDefaults(const std::string& defaultsText) {
  return "# Started by kysaver with the list of hacks of the system's defaults, which still give\n"
         "# every other setting.\n" +
         ProgramsBlock(defaultsText);
}

THackEdit AddHack(const std::string& original, const std::string& defaultsText, const std::string& prettyName,
                  const std::string& saverPath) {
  THackEdit edit{original, THackChange::Added};
  std::string& text = edit.Text;
  const std::string entry = EntryText(prettyName, saverPath);
  std::vector<TLine> lines = SplitLines(text);
  std::optional<TResource> r = FindPrograms(text, lines);
  if (!r) {
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += ProgramsBlock(defaultsText);
    lines = SplitLines(text);
    r = FindPrograms(text, lines);
  }
  for (const TEntry& e : Entries(text, lines, *r)) {
    if (!RunsSaver(text.substr(e.Begin, e.End - e.Begin), saverPath)) continue;
    // A separator in front of our own line is outside the entry, so it stays.
    const std::string old = text.substr(e.Begin, e.End - e.Begin);
    edit.Change = old == entry ? THackChange::Unchanged : THackChange::Replaced;
    text.replace(e.Begin, e.End - e.Begin, entry);
    return edit;
  }
  const TLine& last = lines[r->Last];
  const bool separator = NeedsSeparator(text, lines, *r);
  text.insert(last.End, "\\\n\t" + std::string(separator ? "\\n" : "") + entry + " \\n");
  return edit;
}

namespace {

// Removes the last entry that runs the saver; false when there is none.
bool RemoveOneEntry(std::string& text, const std::string& saverPath) {
  const std::vector<TLine> lines = SplitLines(text);
  const std::optional<TResource> r = FindPrograms(text, lines);
  if (!r) return false;
  const std::vector<TEntry> entries = Entries(text, lines, *r);
  for (size_t k = entries.size(); k-- > 0;) {
    const TEntry& e = entries[k];
    if (!RunsSaver(text.substr(e.Begin, e.End - e.Begin), saverPath)) continue;
    const TLine& line = lines[e.Line];
    if (e.OwnLine && line.Continues) {
      text.erase(line.Begin, line.End + 1 - line.Begin);
    } else if (e.OwnLine && e.Line > r->First && lines[e.Line - 1].Continues) {
      // The last line: the continuation that led to it goes too.
      text.erase(lines[e.Line - 1].End - 1, line.End - (lines[e.Line - 1].End - 1));
    } else {
      // An entry sharing its line: it goes with the separator after it.
      size_t end = e.End;
      const size_t next = text.find_first_not_of(kSpace, end);
      if (next != std::string::npos && text.compare(next, 2, "\\n") == 0) end = next + 2;
      text.erase(e.Begin, end - e.Begin);
    }
    return true;
  }
  return false;
}

}  // namespace

THackEdit RemoveHack(const std::string& original, const std::string& defaultsText, const std::string& saverPath) {
  THackEdit edit{original, THackChange::Absent};
  std::string& text = edit.Text;
  // Entries written by hand may run the saver twice; none is left.
  while (RemoveOneEntry(text, saverPath)) edit.Change = THackChange::Removed;
  if (edit.Change != THackChange::Removed) return edit;
  // A list brought in from the system's defaults, with nothing else changed, goes as it came.
  const std::string block = ProgramsBlock(defaultsText);
  if (text == UserFileFromDefaults(defaultsText)) {
    text.clear();
    edit.FileNotNeeded = true;
  } else if (text.size() > block.size() && text.compare(text.size() - block.size(), block.size(), block) == 0 &&
             text[text.size() - block.size() - 1] == '\n') {
    text.erase(text.size() - block.size());
  }
  return edit;
}

size_t HackPosition(const std::string& text, const std::string& saverPath) {
  const std::vector<TLine> lines = SplitLines(text);
  const std::optional<TResource> r = FindPrograms(text, lines);
  if (!r) return 0;
  const std::vector<TEntry> entries = Entries(text, lines, *r);
  for (size_t k = 0; k < entries.size(); ++k)
    if (RunsSaver(text.substr(entries[k].Begin, entries[k].End - entries[k].Begin), saverPath)) return k + 1;
  return 0;
}

}  // namespace ky
