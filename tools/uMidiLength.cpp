#include "uMidiLength.h"

#include <algorithm>
#include <map>

#include "platform/uError.h"

namespace ky {

namespace {

class TReader {
 public:
  TReader(const std::string& b, size_t at, size_t end, const std::string& name) : FB(b), FAt(at), FEnd(end), FName(name) {}
  bool AtEnd() const { return FAt >= FEnd; }
  uint8_t Byte() {
    if (FAt >= FEnd) Fail("an event runs past the end of its track");
    return static_cast<uint8_t>(FB[FAt++]);
  }
  uint8_t Peek() const { return FAt < FEnd ? static_cast<uint8_t>(FB[FAt]) : 0; }
  // A variable-length quantity: at most four bytes of seven bits.
  uint32_t Vlq() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const uint8_t b = Byte();
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return v;
    }
    Fail("a length is longer than four bytes");
  }
  void Skip(uint32_t n) {
    if (n > FEnd - FAt) Fail("an event runs past the end of its track");
    FAt += n;
  }
  [[noreturn]] void Fail(const std::string& why) const { throw TKyError(FName + ": not a usable MIDI file (" + why + ")"); }

 private:
  const std::string& FB;
  size_t FAt, FEnd;
  const std::string& FName;
};

uint32_t Be32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24 | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 8 | static_cast<uint8_t>(b[at + 3]);
}

}  // namespace

int64_t MidiLengthMs(const std::string& b, const std::string& name) {
  TReader header(b, 0, b.size(), name);
  if (b.size() < 14 || b.compare(0, 4, "MThd") != 0 || Be32(b, 4) < 6) header.Fail("no MThd header");
  const unsigned tracks = static_cast<uint8_t>(b[10]) << 8 | static_cast<uint8_t>(b[11]);
  const unsigned division = static_cast<uint8_t>(b[12]) << 8 | static_cast<uint8_t>(b[13]);
  if (division == 0) header.Fail("a time division of 0");
  std::map<uint64_t, uint32_t> tempo;  // tick -> microseconds a quarter note
  uint64_t lastTick = 0;
  size_t at = 8 + static_cast<size_t>(Be32(b, 4));
  for (unsigned t = 0; t < tracks && at + 8 <= b.size(); ++t) {
    const size_t length = Be32(b, at + 4);
    const bool isTrack = b.compare(at, 4, "MTrk") == 0;
    const size_t begin = at + 8, end = begin + std::min(length, b.size() - begin);
    at = end;
    if (!isTrack) continue;  // chunks of other kinds are skipped, as players do
    TReader r(b, begin, end, name);
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!r.AtEnd()) {
      tick += r.Vlq();
      uint8_t status = r.Peek();
      if (status & 0x80) r.Byte();
      else if (running) status = running;
      else r.Fail("a data byte without a status");
      if (status == 0xFF) {
        const uint8_t type = r.Byte();
        const uint32_t n = r.Vlq();
        if (type == 0x51 && n == 3) {
          const uint32_t us = static_cast<uint32_t>(r.Byte()) << 16 | static_cast<uint32_t>(r.Byte()) << 8 | r.Byte();
          if (us > 0) tempo[tick] = us;
        } else {
          r.Skip(n);
        }
        if (type == 0x2F) break;  // end of track
      } else if (status == 0xF0 || status == 0xF7) {
        r.Skip(r.Vlq());
      } else if (status >= 0x80 && status < 0xF0) {
        running = status;
        r.Byte();
        if ((status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0) r.Byte();
      } else {
        r.Fail("an unknown status byte");
      }
      lastTick = std::max(lastTick, tick);
    }
  }
  if (division & 0x8000) {  // SMPTE: frames a second times ticks a frame
    const int fps = -static_cast<int8_t>(division >> 8);
    const int perFrame = division & 0xFF;
    if (fps <= 0 || perFrame == 0) header.Fail("a time division that is not understood");
    return static_cast<int64_t>(lastTick * 1000 / (static_cast<uint64_t>(fps) * perFrame));
  }
  // Through the tempo changes; 120 beats a minute until the first.
  double us = 0;
  uint64_t from = 0;
  uint32_t current = 500000;
  for (const auto& [tick, value] : tempo) {
    if (tick >= lastTick) break;
    us += static_cast<double>(tick - from) * current / division;
    from = tick;
    current = value;
  }
  us += static_cast<double>(lastTick - from) * current / division;
  return static_cast<int64_t>(us / 1000);
}

}  // namespace ky
