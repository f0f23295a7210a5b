#include "scene/records/uSceneRecords.h"

#include <algorithm>
#include <cstring>

namespace ky {

TWaveParam TWaveParam::Defaults() {
  TWaveParam w;
  w.Amplitude = 6;
  w.Frequency = 17;
  w.PhaseSpeed = 15;
  w.Direction = 1;
  w.HorzShift = false;
  w.Animated = true;
  w.Perspective = true;
  w.Cycle = 360;
  w.Jitter = 0;
  w.Reflection = false;
  return w;
}

TWaveParam TWaveParam::FromRecord(const uint8_t (&rec)[kWaveRecordSize]) {
  TWaveParam w;
  w.Amplitude = GetLE32(rec + 0);
  w.Frequency = GetLE32(rec + 4);
  w.PhaseSpeed = GetLE32(rec + 8);
  w.Direction = GetLE32(rec + 12);
  w.HorzShift = rec[16] != 0;
  w.Animated = rec[17] != 0;
  w.Perspective = rec[18] != 0;
  w.Cycle = GetLE32(rec + 20);
  w.Jitter = GetLE32(rec + 24);
  w.Reflection = rec[29] != 0;
  return w;
}

void TWaveParam::ToRecord(uint8_t (&rec)[kWaveRecordSize]) const {
  std::memset(rec, 0, sizeof rec);
  PutLE32(rec + 0, Amplitude);
  PutLE32(rec + 4, Frequency);
  PutLE32(rec + 8, PhaseSpeed);
  PutLE32(rec + 12, Direction);
  rec[16] = HorzShift ? 1 : 0;
  rec[17] = Animated ? 1 : 0;
  rec[18] = Perspective ? 1 : 0;
  PutLE32(rec + 20, Cycle);
  PutLE32(rec + 24, Jitter);
  rec[29] = Reflection ? 1 : 0;
}

bool TWaveParam::operator==(const TWaveParam& o) const {
  return Amplitude == o.Amplitude && Frequency == o.Frequency && PhaseSpeed == o.PhaseSpeed &&
         Direction == o.Direction && HorzShift == o.HorzShift && Animated == o.Animated &&
         Perspective == o.Perspective && Cycle == o.Cycle && Jitter == o.Jitter &&
         Reflection == o.Reflection;
}

TWeatherParam TWeatherParam::FromRecord(const uint8_t (&rec)[kWeatherRecordSize]) {
  TWeatherParam w;
  w.Kind = GetLE32(rec + 0);
  w.Count = GetLE32(rec + 4);
  w.SpeedIndex = GetLE32(rec + 8);
  w.SizeOrAngle = GetLE32(rec + 12);
  w.DropLength = GetLE32(rec + 16);
  w.Opacity = GetLE32(rec + 20);
  return w;
}

void TWeatherParam::ToRecord(uint8_t (&rec)[kWeatherRecordSize]) const {
  PutLE32(rec + 0, Kind);
  PutLE32(rec + 4, Count);
  PutLE32(rec + 8, SpeedIndex);
  PutLE32(rec + 12, SizeOrAngle);
  PutLE32(rec + 16, DropLength);
  PutLE32(rec + 20, Opacity);
}

bool TWeatherParam::operator==(const TWeatherParam& o) const {
  return Kind == o.Kind && Count == o.Count && SpeedIndex == o.SpeedIndex &&
         SizeOrAngle == o.SizeOrAngle && DropLength == o.DropLength && Opacity == o.Opacity;
}

void TSoundSlot::SetFileName(std::string_view name) {
  const size_t n = std::min(name.size(), kSoundNameSize);
  Name.fill('\0');
  std::memcpy(Name.data(), name.data(), n);
  Length = static_cast<uint8_t>(n);
}

TSoundSlot TSoundSlot::FromRecord(const uint8_t (&rec)[kSoundSlotSize]) {
  TSoundSlot s;
  s.Length = rec[0];
  std::memcpy(s.Name.data(), rec + 1, kSoundNameSize);
  s.PlayMode = GetLE32(rec + 256);
  s.MinInterval = GetLE32(rec + 260);
  s.MaxInterval = GetLE32(rec + 264);
  return s;
}

void TSoundSlot::ToRecord(uint8_t (&rec)[kSoundSlotSize]) const {
  std::memset(rec, 0, sizeof rec);
  rec[0] = Length;
  std::memcpy(rec + 1, Name.data(), Length);
  PutLE32(rec + 256, PlayMode);
  PutLE32(rec + 260, MinInterval);
  PutLE32(rec + 264, MaxInterval);
}

}  // namespace ky
