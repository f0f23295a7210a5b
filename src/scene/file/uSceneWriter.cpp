#include "scene/file/uSceneWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"
#include "platform/uIniFile.h"
#include "platform/uNumbers.h"
#include "platform/uText.h"
#include "scene/file/uFileIO.h"
#include "scene/file/uSceneKeys.h"
#include "scene/records/uRegionCodes.h"
#include "graphics/uJpegWriter.h"

namespace ky {

namespace {

class TByteWriter {
 public:
  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    FData.insert(FData.end(), b, b + n);
  }
  void Int(int32_t v) {
    uint8_t b[4];
    PutLE32(b, v);
    Raw(b, 4);
  }
  void Length(size_t n, const char* what) {
    if (n > 0x7FFFFFFF) throw std::runtime_error(std::string(what) + " is too long for a scene file");
    Int(static_cast<int32_t>(n));
  }
  void Str(const std::string& s, const char* what) {
    Length(s.size(), what);
    Raw(s.data(), s.size());
  }
  void Block(const std::vector<uint8_t>& b, const char* what) {
    Length(b.size(), what);
    Raw(b.data(), b.size());
  }
  std::vector<uint8_t> Take() { return std::move(FData); }

 private:
  std::vector<uint8_t> FData;
};

void PutWave(TByteWriter& w, const TWaveParam& p) {
  uint8_t rec[kWaveRecordSize];
  p.ToRecord(rec);
  w.Raw(rec, sizeof rec);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Resolve(const std::string& folder, const std::string& name) {
  if (name.empty() || name[0] == '/') return name;
  return folder + name;
}

std::string ReadTextFile(const std::string& path, const char* what) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot read the " + what);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Fail(const std::string& iniPath, const std::string& what) { throw std::runtime_error(iniPath + ": " + what); }

}  // namespace

std::vector<int32_t> EncodeRegionMask(const TBitmap32& maskPicture) {
  const int w = maskPicture.Width(), h = maskPicture.Height();
  std::vector<int32_t> out = {w, h};
  const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
  const TColor32* p = maskPicture.Bits();
  // One run may hold at most this many pixels so that length * 10 + code fits an int32.
  constexpr int64_t kMaxRun = (INT32_MAX - 9) / 10;
  size_t i = 0;
  while (i < n) {
    const int code = RegionCodeOf(p[i]);
    size_t j = i + 1;
    while (j < n && RegionCodeOf(p[j]) == code) ++j;
    if (code == 0 && j == n) break;
    for (int64_t left = static_cast<int64_t>(j - i); left > 0; left -= kMaxRun)
      out.push_back(static_cast<int32_t>(std::min(left, kMaxRun) * 10 + code));
    i = j;
  }
  return out;
}

std::vector<uint8_t> EncodeSceneFile(const TSceneDescription& s) {
  if (s.Width <= 0 || s.Height <= 0) throw std::runtime_error("the scene has no picture");
  if (s.MaskPicture.Width() != s.Width || s.MaskPicture.Height() != s.Height)
    throw std::runtime_error("the mask picture is " + std::to_string(s.MaskPicture.Width()) + " x " +
                             std::to_string(s.MaskPicture.Height()) + ", the photo " + std::to_string(s.Width) +
                             " x " + std::to_string(s.Height) + "; they must be the same size");
  if (s.Sounds.size() > kSoundSlotCount) throw std::runtime_error("a scene holds at most 8 sounds");
  TByteWriter w;
  w.Raw(kSceneMagic, 8);
  w.Str(s.Title, "the title");
  w.Str(s.SecondText, "the second text");
  w.Block(s.PreviewJpeg, "the preview");
  w.Int(4);
  for (int i = 0; i < 4; ++i) PutWave(w, s.WaveSets[i]);
  const std::vector<int32_t> mask = EncodeRegionMask(s.MaskPicture);
  w.Length(mask.size(), "the mask");
  for (int32_t v : mask) w.Int(v);
  w.Block(s.PictureJpeg, "the photo");
  w.Str(s.SoundFile, "the sound file name");
  uint8_t weather[kWeatherRecordSize];
  s.Weather.ToRecord(weather);
  w.Raw(weather, sizeof weather);
  for (int i = 0; i < kSoundSlotCount; ++i) {
    uint8_t rec[kSoundSlotSize];
    (i < static_cast<int>(s.Sounds.size()) ? s.Sounds[i] : TSoundSlot{}).ToRecord(rec);
    w.Raw(rec, sizeof rec);
  }
  w.Str(s.ObjectsText, "the objects text");
  w.Str(s.BuildInfo, "the build information");
  w.Int(4);
  for (int i = 4; i < kWaveSetCount; ++i) PutWave(w, s.WaveSets[i]);
  return w.Take();
}

TSceneDescription ReadSceneDescription(const std::string& iniPath) {
  std::ifstream probe(iniPath, std::ios::binary);
  if (!probe) Fail(iniPath, "cannot read the scene description");
  probe.close();
  const TIniFile ini = TIniFile::FromFile(iniPath);
  const std::string folder = FolderOf(iniPath);
  TSceneDescription s;
  s.Title = ini.ReadString("Scene", "Title", "");
  s.SecondText = ini.ReadString("Scene", "SecondText", "");
  s.SoundFile = ini.ReadString("Scene", "SoundFile", "");
  s.BuildInfo = ini.ReadString("Scene", "Build", "");

  const std::string photoName = ini.ReadString("Scene", "Photo", "");
  if (photoName.empty()) Fail(iniPath, "[Scene] Photo is missing");
  const std::string photo = Resolve(folder, photoName);
  TBitmap32 picture;
  const TPictureKind kind = PictureKindOf(photo);
  if (kind == TPictureKind::Jpeg) {
    // A JPEG photo is stored as it is, so it is not compressed a second time.
    s.PictureJpeg = ReadPictureFile(photo);
    LoadJpegFromMemory(s.PictureJpeg.data(), s.PictureJpeg.size(), picture, photo);
  } else if (kind == TPictureKind::Png) {
    picture = std::move(ReadPngFile(photo).Picture);
    s.PictureJpeg = EncodeJpeg(picture, 92);
  } else {
    Fail(iniPath, "the photo must be a JPEG or PNG file: " + photo);
  }
  s.Width = picture.Width();
  s.Height = picture.Height();

  const std::string maskName = ini.ReadString("Scene", "Mask", "");
  if (maskName.empty()) Fail(iniPath, "[Scene] Mask is missing");
  LoadPictureFromFile(Resolve(folder, maskName), s.MaskPicture);
  if (s.MaskPicture.Width() != s.Width || s.MaskPicture.Height() != s.Height)
    Fail(iniPath, "the mask picture is " + std::to_string(s.MaskPicture.Width()) + " x " +
                      std::to_string(s.MaskPicture.Height()) + ", the photo " + std::to_string(s.Width) + " x " +
                      std::to_string(s.Height) + "; they must be the same size");

  const int pw = std::clamp(ini.ReadInteger("Scene", "PreviewWidth", 160), 1, s.Width);
  const int ph = std::max(1, Round(static_cast<double>(pw) * s.Height / s.Width));
  TBitmap32 preview(pw, ph);
  ResizeBilinear(picture, preview);
  s.PreviewJpeg = EncodeJpeg(preview, 85);

  const std::string objects = ini.ReadString("Scene", "Objects", "");
  if (!objects.empty()) s.ObjectsText = ReadTextFile(Resolve(folder, objects), "objects file");

  for (int i = 0; i < kWaveSetCount; ++i) ReadWaveSetKeys(ini, "Wave" + std::to_string(i + 1), s.WaveSets[i]);
  ReadWeatherKeys(ini, s.Weather);

  for (int i = 0; i < kSoundSlotCount; ++i) {
    const std::string sec = "Sound" + std::to_string(i + 1);
    const std::string name = ini.ReadString(sec, "FileName", "");
    if (name.empty()) continue;
    if (name.size() > kSoundNameSize) Fail(iniPath, "[" + sec + "] FileName is longer than 255 bytes");
    TSoundSlot slot;
    slot.SetFileName(name);
    slot.PlayMode = ini.ReadInteger(sec, "PlayMode", 0);
    slot.MinInterval = ini.ReadInteger(sec, "MinInterval", 0);
    slot.MaxInterval = ini.ReadInteger(sec, "MaxInterval", 0);
    s.Sounds.push_back(slot);
  }
  return s;
}

void BuildSceneFile(const std::string& iniPath, const std::string& outputPath) {
  WriteSceneFile(ReadSceneDescription(iniPath), outputPath);
}

void WriteSceneFile(const TSceneDescription& scene, const std::string& outputPath) {
  const std::vector<uint8_t> bytes = EncodeSceneFile(scene);
  const std::string tmp = outputPath + ".tmp-" + std::to_string(getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(tmp.c_str());
      throw std::runtime_error(outputPath + ": cannot write the scene file");
    }
  }
  if (std::rename(tmp.c_str(), outputPath.c_str()) != 0) {
    std::remove(tmp.c_str());
    throw std::runtime_error(outputPath + ": cannot write the scene file");
  }
}

}  // namespace ky
