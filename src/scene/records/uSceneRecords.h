#pragma once
// The fixed-size records of a scene file: wave sets, the weather record and the sound slots.
// All integers are little-endian int32; flags are bytes, false when 0.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ky {

constexpr int kWaveSetCount = 8;
constexpr int kSoundSlotCount = 8;
constexpr size_t kWaveRecordSize = 32;
constexpr size_t kWeatherRecordSize = 24;
constexpr size_t kSoundSlotSize = 268;
constexpr size_t kSoundNameSize = 255;

// One wave set. A freshly constructed one has every field 0; Defaults() gives the values a
// scene file assumes for records it does not hold.
struct TWaveParam {
  int32_t Amplitude = 0;
  int32_t Frequency = 0;
  int32_t PhaseSpeed = 0;
  int32_t Direction = 0;
  bool HorzShift = false;
  bool Animated = false;
  bool Perspective = false;
  int32_t Cycle = 0;
  int32_t Jitter = 0;
  bool Reflection = false;

  static TWaveParam Defaults();
  static TWaveParam FromRecord(const uint8_t (&rec)[kWaveRecordSize]);
  void ToRecord(uint8_t (&rec)[kWaveRecordSize]) const;
  bool operator==(const TWaveParam& o) const;
};

// The weather kinds of TWeatherParam::Kind; any other value is no weather.
constexpr int32_t kWeatherNone = 0;
constexpr int32_t kWeatherSnow = 1;
constexpr int32_t kWeatherRain = 2;

struct TWeatherParam {
  int32_t Kind = kWeatherNone;
  int32_t Count = 0;
  int32_t SpeedIndex = 0;
  int32_t SizeOrAngle = 0;
  int32_t DropLength = 0;
  int32_t Opacity = 0;

  static TWeatherParam FromRecord(const uint8_t (&rec)[kWeatherRecordSize]);
  void ToRecord(uint8_t (&rec)[kWeatherRecordSize]) const;
  bool operator==(const TWeatherParam& o) const;
};

// One sound effect slot; a zero length marks it empty.
struct TSoundSlot {
  uint8_t Length = 0;
  std::array<char, kSoundNameSize> Name{};
  int32_t PlayMode = 0;
  int32_t MinInterval = 0;
  int32_t MaxInterval = 0;

  std::string FileName() const { return std::string(Name.data(), Length); }
  // Cut to 255 bytes.
  void SetFileName(std::string_view name);
  bool Empty() const { return Length == 0; }

  static TSoundSlot FromRecord(const uint8_t (&rec)[kSoundSlotSize]);
  void ToRecord(uint8_t (&rec)[kSoundSlotSize]) const;
};

using TSoundSlots = std::array<TSoundSlot, kSoundSlotCount>;

// Little-endian helpers shared by the reader and the writer.
inline int32_t GetLE32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLE32(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}

}  // namespace ky
