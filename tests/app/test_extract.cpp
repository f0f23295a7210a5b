#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/uExtractPackage.h"
#include "package/uPackage.h"
#include "platform/uError.h"
#include "testutil.h"

using namespace ky;
using kytest::Exists;
using kytest::TTempDir;

namespace {

std::string Project(const std::string& fileList, const std::string& settings) {
  return BuildPackage({"[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n" + fileList, settings, "[UI]\r\nUIFile=C:\\a\\Main.kyu\r\n"});
}

// A saver: some executable bytes and the package appended.
void WriteSaver(const std::string& path, const std::vector<std::string>& names, const std::vector<std::string>& media,
                const std::string& project) {
  std::string nameList;
  for (size_t i = 0; i < names.size(); ++i) nameList += (i ? "\r\n" : "") + names[i];
  kytest::WriteFile(path, "\x7F" "ELF player bytes" + BuildPackage({project, nameList, BuildPackage(media), "window text"}));
}

}  // namespace

TEST(ExtractPackage, UnpacksPointsTheProjectAtTheFilesAndRemovesThem) {
  TTempDir tmp;
  const std::string exe = tmp / "Garden.scr";
  WriteSaver(exe,
             {"KyImage0.kyp", "C:\\Authoring\\Objects\\bird.gif", "/home/author/song.mp3", "same.jpg", "dir\\same.jpg",
              "", "..", "bad\x01name", std::string(256, 'n'), "KyFinal.res", "KyC.res", kLockFileName, "last.bmp"},
             {"scene", "gif", "mp3", "first", "second", "e", "dots", "ctl", "long", "final", "proj", "lock", "bmp"},
             Project("KyImage0.kyp=1\r\nlast.bmp=0\r\n", "[Advance]\r\nPreviewFile=C:\\x\\preview.jpg\r\n"));
  TWorkFolder work(tmp / "root", 77);
  TKyCProject project;
  ExtractPackage(project, exe, work);
  const std::string f = tmp / "root/77/";
  EXPECT_EQ(kytest::ReadFile(f + "KyImage0.kyp"), "scene");
  EXPECT_EQ(kytest::ReadFile(f + "bird.gif"), "gif");
  EXPECT_EQ(kytest::ReadFile(f + "song.mp3"), "mp3");
  EXPECT_EQ(kytest::ReadFile(f + "same.jpg"), "second");  // the later one wins
  EXPECT_EQ(kytest::ReadFile(f + "last.bmp"), "bmp");
  EXPECT_EQ(kytest::ReadFile(f + "KyGUI.kyu"), "window text");
  EXPECT_FALSE(Exists(f + "KyFinal.res"));
  EXPECT_NE(kytest::ReadFile(f + "KyC.res"), "proj");
  // Only the usable names, the package's own texts and the lock are there (the media bundle is
  // split straight out of the executable), and nothing was written beside the working folder.
  std::string listing;
  kytest::RunCommand("cd '" + f + "' && ls -A | sort | tr '\\n' ' '", &listing);
  EXPECT_EQ(listing, ".kysaver.lock KyC.res KyFilenames.res KyGUI.kyu KyImage0.kyp bird.gif last.bmp same.jpg song.mp3 ");
  kytest::RunCommand("cd '" + tmp.Path() + "' && ls -A | tr '\\n' ' '", &listing);
  EXPECT_EQ(listing, "Garden.scr root ");

  EXPECT_EQ(project.FileList().Names, (std::vector<std::string>{f + "KyImage0.kyp", f + "last.bmp"}));
  EXPECT_EQ(project.FileList().Flags, (std::vector<std::string>{"TRUE", "FALSE"}));
  EXPECT_EQ(project.Setting().PreviewFile, f + "preview.jpg");
  EXPECT_EQ(project.UISetting().UIFile, f + "KyGUI.kyu");

  RemoveExtractedFiles(work);
  EXPECT_FALSE(Exists(tmp / "root/77"));
}

TEST(ExtractPackage, NoPackageIsAClearError) {
  TTempDir tmp;
  kytest::WriteFile(tmp / "plain", "no package here");
  TWorkFolder work(tmp / "root", 5);
  TKyCProject project;
  try {
    ExtractPackage(project, tmp / "plain", work);
    FAIL();
  } catch (const TKyError& e) {
    EXPECT_NE(std::string(e.what()).find(tmp / "plain"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("no saver package"), std::string::npos);
  }
  RemoveExtractedFiles(work);
  EXPECT_FALSE(Exists(tmp / "root/5"));
}

TEST(ExtractPackage, PlantedLinksInTheWorkFolderAreNotFollowed) {
  TTempDir tmp;
  const std::string exe = tmp / "Garden.scr";
  WriteSaver(exe, {"KyImage0.kyp"}, {"new"}, Project("KyImage0.kyp=1\r\n", ""));
  kytest::WriteFile(tmp / "victim", "keep");
  mkdir((tmp / "root").c_str(), 0700);
  mkdir((tmp / "root/9").c_str(), 0700);
  for (const char* name : {"KyImage0.kyp", "KyC.res", "KyFiles.res"})
    symlink((tmp / "victim").c_str(), (tmp / "root/9/" + name).c_str());
  TWorkFolder work(tmp / "root", 9);
  TKyCProject project;
  ExtractPackage(project, exe, work);
  EXPECT_EQ(kytest::ReadFile(tmp / "victim"), "keep");
  EXPECT_EQ(kytest::ReadFile(tmp / "root/9/KyImage0.kyp"), "new");
  RemoveExtractedFiles(work);
  EXPECT_EQ(kytest::ReadFile(tmp / "victim"), "keep");
  EXPECT_FALSE(Exists(tmp / "root/9"));
}

TEST(ExtractPackage, TooManyMediaFilesAreRefusedBeforeAnythingIsWritten) {
  TTempDir tmp;
  const struct { size_t names; bool refused; } cases[] = {{kMaxMediaFiles, false}, {kMaxMediaFiles + 1, true}};
  for (const auto& c : cases) {
    std::vector<std::string> names(c.names, "n.jpg");
    WriteSaver(tmp / "Many.scr", names, {}, Project("", ""));
    TWorkFolder work(tmp / "root", 3);
    TKyCProject project;
    if (!c.refused) {
      ExtractPackage(project, tmp / "Many.scr", work);
      RemoveExtractedFiles(work);
      work.CleanWorkRoot();
      continue;
    }
    try {
      ExtractPackage(project, tmp / "Many.scr", work);
      ADD_FAILURE() << c.names << " names accepted";
    } catch (const TKyError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find(tmp / "Many.scr"), std::string::npos) << what;
      EXPECT_NE(what.find(std::to_string(c.names) + " media files"), std::string::npos) << what;
    }
    EXPECT_FALSE(Exists(tmp / "root"));
  }
}

TEST(PackageLayout, KeepsNoMoreSectionsThanAsked) {
  TTempDir tmp;
  // A count of 2^31 - 1 sections, followed by a thousand empty ones.
  std::string pkg = BuildPackage({});
  pkg.replace(pkg.size() - 4, 4, std::string("\xFF\xFF\xFF\x7F", 4));
  pkg += std::string(4000, '\0');
  kytest::WriteFile(tmp / "p", pkg);
  const TPackageLayout l = ReadPackageLayout(tmp / "p", 0, UINT64_MAX, 4);
  EXPECT_TRUE(l.Info.Found);
  EXPECT_EQ(l.Info.FirstValue, 0x7FFFFFFF);
  EXPECT_EQ(l.Sections.size(), 4u);
}
