// Writes the starting corpora of the package, INI and scene fuzz targets, made with the
// project's own writers so that every seed is a valid input the fuzzer can then damage.
// Usage: make_seeds <folder>   (creates <folder>/package, <folder>/ini, <folder>/scene, <folder>/form)
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/uFormPicture.h"
#include "config/uFormPrinter.h"
#include "config/uKyForms.h"
#include "graphics/uBitmap32.h"
#include "package/uPackage.h"
#include "scene/records/uRegionCodes.h"
#include "graphics/uJpegWriter.h"
#include "scene/file/uSceneWriter.h"

namespace {

void Write(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) throw std::runtime_error(path + ": cannot write the seed");
}
void Write(const std::string& path, const std::string& s) { Write(path, s.data(), s.size()); }
void Write(const std::string& path, const std::vector<uint8_t>& b) { Write(path, b.data(), b.size()); }

std::string Folder(const std::string& root, const char* name) {
  const std::string path = root + "/" + name;
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) throw std::runtime_error(path + ": cannot create the folder");
  return path + "/";
}

const char kFileList[] = "[FileList]\r\nKyImage0.kyp=1\r\nKyImage1.jpg=0\r\na=b.jpg=1\r\n";
const char kSettings[] =
    "[General]\r\nProductName=Sea Waves\r\nPublisher=Someone\r\n[Default]\r\nStretch=1\r\nDuration=$1E\r\n"
    "TransitionEffects=1,5,169\r\nSpeed=fast\r\n[Advance]\r\nMusicFile=a.mp3;b.mp3\r\n[Build]\r\nCustomIcon=0\r\n";
const char kUi[] = "[UI]\r\nUIFile=config.kyw\r\n";
const char kBuild[] = "[BuildExe],Filename=a.exe,Sound=1,\"MusicFile=my song.mp3\",[BuildScr],Music=0";

void IniSeeds(const std::string& dir) {
  Write(dir + "filelist.ini", kFileList);
  Write(dir + "settings.ini", kSettings);
  Write(dir + "ui.ini", kUi);
  Write(dir + "build.txt", kBuild);
  // Lone CRs, a repeated section in another case, blanks, a NUL and no last line break.
  const char odd[] = "; comment\r[a]\rk=1\rK=2\n[ A ]\n x = y \n=v\n[b\n#c=3\nd\0e=1\nlast=no newline";
  Write(dir + "odd.ini", odd, sizeof odd - 1);
}

void PackageSeeds(const std::string& dir) {
  const std::string project = ky::BuildPackage({kFileList, kSettings, kUi});
  Write(dir + "project.res", project);
  const std::string bundle = ky::BuildPackage({"first media bytes", std::string(40, 'x')});
  const std::string saver = ky::BuildPackage({project, "KyImage0.kyp\r\nmusic.mp3\r\n", bundle, "object Form\r\nend\r\n"});
  // A player executable comes before the package; a few bytes stand in for it.
  Write(dir + "saver.bin", "\x7f" "ELF player bytes" + saver);
  Write(dir + "empty.res", ky::BuildPackage({}));
  Write(dir + "truncated.res", saver.substr(0, saver.size() / 2));
}

