#pragma once
// Small scene files built byte by byte by the tests, independent of the scene writer.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics/uBitmap32.h"
#include "graphics/uJpegWriter.h"
#include "scene/records/uSceneRecords.h"

namespace kytest {

class TSceneBytes {
 public:
  TSceneBytes& Raw(const std::string& s) {
    Data.insert(Data.end(), s.begin(), s.end());
    return *this;
  }
  TSceneBytes& Int(int32_t v) {
    uint8_t b[4];
    ky::PutLE32(b, v);
    Data.insert(Data.end(), b, b + 4);
    return *this;
  }
  TSceneBytes& Str(const std::string& s) { return Int(static_cast<int32_t>(s.size())).Raw(s); }
  TSceneBytes& Block(const std::vector<uint8_t>& b) {
    Int(static_cast<int32_t>(b.size()));
    Data.insert(Data.end(), b.begin(), b.end());
    return *this;
  }
  TSceneBytes& Wave(const ky::TWaveParam& w) {
    uint8_t rec[ky::kWaveRecordSize];
    w.ToRecord(rec);
    Data.insert(Data.end(), rec, rec + sizeof rec);
    return *this;
  }
  TSceneBytes& Weather(const ky::TWeatherParam& w) {
    uint8_t rec[ky::kWeatherRecordSize];
    w.ToRecord(rec);
    Data.insert(Data.end(), rec, rec + sizeof rec);
    return *this;
  }
  TSceneBytes& Slot(const std::string& name, int32_t mode = 0, int32_t minI = 0, int32_t maxI = 0) {
    ky::TSoundSlot s;
    s.SetFileName(name);
    s.PlayMode = mode;
    s.MinInterval = minI;
    s.MaxInterval = maxI;
    uint8_t rec[ky::kSoundSlotSize];
    s.ToRecord(rec);
    Data.insert(Data.end(), rec, rec + sizeof rec);
    return *this;
  }
  std::vector<uint8_t> Data;
};

inline std::vector<uint8_t> SolidJpeg(int w, int h, ky::TColor32 c) {
  ky::TBitmap32 b(w, h);
  b.Clear(c);
  return ky::EncodeJpeg(b, 95);
}

struct TBaseScene {
  std::string Magic = "KY060697";
  std::string Title = "Lake";
  std::string SecondText = "second";
  int Width = 4, Height = 3;
  std::vector<int32_t> Runs = {10 * 12 + 1};  // all water of wave set 1
  int MaskWidth = -1, MaskHeight = -1;         // -1: the picture's
  int MaskCount = -1;                          // -1: the true count
  std::vector<ky::TWaveParam> Waves = std::vector<ky::TWaveParam>(4, ky::TWaveParam::Defaults());
  std::string SoundFile;
  ky::TWeatherParam Weather{};
};

// Elements 1 to 10: everything up to and including the weather record.
inline TSceneBytes BaseBytes(const TBaseScene& s) {
  TSceneBytes b;
  b.Raw(s.Magic).Str(s.Title).Str(s.SecondText).Block(SolidJpeg(2, 2, 0xFF808080)).Int(4);
  for (const auto& w : s.Waves) b.Wave(w);
  b.Int(s.MaskCount >= 0 ? s.MaskCount : static_cast<int32_t>(2 + s.Runs.size()))
      .Int(s.MaskWidth >= 0 ? s.MaskWidth : s.Width)
      .Int(s.MaskHeight >= 0 ? s.MaskHeight : s.Height);
  for (int32_t r : s.Runs) b.Int(r);
  b.Block(SolidJpeg(s.Width, s.Height, 0xFF204060)).Str(s.SoundFile).Weather(s.Weather);
  return b;
}

// A file in the test's own temporary folder, removed with the object.
class TTempFile {
 public:
  explicit TTempFile(const std::vector<uint8_t>& bytes, const std::string& ext = ".kyp") {
    std::string templ = ::testing::TempDir() + "kysceneXXXXXX" + ext;
    const int fd = mkstemps(templ.data(), static_cast<int>(ext.size()));
    if (fd < 0) throw std::runtime_error("cannot create a temporary file");
    close(fd);
    Path = templ;
    std::ofstream out(Path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TTempFile() { std::remove(Path.c_str()); }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;
  std::string Path;
};

}  // namespace kytest
