// The program body with windows that only record what the modes ask of them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "app/uKySaverApp.h"
#include "package/uPackage.h"
#include "testutil.h"

using namespace ky;
using kytest::TTempDir;

namespace {

class TRecordingWindows final : public TModeWindows {
 public:
  void RunShow(TKyCProject&, const std::string&) override { Calls += "show "; }
  void RunConfigure(TKyCProject&) override { Calls += "configure "; }
  void RunHack(TKyCProject&, const std::string&, const std::string&) override { Calls += "hack "; }
  void DrawPreview(const std::string& handle, const std::string&) override { Calls += "preview " + handle + " "; }
  void ShowFatalError(const std::string& message) override { Calls += "error "; }
  std::string Calls;
};

// A saver with one picture; previewFile is the project's preview setting ("" for none).
void WriteSaver(const std::string& path, const std::string& previewFile) {
  const std::string project = BuildPackage({"[FileListHeader]\r\nHeader=1\r\n[FileList]\r\na.bmp=1\r\n",
                                            previewFile.empty() ? "" : "[Advance]\r\nPreviewFile=" + previewFile + "\r\n",
                                            "[UI]\r\nUIFile=Main.kyu\r\n"});
  kytest::WriteFile(path, "\x7F" "ELF player bytes" + BuildPackage({project, "a.bmp\r\npreview.jpg", BuildPackage({"bmp", "jpg"}), "ui"}));
}

// What is below the temporary folder, one path a line.
std::string Listing(const std::string& dir) {
  std::string out;
  kytest::RunCommand("cd '" + dir + "' && find . -mindepth 1 | sort", &out);
  return out;
}

}  // namespace

TEST(Modes, PreviewWithoutPictureLeavesNothingAndDrawnPreviewKeepsItsFiles) {
  const struct { const char* what; std::string previewFile; std::string calls; bool filesStay; } cases[] = {
      {"no preview picture", "", "", false},
      {"a preview picture", "preview.jpg", "preview 0X2A ", true},
  };
  for (const auto& c : cases) {
    TTempDir dir;
    const std::string tmp = dir / "tmp";
    mkdir(tmp.c_str(), 0700);
    WriteSaver(dir / "Garden.scr", c.previewFile);
    const std::string oldTmp = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    setenv("TMPDIR", tmp.c_str(), 1);
    TRecordingWindows windows;
    const int status = RunMain({"/p", "0x2a"}, dir / "Garden.scr", windows);
    if (oldTmp.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", oldTmp.c_str(), 1);
    EXPECT_EQ(status, 0) << c.what;
    EXPECT_EQ(windows.Calls, c.calls) << c.what;
    const std::string left = Listing(tmp);
    // The drawn preview leaves its files for the next start of the saver to remove.
    if (c.filesStay) EXPECT_NE(left.find("/preview.jpg"), std::string::npos) << c.what << ":\n" << left;
    else EXPECT_EQ(left, "") << c.what;
  }
}
