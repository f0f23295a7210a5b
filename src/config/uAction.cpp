#include "uAction.h"

#include "platform/uError.h"
#include "platform/uText.h"

namespace ky {

std::string_view ActionKindName(uint8_t kind) {
  switch (kind) {
    case akOpenUrl: return "Open URL";
    case akShowWindow: return "Show window";
    case akNextPicture: return "Next picture";
    case akPreviousPicture: return "Previous picture";
    case akPreviewFile: return "Preview selected file";
    case akOpenSetting: return "Open setting";
    case akCloseWindow: return "Close window";
    case akSetWallpaper: return "Set as a Wallpaper";
    default: return "";
  }
}

namespace {

// Lines of an action block; a last empty line after a final CR LF counts as a line as well,
// since the block is a joined list of lines.
std::vector<std::string> BlockLines(std::string_view text) {
  std::vector<std::string> lines = SplitLines(text);
  if (!text.empty() && (text.back() == '\n' || text.back() == '\r')) lines.emplace_back();
  return lines;
}

// A line quoted in a message, cut short when it is long.
std::string Shown(const std::string& line) { return line.size() <= 40 ? line : line.substr(0, 40) + "..."; }

}  // namespace

void TActionList::LoadFromText(std::string_view text) {
  FItems.clear();
  if (text.empty()) return;
  const std::vector<std::string> lines = BlockLines(text);
  const auto count = ParseInteger(Trim(lines[0]));
  if (!count) throw TKyError("action count \"" + Shown(lines[0]) + "\" is not a number");
  if (*count < 0) throw TKyError("action count " + Shown(lines[0]) + " is negative");
  if (static_cast<uint64_t>(*count) * 5 > lines.size() - 1)
    throw TKyError("the action block counts " + std::to_string(*count) + " actions but holds lines for " +
                   std::to_string((lines.size() - 1) / 5));
  std::vector<std::pair<std::string, TAction>> items;
  items.reserve(static_cast<size_t>(*count));
  for (int32_t i = 0; i < *count; ++i) {
    const size_t at = 1 + 5 * static_cast<size_t>(i);
    const auto code = ParseInteger(Trim(lines[at + 1]));
    if (!code) throw TKyError("action kind \"" + Shown(lines[at + 1]) + "\" of \"" + Shown(lines[at]) + "\" is not a number");
    TAction a;
    a.Kind = (*code >= 0 && *code <= 255) ? static_cast<uint8_t>(*code) : kNoActionKind;
    a.Param1 = lines[at + 2];
    a.Param2 = lines[at + 3];
    a.Param3 = lines[at + 4];
    items.emplace_back(lines[at], std::move(a));
  }
  FItems = std::move(items);
}

const TAction* TActionList::FindAction(std::string_view controlName) const {
  for (const auto& [name, action] : FItems)
    if (SameTextAscii(name, controlName)) return &action;
  return nullptr;
}

}  // namespace ky
