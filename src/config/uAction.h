#pragma once
// The action table of one configuration window: what clicking each control does.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ky {

// The action kinds by their stored codes. Any other code makes a click do nothing.
enum TActionKind : uint8_t {
  akOpenUrl = 0,
  akShowWindow = 1,
  akNextPicture = 2,
  akPreviousPicture = 3,
  akPreviewFile = 4,
  akOpenSetting = 5,
  akCloseWindow = 6,
  akSetWallpaper = 9,
};

// A code that no kind has: the stored code of a number outside 0-255, so that it does nothing
// instead of wrapping round onto a real kind.
constexpr uint8_t kNoActionKind = 255;

// The name the authoring side shows for a code ("Open URL", "Show window", ...); empty for a
// code without a kind.
std::string_view ActionKindName(uint8_t kind);

struct TAction {
  uint8_t Kind = kNoActionKind;
  std::string Param1, Param2, Param3;
};

class TActionList {
 public:
  // Replaces the list with the actions of one action block (lines joined by CR LF): the count,
  // then five lines per action (control name, kind code, three parameters). An empty text
  // leaves the list empty. Throws TKyError saying what is wrong when the count or a code is not
  // a number, the count is negative or more actions are counted than the lines hold; the list
  // is then empty.
  void LoadFromText(std::string_view text);

  // The first action of that control name, compared without regard to case; nullptr when none.
  const TAction* FindAction(std::string_view controlName) const;

  void Clear() { FItems.clear(); }
  size_t Count() const { return FItems.size(); }
  // Entry i in stored order: the control name and its action.
  const std::pair<std::string, TAction>& Item(size_t i) const { return FItems.at(i); }

 private:
  std::vector<std::pair<std::string, TAction>> FItems;
};

}  // namespace ky
