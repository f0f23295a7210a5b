// kysaver-tool ui FILE --window NAME --png OUT.png: a window drawn off screen as it is shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "config/ui/uFormInstantiator.h"
#include "graphics/uPictureReaders.h"
#include "testutil.h"
#include "uDefaultWindows.h"

using kytest::RunCommand;
using kytest::TTempDir;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";

const char kWindow[] = R"(object MainWindow: TfmForm
  ClientWidth = 200
  ClientHeight = 100
  Color = clNavy
  object Shown: TShape
    Left = 10
    Top = 10
    Width = 30
    Height = 30
    Brush.Color = clRed
    Pen.Style = psClear
    Tag = 3
  end
  object Hidden: TShape
    Left = 100
    Top = 10
    Width = 30
    Height = 30
    Brush.Color = clLime
    Pen.Style = psClear
    Tag = 2
  end
end
)";

uint32_t Pixel(const ky::TBitmap32& b, int x, int y) { return b.Bits()[y * b.Width() + x] & 0xFFFFFFu; }

TEST(ToolUiPng, DrawsTheNamedWindowAsShownWithTheTagRule) {
  TTempDir dir;
  kytest::WriteFile(dir / "w.dfm", kWindow);
  std::string out;
  ASSERT_EQ(RunCommand("'" + kTool + "' ui '" + (dir / "w.dfm") + "' --window mainwindow --png '" + (dir / "w.png") + "'", &out), 0)
      << out;
  ky::TBitmap32 png;
  ky::LoadPictureFromFile(dir / "w.png", png);
  ASSERT_EQ(png.Width(), 200);
  ASSERT_EQ(png.Height(), 100);
  EXPECT_EQ(Pixel(png, 25, 25), 0xFF0000u);
  EXPECT_EQ(Pixel(png, 115, 25), 0x000080u) << "Tag 2 hides the shape";
  EXPECT_EQ(Pixel(png, 180, 90), 0x000080u);
}

TEST(ToolUiPng, AMissingWindowOrAnUnknownClassFailsWithAMessage) {
  TTempDir dir;
  kytest::WriteFile(dir / "w.dfm", kWindow);
  std::string out;
  EXPECT_EQ(RunCommand("'" + kTool + "' ui '" + (dir / "w.dfm") + "' --window Other --png '" + (dir / "o.png") + "'", &out), 1);
  EXPECT_NE(out.find("\"Other\""), std::string::npos) << out;
  EXPECT_FALSE(kytest::Exists(dir / "o.png"));
  std::string text = kWindow;
  text.replace(text.find("TShape"), 6, "TGauge");
  kytest::WriteFile(dir / "g.dfm", text);
  EXPECT_EQ(RunCommand("'" + kTool + "' ui '" + (dir / "g.dfm") + "' --window MainWindow --png '" + (dir / "g.png") + "'", &out), 1);
  EXPECT_NE(out.find("g.dfm:5:"), std::string::npos) << out;
  EXPECT_NE(out.find("TGauge"), std::string::npos) << out;
  EXPECT_EQ(RunCommand("'" + kTool + "' ui '" + (dir / "w.dfm") + "' --png '" + (dir / "x.png") + "'", &out), 1);
}

// The default main window that build writes for a saver without a description: every one of
// its properties is one the player applies.
TEST(ToolUiPng, TheDefaultMainWindowIsBuiltWithEveryPropertyApplied) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "test_tool";
  static char* argv[] = {name, nullptr};
  static const std::unique_ptr<QApplication> app(QApplication::instance() ? nullptr : new QApplication(argc, argv));
  ky::TKyForms forms;
  forms.LoadFromText(ky::DefaultDescriptionFile("Garden"), "KyGUI.kyu");
  const ky::TKyForm* main = forms.FindForm("MainWindow");
  ASSERT_NE(main, nullptr);
  const ky::TFormInstance form = ky::InstantiateForm(main->BuildFormTree("KyGUI.kyu"), ky::StandardFormClasses(), "KyGUI.kyu");
  EXPECT_GT(form.Components.size(), 5u);
  std::string ignored;
  for (const auto& [property, count] : form.Ignored) ignored += property + " ";
  EXPECT_EQ(form.IgnoredCount(), 0) << ignored;
}

}  // namespace
