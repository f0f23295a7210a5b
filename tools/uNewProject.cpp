#include "uNewProject.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

#include "graphics/uPictureFile.h"
#include "graphics/uPictureKind.h"
#include "graphics/uPictureReaders.h"
#include "graphics/uPngWriter.h"
#include "platform/uError.h"
#include "platform/uText.h"
#include "scene/file/uSceneWriter.h"

namespace ky {

namespace {

constexpr const char kNewUsage[] = "usage: kysaver-tool new FOLDER [--from PHOTO ...]\n";

bool IsEmptyFolder(const std::string& path) {
  DIR* d = opendir(path.c_str());
  if (!d) return false;
  bool empty = true;
  while (const dirent* e = readdir(d))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) empty = false;
  closedir(d);
  return empty;
}

void MakeFolder(const std::string& folder) {
  struct stat st {};
  if (lstat(folder.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) throw TKyError(folder + ": exists and is not a folder");
    if (!IsEmptyFolder(folder)) throw TKyError(folder + ": the folder is not empty; a new project needs an empty or new folder");
    return;
  }
  if (mkdir(folder.c_str(), 0755) != 0) throw TKyError(folder + ": cannot make the folder (" + std::strerror(errno) + ")");
}

// Never replaces a file: O_EXCL fails on anything already there.
void WriteNewFile(const std::string& path, const void* data, size_t size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw TKyError(path + ": cannot write the file (" + std::strerror(errno) + ")");
  const char* p = static_cast<const char*>(data);
  size_t done = 0;
  bool ok = true;
  while (ok && done < size) {
    const ssize_t w = write(fd, p + done, size - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) ok = false;
    else done += static_cast<size_t>(w);
  }
  ok = close(fd) == 0 && ok;
  if (!ok) throw TKyError(path + ": cannot write the file");
}

void WriteNewText(const std::string& path, const std::string& text) { WriteNewFile(path, text.data(), text.size()); }

void WriteNewPng(const std::string& path, const TBitmap32& b) {
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) throw TKyError(path + ": already exists");
  SavePngFile(b, path);
}

// A scene name from a photo's name: letters, digits, "-" and "_" kept, anything else "-".
std::string SceneNameOf(const std::string& photo) {
  std::string base = FileNamePart(photo);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  for (char& c : base)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '-';
  return base.empty() ? std::string("scene") : base;
}

std::string Extension(const std::string& photo) {
  return PictureKindOf(photo) == TPictureKind::Jpeg ? ".jpg" : ".png";
}

std::string SceneText(const std::string& name, const std::string& photoFile, bool hasWater) {
  return "; Scene description of \"" + name + "\". After an edit, write the scene again:\n"
         ";   kysaver-tool scene " + name + ".ini -o " + name + ".kyp\n"
         "; and look at it without building the saver:\n"
         ";   kysaver-tool scene " + name + ".ini --sheet " + name + "-sheet.png --overlay\n"
         "; The water is painted into the mask in pure colours: blue 0000FF moves with [Wave1], magenta FF00FF\n"
         "; with [Wave2], red FF0000 [Wave3], yellow FFFF00 [Wave4], green 00FF00 [Wave5], cyan 00FFFF [Wave6];\n"
         "; every other colour is dry land. Save the mask as PNG, painted with hard edges.\n"
         "; Every key, its unit and range: docs/authoring.md of kysaver.\n"
         "[Scene]\n"
         "Title=" + name + "\n"
         "Photo=" + photoFile + "\n"
         "Mask=" + name + "-mask.png\n"
         "PreviewWidth=160\n"
         "\n" +
         (hasWater ? "" : "; The mask is still all dry: nothing moves until water is painted into it.\n") +
         "[Wave1]\n"
         "; wave height in pixels (0-30)\n"
         "Amplitude=4\n"
         "; waves over the picture height (0-100): more is denser\n"
         "Frequency=20\n"
         "; how fast the waves run, degrees per 50 ms (0-100)\n"
         "PhaseSpeed=12\n"
         "; 1: rows ripple and the waves come towards the viewer; 0: away; 3/4: across; 2/5: across, mirrored\n"
         "Direction=1\n"
         "; 1: the waves grow towards the bottom of the water, as water seen from the shore does\n"
         "Perspective=1\n"
         "; 1: the land above the water is mirrored into it\n"
         "Reflection=1\n"
         "\n"
         "; Rain or snow: Kind=2 for rain (with Count=300, SpeedIndex=12, DropLength=10), 1 for snow.\n"
         "[Weather]\n"
         "Kind=0\n"
         "\n"
         "; A sound: a WAV file beside this description; PlayMode 0 loops, 2 plays every MinInterval s.\n"
         "; [Sound1]\n"
         "; FileName=waves.wav\n"
         "; PlayMode=0\n";
}

