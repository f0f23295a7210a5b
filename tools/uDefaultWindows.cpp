#include "uDefaultWindows.h"

#include <tuple>

#include "config/uFormPicture.h"
#include "graphics/uJpegWriter.h"

namespace ky {

namespace {

constexpr int kMainWidth = 480;
constexpr int kMainHeight = 468;

// The painted buttons of the main window, each with the label laid over it, its hint and its
// action.
struct TMainButton {
  const char* Label;
  const char* Text;
  const char* Hint;
  uint8_t Kind;
  const char* Param1;
  TRect Bounds;
  bool Accent;
};

const std::vector<TMainButton>& MainButtons() {
  static const std::vector<TMainButton> buttons = {
      {"lblPrevious", "\xE2\x97\x80  Previous", "Previous picture", akPreviousPicture, "", {20, 344, 160, 380}, false},
      {"lblPreview", "Preview", "Preview selected picture", akPreviewFile, "", {170, 344, 310, 380}, true},
      {"lblNext", "Next  \xE2\x96\xB6", "Next Picture", akNextPicture, "", {320, 344, 460, 380}, false},
      {"lblSettings", "Settings", "Screensaver Settings", akOpenSetting, "", {20, 390, 160, 426}, false},
      {"lblWallpaper", "Wallpaper", "Set selected picture as a wallpaper", akSetWallpaper, "", {170, 390, 310, 426}, false},
      {"lblThumbnails", "Thumbnails", "View Thumbnail", akShowWindow, "ThumbnailWindow", {320, 390, 460, 426}, false},
  };
  return buttons;
}

constexpr TRect kHeader{0, 0, kMainWidth, 56};
constexpr TRect kClose{438, 14, 466, 42};
constexpr TRect kWell{24, 72, 456, 328};
constexpr TRect kFooter{20, 440, 460, 460};

TFormProperty Prop(const char* name, TFormValueKind kind) {
  TFormProperty p;
  p.Name = name;
  p.Value.Kind = kind;
  return p;
}
TFormProperty Int(const char* name, int64_t v) {
  TFormProperty p = Prop(name, TFormValueKind::Integer);
  p.Value.Integer = v;
  return p;
}
TFormProperty Ident(const char* name, const std::string& v) {
  TFormProperty p = Prop(name, TFormValueKind::Ident);
  p.Value.Text = v;
  return p;
}
TFormProperty Str(const char* name, const std::string& v) {
  TFormProperty p = Prop(name, TFormValueKind::String);
  p.Value.Text = v;
  return p;
}
TFormProperty Bool(const char* name, bool v) { return Ident(name, v ? "True" : "False"); }
TFormProperty Set(const char* name, std::vector<std::string> v) {
  TFormProperty p = Prop(name, TFormValueKind::Set);
  p.Value.Set = std::move(v);
  return p;
}

TFormObject Object(const std::string& name, const std::string& className, const TRect& r) {
  TFormObject o;
  o.Name = name;
  o.ClassName = className;
  o.Properties = {Int("Left", r.Left), Int("Top", r.Top), Int("Width", r.Width()), Int("Height", r.Height())};
  return o;
}

// The window's own properties; the six window-style booleans in their order.
void WindowProperties(TFormObject& w, int width, int height, bool noFrame, bool showButtons) {
  w.Properties = {Int("Left", 0), Int("Top", 0), Str("Caption", "<ScreensaverName>"), Int("ClientWidth", width),
                  Int("ClientHeight", height), Ident("Color", "clBtnFace"), Ident("Font.Charset", "DEFAULT_CHARSET"),
                  Ident("Font.Color", "clWindowText"), Int("Font.Height", -11), Str("Font.Name", "Tahoma"),
                  Set("Font.Style", {}), Bool("KeyPreview", false), Bool("Sizeable", false), Bool("NoFrame", noFrame),
                  Bool("MaximizeButton", false), Bool("MinimizeButton", false), Bool("ShowButtons", showButtons),
                  Bool("MaximizeOnShow", false), Int("PixelsPerInch", 96), Int("TextHeight", 13)};
}

// A transparent label over a painted button: the hand cursor and the hint say it can be clicked.
TFormObject ClickLabel(const std::string& name, const TRect& r, const std::string& caption, const std::string& hint) {
  TFormObject l = Object(name, "TLabel", r);
  l.Properties.push_back(Int("Tag", 3));
  l.Properties.push_back(Bool("AutoSize", false));
  l.Properties.push_back(Str("Caption", caption));
  l.Properties.push_back(Ident("Cursor", "crHandPoint"));
  if (!hint.empty()) {
    l.Properties.push_back(Str("Hint", hint));
    l.Properties.push_back(Bool("ShowHint", true));
  }
  l.Properties.push_back(Bool("Transparent", true));
  return l;
}

TAction Action(uint8_t kind, const std::string& param1 = "") {
  TAction a;
  a.Kind = kind;
  a.Param1 = param1;
  return a;
}

TFormSource MainWindow(const std::string& saverName) {
  TFormSource w;
  w.Tree.Name = "MainWindow";
  w.Tree.ClassName = "TfmForm";
  WindowProperties(w.Tree, kMainWidth, kMainHeight, true, false);

  TFormObject image = Object("imgSkin", "TImage", {0, 0, kMainWidth, kMainHeight});
  image.Properties.push_back(Int("Tag", 3));
  image.Properties.push_back(Bool("AutoSize", true));
  TFormProperty picture = Prop("Picture.Data", TFormValueKind::Bytes);
  picture.Value.Bytes = EncodeFormPicture("TJPEGImage", EncodeJpeg(DrawDefaultSkin(DefaultSkinLayout(saverName)), 92));
  image.Properties.push_back(std::move(picture));
  w.Tree.Children.push_back(std::move(image));

  TFormObject preview = Object("KyPreview1", "TKyPreview", kWell);
  preview.Properties.push_back(Int("Tag", 3));
  preview.Properties.push_back(Ident("Cursor", "crHandPoint"));
  preview.Properties.push_back(Str("Hint", "Preview selected picture"));
  preview.Properties.push_back(Bool("ShowHint", true));
  w.Tree.Children.push_back(std::move(preview));
  w.Actions.emplace_back("KyPreview1", Action(akPreviewFile));

  for (const TMainButton& b : MainButtons()) {
    w.Tree.Children.push_back(ClickLabel(b.Label, b.Bounds, "", b.Hint));
    w.Actions.emplace_back(b.Label, Action(b.Kind, b.Param1));
  }
  w.Tree.Children.push_back(ClickLabel("lblClose", kClose, "", "Close"));
  w.Actions.emplace_back("lblClose", Action(akCloseWindow));

  // The footer: the saver's name on the left, the publisher as a link on the right.
  TFormObject name = Object("lblScreensaverName", "TLabel", {kFooter.Left, kFooter.Top, 240, kFooter.Bottom});
  name.Properties.push_back(Int("Tag", 3));
  name.Properties.push_back(Bool("AutoSize", false));
  name.Properties.push_back(Str("Caption", "<ScreensaverName>"));
  name.Properties.push_back(Int("Font.Color", 0x00C8BEB4));
  name.Properties.push_back(Bool("ParentFont", false));
  name.Properties.push_back(Bool("Transparent", true));
  w.Tree.Children.push_back(std::move(name));
  TFormObject company = ClickLabel("lblCompany", {240, kFooter.Top, kFooter.Right, kFooter.Bottom}, "<CompanyName>", "");
  company.Properties.push_back(Ident("Alignment", "taRightJustify"));
  company.Properties.push_back(Int("Font.Color", 0x00FFB070));
  company.Properties.push_back(Set("Font.Style", {"fsUnderline"}));
  company.Properties.push_back(Bool("ParentFont", false));
  w.Tree.Children.push_back(std::move(company));
  w.Actions.emplace_back("lblCompany", Action(akOpenUrl, "<Website>"));
  return w;
}

TFormSource ThumbnailWindow() {
  // Four columns of 80 x 60 pictures: each column is 100 pixels, and the grid keeps room for
  // its vertical scroll bar.
  TFormSource w;
  w.Tree.Name = "ThumbnailWindow";
  w.Tree.ClassName = "TfmForm";
  WindowProperties(w.Tree, 440, 380, false, true);
  TFormObject grid = Object("KyThumbnail1", "TKyThumbnail2", {8, 8, 432, 328});
  grid.Properties.push_back(Int("Tag", 3));
  grid.Properties.push_back(Ident("Color", "clWindow"));
  grid.Properties.push_back(Bool("ShowCheckBox", true));
  grid.Properties.push_back(Bool("ShowTitle", false));
  grid.Properties.push_back(Bool("MultiRows", true));
  grid.Properties.push_back(Int("PictureWidth", 80));
  grid.Properties.push_back(Int("PictureHeight", 60));
  w.Tree.Children.push_back(std::move(grid));
  for (const auto& [name, caption, left, kind] :
       {std::tuple{"btnPreview", "Preview", 256, akPreviewFile}, std::tuple{"btnOK", "OK", 352, akCloseWindow}}) {
    TFormObject b = Object(name, "TBitBtn", {left, 342, left + 80, 342 + 28});
    b.Properties.push_back(Int("Tag", 3));
    b.Properties.push_back(Str("Caption", caption));
    b.Properties.push_back(Int("TabOrder", kind == akPreviewFile ? 0 : 1));
    w.Tree.Children.push_back(std::move(b));
    w.Actions.emplace_back(name, Action(kind));
  }
  return w;
}

}  // namespace

TSkinLayout DefaultSkinLayout(const std::string& saverName) {
  TSkinLayout l;
  l.Width = kMainWidth;
  l.Height = kMainHeight;
  l.Title = saverName;
  l.Header = kHeader;
  l.Well = kWell;
  l.Close = kClose;
  for (const TMainButton& b : MainButtons()) l.Buttons.push_back({b.Text, b.Bounds, b.Accent});
  return l;
}

std::vector<TFormSource> DefaultWindows(const std::string& saverName) { return {MainWindow(saverName), ThumbnailWindow()}; }

std::string DefaultDescriptionFile(const std::string& saverName) { return FormatDescriptionFile(DefaultWindows(saverName)); }

}  // namespace ky