void SceneSeeds(const std::string& dir) {
  ky::TSceneDescription s;
  s.Title = "Lake";
  s.SecondText = "at dawn";
  s.Width = 6;
  s.Height = 4;
  ky::TBitmap32 photo(s.Width, s.Height);
  photo.Clear(0xFF204060);
  s.PictureJpeg = ky::EncodeJpeg(photo, 90);
  ky::TBitmap32 preview(3, 2);
  preview.Clear(0xFF808080);
  s.PreviewJpeg = ky::EncodeJpeg(preview, 90);
  s.MaskPicture.SetSize(s.Width, s.Height);
  s.MaskPicture.Clear(ky::RegionColour(0));
  for (int x = 0; x < s.Width; ++x) {
    s.MaskPicture.SetPixel(x, 2, ky::RegionColour(1));
    s.MaskPicture.SetPixel(x, 3, ky::RegionColour(1 + x % 6));
  }
  s.Weather.Kind = 1;
  s.Weather.Count = 50;
  ky::TSoundSlot slot;
  slot.SetFileName("birds.wav");
  slot.PlayMode = 1;
  slot.MaxInterval = 10;
  s.Sounds.push_back(slot);
  s.ObjectsText = "[Object1]\r\nClass=Bird\r\n";
  s.BuildInfo = kBuild;
  const std::vector<uint8_t> full = ky::EncodeSceneFile(s);
  Write(dir + "full.kyp", full);

  // The same scene as older files have it: no tail after the weather record.
  const size_t tail = ky::kSoundSlotCount * ky::kSoundSlotSize + 4 + s.ObjectsText.size() + 4 +
                      s.BuildInfo.size() + 4 + 4 * ky::kWaveRecordSize;
  Write(dir + "no-tail.kyp", std::vector<uint8_t>(full.begin(), full.end() - static_cast<long>(tail)));

  ky::TSceneDescription plain;
  plain.Width = 1;
  plain.Height = 1;
  ky::TBitmap32 dot(1, 1);
  dot.Clear(0xFFFFFFFF);
  plain.PictureJpeg = plain.PreviewJpeg = ky::EncodeJpeg(dot, 50);
  plain.MaskPicture.SetSize(1, 1);
  plain.MaskPicture.Clear(ky::RegionColour(2));
  plain.SoundFile = "rain.wav";
  Write(dir + "tiny.kyp", ky::EncodeSceneFile(plain));
}

// A description file of two windows (a skin picture, labels bound to actions) and the window
// text alone.
void FormSeeds(const std::string& dir) {
  auto property = [](const char* name, ky::TFormValueKind kind) {
    ky::TFormProperty p;
    p.Name = name;
    p.Value.Kind = kind;
    return p;
  };
  ky::TFormSource main;
  main.Tree.Name = "MainWindow";
  main.Tree.ClassName = "TfmForm";
  ky::TFormProperty noFrame = property("NoFrame", ky::TFormValueKind::Ident);
  noFrame.Value.Text = "True";
  main.Tree.Properties.push_back(noFrame);
  ky::TFormObject image;
  image.Name = "Image1";
  image.ClassName = "TImage";
  ky::TFormProperty picture = property("Picture.Data", ky::TFormValueKind::Bytes);
  ky::TBitmap32 dot(2, 2);
  dot.Clear(0xFF336699);
  picture.Value.Bytes = ky::EncodeFormPicture("TJPEGImage", ky::EncodeJpeg(dot, 50));
  image.Properties.push_back(picture);
  main.Tree.Children.push_back(image);
  ky::TFormObject label;
  label.Name = "Label1";
  label.ClassName = "TLabel";
  ky::TFormProperty caption = property("Caption", ky::TFormValueKind::String);
  caption.Value.Text = "<CompanyName>\r\n'x'";
  label.Properties.push_back(caption);
  ky::TFormProperty style = property("Font.Style", ky::TFormValueKind::Set);
  style.Value.Set = {"fsBold", "fsItalic"};
  label.Properties.push_back(style);
  main.Tree.Children.push_back(label);
  ky::TAction open;
  open.Kind = ky::akOpenUrl;
  open.Param1 = "<Website>";
  main.Actions.emplace_back("Label1", open);
  ky::TFormSource thumbs;
  thumbs.Tree.Name = "ThumbnailWindow";
  thumbs.Tree.ClassName = "TfmForm";
  Write(dir + "description.kyu", ky::FormatDescriptionFile({main, thumbs}));
  Write(dir + "window.dfm", ky::PrintFormText(main.Tree));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <folder>\n");
    return 2;
  }
  try {
    const std::string root = argv[1];
    IniSeeds(Folder(root, "ini"));
    PackageSeeds(Folder(root, "package"));
    SceneSeeds(Folder(root, "scene"));
    FormSeeds(Folder(root, "form"));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
