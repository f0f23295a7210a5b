#pragma once
// Writing scene files: the authoring side of the scene reader, used by "kysaver-tool scene".
//
// A scene description is a small INI file; file names are relative to its folder:
//
//   [Scene]
//   Title=Lake at dawn
//   SecondText=
//   Photo=lake.jpg          JPEG (stored as it is) or PNG (encoded as JPEG)
//   Mask=lake-mask.png      same size as the photo; blue, magenta, red, yellow, green and cyan
//                           mark the water of wave sets 1-6, any other colour is dry land
//   PreviewWidth=160        width of the preview, a reduced copy of the photo (1 .. photo width)
//   Objects=objects.ini     optional: stored as the scene's objects text
//   SoundFile=              optional: the single sound name older files carry
//   Build=                  optional: the build information (comma text of INI lines)
// Every key with its default and sensible range: uSceneKeys.h; the guide: docs/authoring.md.
//   [Wave1] ... [Wave8]     Amplitude, Frequency, PhaseSpeed, Direction, HorzShift, Animated,
//                           Perspective, Cycle, Jitter, Reflection (missing keys: file defaults)
//   [Weather]               Kind (0 none, 1 snow, 2 rain), Count, SpeedIndex, SizeOrAngle,
//                           DropLength, Opacity (missing keys: 0)
//   [Sound1] ... [Sound8]   FileName, PlayMode, MinInterval, MaxInterval; slots are written in
//                           order without gaps
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/uBitmap32.h"
#include "scene/records/uSceneRecords.h"

namespace ky {

struct TSceneDescription {
  std::string Title;
  std::string SecondText;
  std::vector<uint8_t> PreviewJpeg;
  std::vector<uint8_t> PictureJpeg;
  int Width = 0;   // of the picture
  int Height = 0;
  TBitmap32 MaskPicture;  // region colours, Width x Height
  std::array<TWaveParam, kWaveSetCount> WaveSets;
  TWeatherParam Weather;
  std::vector<TSoundSlot> Sounds;  // at most 8
  std::string SoundFile;
  std::string ObjectsText;
  std::string BuildInfo;

  TSceneDescription() { WaveSets.fill(TWaveParam::Defaults()); }
};

// Runs of region codes for a mask picture: width, height, then length * 10 + code per run; a
// dry run at the end is left out (pixels no run reaches are dry).
std::vector<int32_t> EncodeRegionMask(const TBitmap32& maskPicture);

// The bytes of a scene file, tail included (all eight wave sets are written).
// Throws std::runtime_error when the description cannot be written (mask size, sound count).
std::vector<uint8_t> EncodeSceneFile(const TSceneDescription& scene);

// Reads a description INI and the pictures and texts it names. Throws std::runtime_error
// naming the file and the problem.
TSceneDescription ReadSceneDescription(const std::string& iniPath);

// ReadSceneDescription + EncodeSceneFile, written to outputPath (through a temporary file).
void BuildSceneFile(const std::string& iniPath, const std::string& outputPath);
// EncodeSceneFile written to outputPath (through a temporary file).
void WriteSceneFile(const TSceneDescription& scene, const std::string& outputPath);

}  // namespace ky
