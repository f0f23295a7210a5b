#include "uInspectSummary.h"

#include <algorithm>

#include "graphics/uBmpReader.h"
#include "graphics/uGifImage.h"
#include "graphics/uJpegReader.h"
#include "graphics/uPictureKind.h"
#include "graphics/uPictureLimits.h"
#include "graphics/uPngReader.h"
#include "package/uCreatorProject.h"
#include "package/uPackage.h"
#include "platform/uText.h"
#include "scene/model/uKyProject.h"
#include "uSceneSummary.h"
#include "uTemporaryFile.h"

namespace ky {

namespace {

bool IsScene(const std::string& name) {
  return name.size() >= 4 && UpperCaseAscii(name.substr(name.size() - 4)) == ".KYP";
}

std::string Size(int w, int h) { return std::to_string(w) + " x " + std::to_string(h); }

// One picture of the show: its kind and size, or why it cannot be read.
std::string PictureLine(const std::string& path, const TSaverMedia& m) {
  if (!m.HasData) return "(not in the saver)\n";
  if (m.Size > static_cast<uint64_t>(kMaxPictureFileBytes)) return "too large to be a picture\n";
  const std::string bytes = ReadFileRange(path, m.Offset, m.Size);
  try {
    if (IsScene(m.Name)) {
      const TTemporaryFile file("scene.kyp", bytes.data(), bytes.size());
      TProject p;
      if (!p.Load(file.Path())) return "scene that does not load: " + TerminalText(p.LoadError()) + "\n";
      return "scene " + Size(p.Picture().Width(), p.Picture().Height()) + ", \"" + TerminalText(p.Title()) + "\"\n" +
             SceneSummary(p, "", "       ");
    }
    TBitmap32 b;
    switch (PictureKindOf(m.Name)) {
      case TPictureKind::Jpeg: LoadJpegFromMemory(bytes.data(), bytes.size(), b, m.Name); return "JPEG picture " + Size(b.Width(), b.Height()) + "\n";
      case TPictureKind::Png: {
        const TPngPicture png = ReadPngFromMemory(bytes.data(), bytes.size(), m.Name);
        return "PNG picture " + Size(png.Picture.Width(), png.Picture.Height()) + "\n";
      }
      case TPictureKind::Bmp: LoadBmpFromMemory(bytes.data(), bytes.size(), b, m.Name); return "BMP picture " + Size(b.Width(), b.Height()) + "\n";
      case TPictureKind::Gif: {
        const TGifImage gif = ReadGifFromMemory(bytes.data(), bytes.size(), m.Name);
        return "GIF picture " + Size(gif.Width, gif.Height) + ", " + std::to_string(gif.Frames.size()) +
               (gif.Frames.size() == 1 ? " frame\n" : " frames\n");
      }
      default: return "not a picture the player shows (" + std::to_string(m.Size) + " bytes)\n";
    }
  } catch (const std::exception& e) {
    return "cannot be read: " + TerminalText(e.what()) + "\n";
  }
}

std::string ShowLine(const TKyCSetting& s, size_t pictures) {
  static const char* const kOrders[] = {"in random order", "in list order", "the user's favourites in random order",
                                        "the one picture the user picked"};
  const char* order = s.ShowImageMode >= 0 && s.ShowImageMode <= 3 ? kOrders[s.ShowImageMode] : kOrders[1];
  std::string o = "  shows " + std::to_string(pictures) + (pictures == 1 ? " picture, " : " pictures, ") + order;
  o += s.Random ? ", " + std::to_string(s.Duration) + " s each" : ", the first one stays (Random = 0)";
  o += s.Transition ? ", transitions of " + std::to_string(s.TransitionTime) + " ms\n" : ", no transitions\n";
  return o;
}

}  // namespace

std::string SaverSummary(const std::string& path, const TKyCProject& project, const std::vector<TSaverMedia>& media,
                         uint64_t windowTextSize) {
  const TKyCSetting& s = project.Setting();
  const TKyCFileList& list = project.FileList();
  std::string o = TerminalText(path) + ": the saver \"" + TerminalText(s.ProductName) + "\"" +
                  (s.Publisher.empty() ? "" : " by " + TerminalText(s.Publisher)) + "\n";
  o += ShowLine(s, list.Names.size());
  o += std::string("  configuration windows: ") +
       (project.UISetting().UIFile.empty() ? "none named" : TerminalText(project.UISetting().UIFile)) + ", " +
       std::to_string(windowTextSize) + " bytes of window description\n";

  auto find = [&](const std::string& name) -> const TSaverMedia* {
    for (const TSaverMedia& m : media)
      if (m.Name == name) return &m;
    return nullptr;
  };
  o += "\nPictures:\n";
  for (size_t i = 0; i < list.Names.size(); ++i) {
    const std::string& name = list.Names[i];
    const TSaverMedia* m = find(name);
    o += "  " + std::to_string(i + 1) + ". " + TerminalText(name) + (list.Flags[i] == kPictureShown ? "" : " (not shown)") +
         "  " + (m ? PictureLine(path, *m) : std::string("(not in the saver)\n"));
  }
  std::string others;
  for (const TSaverMedia& m : media) {
    if (std::find(list.Names.begin(), list.Names.end(), m.Name) != list.Names.end()) continue;
    std::string role;
    if (m.Kind == "music" || m.Kind == "sound") role = m.Kind + ", ";
    if (m.Kind == "object") role = "object picture, ";
    if (m.Kind == "preview") role = "preview picture, ";
    others += "  " + TerminalText(m.Name.empty() ? std::string("(no name)") : m.Name) + "  " + role +
              (m.HasData ? std::to_string(m.Size) + " bytes\n" : "(no data)\n");
  }
  if (!others.empty()) o += "\nOther files:\n" + others;

  const TKyCSetting defaults;
  std::string changed;
  for (const TSettingKey& k : SettingKeys()) {
    const std::string v = SettingValueText(s, k);
    if (v != SettingValueText(defaults, k))
      changed += "  [" + std::string(k.Section) + "] " + k.Key + " = " + TerminalText(v) + "\n";
  }
  o += "\nSettings that differ from the player's defaults:\n" + (changed.empty() ? std::string("  none\n") : changed);
  return o;
}

}  // namespace ky