std::string ManifestText(const std::string& product, const std::vector<std::string>& scenes) {
  std::string t =
      "; The saver's manifest: kysaver-tool build saver.ini -o \"" + product + ".scr\"\n"
      "; Every key: docs/authoring.md of kysaver.\n"
      "[General]\n"
      "ProductName=" + product + "\n"
      "Publisher=\n"
      "Website=\n"
      "\n"
      "[Default]\n"
      "; seconds each picture is shown\n"
      "Duration=20\n"
      "; picture order: 0 at random, 1 in the order below\n"
      "ShowImageMode=1\n"
      "Transition=1\n"
      "; milliseconds a transition takes\n"
      "TransitionTime=2000\n"
      "\n"
      "; One picture a line, in show order: scene files (.kyp) and plain JPEG, BMP, GIF or PNG pictures.\n"
      "[Pictures]\n";
  for (const std::string& s : scenes) t += s + ".kyp\n";
  return t;
}

std::string ReadmeText(const std::string& product, const std::vector<std::string>& scenes, bool example) {
  std::string list;
  for (const std::string& s : scenes) list += "- `" + s + ".ini`, `" + s + "-mask.png`, `" + s + ".kyp`\n";
  return "# " + product + "\n\n"
         "A kysaver project made by `kysaver-tool new`. It builds as it is:\n\n"
         "    kysaver-tool build saver.ini -o " + product + ".scr\n"
         "    ./" + product + ".scr /S\n\n"
         "Its scenes (description, mask, scene file):\n\n" + list +
         "\nNext steps, for each scene:\n\n" +
         (example ? "1. The example's lake is painted already; replace the photo and mask with your own, or start\n"
                    "   again with `kysaver-tool new FOLDER --from PHOTO ...`.\n"
                  : "1. Paint the water into `NAME-mask.png` (an image editor, a pencil or hard-edged brush, anti-aliasing\n"
                    "   off) in pure blue `#0000FF`; more colours give more wave sets (see `NAME.ini`). Keep it PNG.\n") +
         "2. Look at the scene: `kysaver-tool scene NAME.ini --sheet NAME-sheet.png --overlay` (the water tinted\n"
         "   in its region colours) and without `--overlay` (the waves as they will move).\n"
         "3. Change the values in `NAME.ini`, look again, then write the scene: `kysaver-tool scene NAME.ini -o NAME.kyp`.\n"
         "4. Build: `kysaver-tool build saver.ini -o " + product + ".scr`; check it with `kysaver-tool inspect " +
         product + ".scr`\n"
         "   and watch it headless with `kysaver-tool render " + product + ".scr --out frames --frames 90 --sheet sheet.png`.\n\n"
         "The guide, with every key and what it does: `docs/authoring.md` in the kysaver sources.\n";
}

// The example's picture: an evening sky, hills and a lake; the mask marks the lake blue.
void DrawExample(TBitmap32& photo, TBitmap32& mask) {
  const int w = 480, h = 320, shore = 200;
  photo.SetSize(w, h);
  mask.SetSize(w, h);
  mask.Clear(MakeColor32(0, 0, 0));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double t = static_cast<double>(y) / shore;
      TColor32 c = MakeColor32(static_cast<int>(70 + 150 * t), static_cast<int>(90 + 80 * t), static_cast<int>(160 - 40 * t));
      const int hill = shore - static_cast<int>(50 + 30 * std::sin(x / 60.0) + 15 * std::sin(x / 23.0 + 1.0));
      if (y >= hill && y < shore) c = MakeColor32(40 + (y - hill) / 2, 70 + (x % 7), 50);
      if (y >= shore) {
        c = MakeColor32(30, 50 + (h - y) / 4, 90 + (h - y) / 3);
        mask.SetPixel(x, y, MakeColor32(0, 0, 255));
      }
      photo.SetPixel(x, y, c);
    }
}

}  // namespace

