#include "uAudioConvert.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/uError.h"

namespace ky {

namespace {

struct TSwrFree {
  void operator()(SwrContext* c) const { swr_free(&c); }
};

AVSampleFormat FormatOf(TSampleKind kind) {
  switch (kind) {
    case TSampleKind::U8: return AV_SAMPLE_FMT_U8;
    case TSampleKind::S16: return AV_SAMPLE_FMT_S16;
    case TSampleKind::S32: return AV_SAMPLE_FMT_S32;
    case TSampleKind::F32: return AV_SAMPLE_FMT_FLT;
  }
  return AV_SAMPLE_FMT_NONE;
}

}  // namespace

TPcm ConvertToOutput(const void* interleaved, size_t frames, int channels, int rate, TSampleKind kind,
                     const std::string& name) {
  if (channels < 1 || channels > 8 || rate < 1 || rate > 384000)
    throw TKyError(name + ": " + std::to_string(channels) + " channels at " + std::to_string(rate) + " Hz cannot be played");
  const double outFrames = static_cast<double>(frames) * kAudioRate / rate;
  if (outFrames > static_cast<double>(kMaxAudioFrames)) throw TKyError(name + ": the sound is longer than 20 minutes");
  AVChannelLayout in{}, out = AV_CHANNEL_LAYOUT_STEREO;
  av_channel_layout_default(&in, channels);
  SwrContext* raw = nullptr;
  int rc = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_S16, kAudioRate, &in, FormatOf(kind), rate, 0, nullptr);
  const std::unique_ptr<SwrContext, TSwrFree> swr(raw);
  // Mono goes to both sides at full level, as a mono sound is heard from a stereo device.
  if (rc >= 0 && channels == 1) {
    const double both[2] = {1.0, 1.0};
    rc = swr_set_matrix(swr.get(), both, 1);
  }
  if (rc >= 0) rc = swr_init(swr.get());
  if (rc < 0) throw TKyError(name + ": the sound's format cannot be converted");
  TPcm pcm;
  const int64_t room = swr_get_out_samples(swr.get(), static_cast<int>(frames)) + 64;
  pcm.Samples.resize(static_cast<size_t>(room) * kAudioChannels);
  uint8_t* o = reinterpret_cast<uint8_t*>(pcm.Samples.data());
  const uint8_t* i = static_cast<const uint8_t*>(interleaved);
  int got = swr_convert(swr.get(), &o, static_cast<int>(room), &i, static_cast<int>(frames));
  if (got < 0) throw TKyError(name + ": the sound cannot be converted");
  size_t total = static_cast<size_t>(got);
  // What the resampler still holds.
  for (;;) {
    if (pcm.Samples.size() < (total + 4096) * kAudioChannels) pcm.Samples.resize((total + 4096) * kAudioChannels);
    o = reinterpret_cast<uint8_t*>(pcm.Samples.data() + total * kAudioChannels);
    got = swr_convert(swr.get(), &o, 4096, nullptr, 0);
    if (got <= 0) break;
    total += static_cast<size_t>(got);
  }
  pcm.Samples.resize(total * kAudioChannels);
  return pcm;
}

}  // namespace ky
