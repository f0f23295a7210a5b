#include "uMediaDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <memory>

#include "platform/uError.h"

namespace ky {

namespace {

struct TFormatClose {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct TCodecFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct TSwrFree {
  void operator()(SwrContext* c) const { swr_free(&c); }
};
struct TPacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct TFrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

class TDecoder {
 public:
  explicit TDecoder(const std::string& path) : FPath(path) {
    // The library's own warnings would go to stderr in the middle of a show.
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* raw = nullptr;
    int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (rc < 0) Fail("no decoder accepts this file (" + AvError(rc) + ")");
    FFormat.reset(raw);
    rc = avformat_find_stream_info(FFormat.get(), nullptr);
    if (rc < 0) Fail("cannot read the stream information (" + AvError(rc) + ")");
    const AVCodec* codec = nullptr;
    FStream = av_find_best_stream(FFormat.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (FStream < 0 || !codec) Fail("holds no audio that can be decoded");
    FCodec.reset(avcodec_alloc_context3(codec));
    if (!FCodec) Fail("out of memory");
    rc = avcodec_parameters_to_context(FCodec.get(), FFormat->streams[FStream]->codecpar);
    if (rc >= 0) rc = avcodec_open2(FCodec.get(), codec, nullptr);
    if (rc < 0) Fail("the audio cannot be decoded (" + AvError(rc) + ")");
    if (FCodec->sample_rate <= 0 || FCodec->ch_layout.nb_channels <= 0) Fail("the audio has no sample rate or channels");
  }

  TPcm Decode() {
    const std::unique_ptr<AVPacket, TPacketFree> packet(av_packet_alloc());
    const std::unique_ptr<AVFrame, TFrameFree> frame(av_frame_alloc());
    if (!packet || !frame) Fail("out of memory");
    int rc;
    while ((rc = av_read_frame(FFormat.get(), packet.get())) >= 0) {
      if (packet->stream_index == FStream) {
        // A damaged packet is skipped, as players do; what decodes is kept.
        if (avcodec_send_packet(FCodec.get(), packet.get()) >= 0) Receive(frame.get());
      }
      av_packet_unref(packet.get());
    }
    avcodec_send_packet(FCodec.get(), nullptr);
    Receive(frame.get());
    if (FSwr) Convert(nullptr, 0);
    if (FPcm.Samples.empty()) Fail("holds no audio that can be decoded");
    return std::move(FPcm);
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const { throw TKyError(FPath + ": " + why); }

  void Receive(AVFrame* frame) {
    while (avcodec_receive_frame(FCodec.get(), frame) >= 0) {
      if (!FSwr) OpenResampler(frame);
      Convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
      av_frame_unref(frame);
    }
  }

  void OpenResampler(const AVFrame* frame) {
    AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* raw = nullptr;
    AVChannelLayout in = frame->ch_layout.nb_channels > 0 ? frame->ch_layout : FCodec->ch_layout;
    const int rate = frame->sample_rate > 0 ? frame->sample_rate : FCodec->sample_rate;
    int rc = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_S16, kAudioRate, &in,
                                 static_cast<AVSampleFormat>(frame->format), rate, 0, nullptr);
    FSwr.reset(raw);
    // A mono track goes to both sides at full level, as the mixer plays a mono file; the
    // resampler's own rule would lower it by 3 dB.
    if (rc >= 0 && in.nb_channels == 1) {
      const double both[2] = {1.0, 1.0};
      rc = swr_set_matrix(FSwr.get(), both, 1);
    }
    if (rc >= 0) rc = swr_init(FSwr.get());
    if (rc < 0) Fail("the audio cannot be converted (" + AvError(rc) + ")");
    FInRate = rate;
  }

  void Convert(const uint8_t** in, int count) {
    const int64_t room = swr_get_out_samples(FSwr.get(), count);
    if (room <= 0) return;
    if (FPcm.Frames() + static_cast<size_t>(room) > kMaxAudioFrames) Fail("the music is longer than 20 minutes");
    const size_t at = FPcm.Samples.size();
    FPcm.Samples.resize(at + static_cast<size_t>(room) * kAudioChannels);
    uint8_t* out = reinterpret_cast<uint8_t*>(FPcm.Samples.data() + at);
    const int got = swr_convert(FSwr.get(), &out, static_cast<int>(room), in, count);
    FPcm.Samples.resize(at + static_cast<size_t>(std::max(got, 0)) * kAudioChannels);
  }

  std::string FPath;
  std::unique_ptr<AVFormatContext, TFormatClose> FFormat;
  std::unique_ptr<AVCodecContext, TCodecFree> FCodec;
  std::unique_ptr<SwrContext, TSwrFree> FSwr;
  int FStream = -1;
  int FInRate = 0;
  TPcm FPcm;
};

}  // namespace

TPcm DecodeMediaFile(const std::string& path) { return TDecoder(path).Decode(); }

}  // namespace ky
