#include "scene/model/uSceneInspect.h"

#include <cstdio>
#include <fstream>

#include "platform/uText.h"
#include "scene/file/uFileIO.h"
#include "scene/records/uRegionCodes.h"
#include "scene/model/uKyProject.h"

namespace ky {

bool LooksLikeSceneFile(const std::string& path) {
  if (path.size() >= 4 && UpperCaseAscii(path.substr(path.size() - 4)) == ".KYP") return true;
  std::ifstream in(path, std::ios::binary);
  char magic[8] = {};
  return in.read(magic, 8) && std::string(magic, 8) == kSceneMagic;
}

std::array<int64_t, 7> CountRegionPixels(const TProject& project) {
  std::array<int64_t, 7> counts{};
  const TBitmap32& mask = project.Mask();
  for (int y = 0; y < mask.Height(); ++y) {
    const TColor32* row = mask.ScanLine(y);
    for (int x = 0; x < mask.Width(); ++x) ++counts[static_cast<size_t>(RegionCodeOf(row[x]))];
  }
  return counts;
}

namespace {

std::string Bool(bool b) { return b ? "true" : "false"; }

std::string WaveJson(const TWaveParam& w) {
  return "{\"Amplitude\":" + std::to_string(w.Amplitude) + ",\"Frequency\":" + std::to_string(w.Frequency) +
         ",\"PhaseSpeed\":" + std::to_string(w.PhaseSpeed) + ",\"Direction\":" + std::to_string(w.Direction) +
         ",\"HorzShift\":" + Bool(w.HorzShift) + ",\"Animated\":" + Bool(w.Animated) +
         ",\"Perspective\":" + Bool(w.Perspective) + ",\"Cycle\":" + std::to_string(w.Cycle) +
         ",\"Jitter\":" + std::to_string(w.Jitter) + ",\"Reflection\":" + Bool(w.Reflection) + "}";
}

std::string Json(const TProject& p) {
  std::string o = "{\"Title\":" + JsonString(p.Title()) + ",\"SecondText\":" + JsonString(p.SecondText()) +
                  ",\"Width\":" + std::to_string(p.Picture().Width()) +
                  ",\"Height\":" + std::to_string(p.Picture().Height()) + ",\"WaveSets\":[";
  for (int i = 0; i < kWaveSetCount; ++i) o += (i ? "," : "") + WaveJson(p.WaveSet(i));
  const TWeatherParam& w = p.Weather();
  o += "],\"Weather\":{\"Kind\":" + std::to_string(w.Kind) + ",\"Count\":" + std::to_string(w.Count) +
       ",\"SpeedIndex\":" + std::to_string(w.SpeedIndex) + ",\"SizeOrAngle\":" + std::to_string(w.SizeOrAngle) +
       ",\"DropLength\":" + std::to_string(w.DropLength) + ",\"Opacity\":" + std::to_string(w.Opacity) +
       "},\"SoundSlots\":[";
  for (int i = 0; i < kSoundSlotCount; ++i) {
    const TSoundSlot& s = p.SoundSlots()[i];
    o += std::string(i ? "," : "") + "{\"FileName\":" + JsonString(s.FileName()) +
         ",\"PlayMode\":" + std::to_string(s.PlayMode) + ",\"MinInterval\":" + std::to_string(s.MinInterval) +
         ",\"MaxInterval\":" + std::to_string(s.MaxInterval) + "}";
  }
  o += "],\"SoundCount\":" + std::to_string(p.SoundCount()) + ",\"ObjectsText\":" + JsonString(p.ObjectsText()) +
       ",\"RegionPixels\":[";
  const auto counts = CountRegionPixels(p);
  for (size_t i = 0; i < counts.size(); ++i) o += (i ? "," : "") + std::to_string(counts[i]);
  return o + "]}\n";
}

std::string Text(const TProject& p) {
  std::string o = "Scene file " + DisplayText(p.FileName()) + "\n";
  o += "  Title: " + DisplayText(p.Title()) + "\n";
  o += "  Second text: " + DisplayText(p.SecondText()) + "\n";
  o += "  Picture: " + std::to_string(p.Picture().Width()) + " x " + std::to_string(p.Picture().Height()) +
       ", preview " + std::to_string(p.Preview().Width()) + " x " + std::to_string(p.Preview().Height()) + "\n";
  const auto counts = CountRegionPixels(p);
  o += "  Region pixels (codes 0-6):";
  for (int64_t c : counts) o += " " + std::to_string(c);
  o += "\n";
  for (int i = 0; i < kWaveSetCount; ++i) {
    const TWaveParam& w = p.WaveSet(i);
    o += "  Wave set " + std::to_string(i + 1) + ": amplitude " + std::to_string(w.Amplitude) + ", frequency " +
         std::to_string(w.Frequency) + ", phase speed " + std::to_string(w.PhaseSpeed) + ", direction " +
         std::to_string(w.Direction) + ", cycle " + std::to_string(w.Cycle) + ", jitter " + std::to_string(w.Jitter) +
         (w.HorzShift ? ", sideways" : "") + (w.Animated ? "" : ", still") + (w.Perspective ? ", perspective" : "") +
         (w.Reflection ? ", reflection" : "") + "\n";
  }
  const TWeatherParam& w = p.Weather();
  static const char* const kKinds[] = {"none", "snow", "rain"};
  o += "  Weather: " + std::string(w.Kind >= 0 && w.Kind <= 2 ? kKinds[w.Kind] : "unknown") + ", count " +
       std::to_string(w.Count) + ", speed index " + std::to_string(w.SpeedIndex) + ", size or angle " +
       std::to_string(w.SizeOrAngle) + ", drop length " + std::to_string(w.DropLength) + ", opacity " +
       std::to_string(w.Opacity) + "\n";
  o += "  Sounds: " + std::to_string(p.SoundCount()) + "\n";
  for (int i = 0; i < p.SoundCount(); ++i) {
    const TSoundSlot& s = p.SoundSlots()[i];
    o += "    " + DisplayText(s.FileName()) + " (mode " + std::to_string(s.PlayMode) + ", " +
         std::to_string(s.MinInterval) + " - " + std::to_string(s.MaxInterval) + " s)\n";
  }
  o += "  Objects text: " + std::to_string(p.ObjectsText().size()) + " bytes\n";
  return o;
}

}  // namespace

std::string InspectScene(const std::string& path, bool json) {
  TProject p;
  if (!p.Load(path)) throw ESceneFileError(p.LoadError());
  return json ? Json(p) : Text(p);
}

}  // namespace ky