TBitmap32 DimmedMaskTemplate(const TBitmap32& photo) {
  TBitmap32 m(photo.Width(), photo.Height());
  for (int y = 0; y < photo.Height(); ++y) {
    const TColor32* s = photo.ScanLine(y);
    TColor32* d = m.ScanLine(y);
    for (int x = 0; x < photo.Width(); ++x) d[x] = MakeColor32(RedComponent(s[x]) / 2, GreenComponent(s[x]) / 2, BlueComponent(s[x]) / 2);
  }
  return m;
}

std::string MakeNewProject(const TNewProjectRequest& r) {
  if (r.Folder.empty()) throw TKyError(std::string("new: a folder is needed\n") + kNewUsage);
  // Every photo is checked before anything is made, so a bad one leaves nothing behind.
  std::vector<std::string> names;
  std::set<std::string> seen;
  std::vector<TBitmap32> pictures;
  for (const std::string& photo : r.Photos) {
    const TPictureKind kind = PictureKindOf(photo);
    if (kind != TPictureKind::Jpeg && kind != TPictureKind::Png)
      throw TKyError(photo + ": a scene's photo must be a JPEG (.jpg, .jpeg) or PNG (.png) file");
    TBitmap32& p = pictures.emplace_back();
    LoadPictureFromFile(photo, p);
    const std::string name = SceneNameOf(photo);
    if (!seen.insert(UpperCaseAscii(name)).second)
      throw TKyError(photo + ": another photo gives the same scene name \"" + name + "\"; rename one of them");
    names.push_back(name);
  }
  std::string product = SceneNameOf(r.Folder.back() == '/' ? r.Folder.substr(0, r.Folder.size() - 1) : r.Folder);
  MakeFolder(r.Folder);
  const std::string dir = r.Folder.back() == '/' ? r.Folder : r.Folder + "/";

  std::string made;
  auto scene = [&](const std::string& name, const std::string& photoFile, const TBitmap32& mask, bool hasWater) {
    WriteNewPng(dir + name + "-mask.png", mask);
    WriteNewText(dir + name + ".ini", SceneText(name, photoFile, hasWater));
    struct stat st {};
    if (lstat((dir + name + ".kyp").c_str(), &st) == 0) throw TKyError(dir + name + ".kyp: already exists");
    BuildSceneFile(dir + name + ".ini", dir + name + ".kyp");
    made += "  " + photoFile + ", " + name + "-mask.png, " + name + ".ini, " + name + ".kyp\n";
  };
  if (r.Photos.empty()) {
    names.push_back("example");
    TBitmap32 photo, mask;
    DrawExample(photo, mask);
    WriteNewPng(dir + "example.png", photo);
    scene("example", "example.png", mask, true);
  }
  for (size_t i = 0; i < r.Photos.size(); ++i) {
    const std::string photoFile = names[i] + Extension(r.Photos[i]);
    const std::vector<uint8_t> bytes = ReadPictureFile(r.Photos[i]);
    WriteNewFile(dir + photoFile, bytes.data(), bytes.size());
    scene(names[i], photoFile, DimmedMaskTemplate(pictures[i]), false);
  }
  WriteNewText(dir + "saver.ini", ManifestText(product, names));
  WriteNewText(dir + "README.md", ReadmeText(product, names, r.Photos.empty()));
  return TerminalText(r.Folder) + ": a new saver project\n" + made + "  saver.ini, README.md\nNext: cd " +
         TerminalText(r.Folder) + " && kysaver-tool build saver.ini -o " + product + ".scr  (README.md has the steps)\n";
}

int NewCommand(const std::vector<std::string>& args) {
  TNewProjectRequest r;
  bool from = false;
  for (const std::string& a : args) {
    if (a == "--from") from = true;
    else if (!a.empty() && a[0] == '-') throw TKyError("new: unknown option \"" + a + "\"\n" + kNewUsage);
    else if (r.Folder.empty()) r.Folder = a;
    else if (from) r.Photos.push_back(a);
    else throw TKyError("new: unexpected argument \"" + a + "\"\n" + kNewUsage);
  }
  const std::string report = MakeNewProject(r);
  std::fwrite(report.data(), 1, report.size(), stdout);
  return 0;
}

}  // namespace ky
