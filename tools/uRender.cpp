#include "uRender.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/uCommonUtil.h"
#include "app/uExtractPackage.h"
#include "config/uUserSettings.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPngWriter.h"
#include "graphics/uScreenStretch.h"
#include "package/uCreatorProject.h"
#include "platform/uError.h"
#include "platform/uText.h"
#include "saver/FKyScrSvr.h"
#include "saver/uOffscreenHost.h"
#include "audio/uWaveSound.h"
#include "uVirtualMixer.h"

namespace ky {

namespace {

void ApplySetting(TKyCSetting& s, const std::string& key, const std::string& value) {
  for (const TSettingKey& k : SettingKeys()) {
    if (!SameTextAscii(k.Key, key)) continue;
    if (k.Type == TSettingKey::TType::Text) {
      s.*k.Text = value;
      return;
    }
    const auto n = ParseInteger(Trim(value));
    if (!n) throw TKyError("--set " + key + "=" + value + ": not a number");
    if (k.Type == TSettingKey::TType::Integer) s.*k.Integer = *n;
    else s.*k.Boolean = *n != 0;
    return;
  }
  throw TKyError("--set " + key + ": no such setting");
}

// Every 10th frame, reduced, side by side in rows.
class TContactSheet {
 public:
  void Add(const TBitmap32& frame) {
    const int w = std::min(frame.Width(), 256);
    const int h = std::max(1, static_cast<int>(std::lround(static_cast<double>(frame.Height()) * w / std::max(1, frame.Width()))));
    TBitmap32& t = FThumbs.emplace_back(w, h);
    ResizeBilinear(frame, t);
  }
  void Save(const std::string& path) const {
    if (FThumbs.empty()) return;
    const int cols = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(FThumbs.size()))));
    const int rows = (static_cast<int>(FThumbs.size()) + cols - 1) / cols;
    const int cw = FThumbs[0].Width() + 4, ch = FThumbs[0].Height() + 4;
    TBitmap32 sheet(cols * cw, rows * ch);
    sheet.Clear(MakeColor32(64, 64, 64));
    for (size_t i = 0; i < FThumbs.size(); ++i)
      sheet.Draw(static_cast<int>(i % cols) * cw + 2, static_cast<int>(i / cols) * ch + 2, FThumbs[i]);
    SavePngFile(sheet, path);
  }

 private:
  std::vector<TBitmap32> FThumbs;
};

void WriteAudioFile(const std::string& path, const TPcm& pcm) {
  const std::string bytes = WaveFileBytes(pcm);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw TKyError(path + ": cannot write the file (" + std::strerror(errno) + ")");
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) throw TKyError(path + ": cannot write the file");
}

}  // namespace

std::pair<std::string, std::string> ParseSetting(const std::string& text) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) throw TKyError("--set " + text + ": expected KEY=VALUE");
  return {text.substr(0, eq), text.substr(eq + 1)};
}

void RenderSaver(const TRenderRequest& r) {
  if (r.Frames <= 0) throw TKyError("--frames must be at least 1");
  if (r.Width <= 0 || r.Height <= 0 || r.Width > 16384 || r.Height > 16384)
    throw TKyError("--size must be between 1x1 and 16384x16384");
  if (mkdir(r.OutDir.c_str(), 0755) != 0 && errno != EEXIST)
    throw TKyError(r.OutDir + ": cannot create the folder (" + std::strerror(errno) + ")");

  const std::string saver = LongFileName(r.Saver);
  if (saver.empty()) throw TKyError(r.Saver + ": file not found");
  TWorkFolder work = TWorkFolder::ForSaver(saver);
  struct TRemover {
    TWorkFolder& w;
    ~TRemover() {
      RemoveExtractedFiles(w);
      try { w.CleanWorkRoot(); } catch (const std::exception&) {}
    }
  } remover{work};
  TKyCProject project;
  ExtractPackage(project, saver, work);
  if (project.FileList().Names.empty()) throw TKyError(r.Saver + ": This screensaver does not contain any image.");
  TKyfmScrSvr::PrepareProject(project, UserSettingsFileName(saver), /*skipMerge=*/!r.UserSettings);
  for (const auto& [key, value] : r.Settings) ApplySetting(project.Setting(), key, value);

  TManualTicks clock(r.StartTick);
  int written = 0;
  TContactSheet sheet;
  TScreenStretch stretcher;
  TBitmap32 screen;
  TOffscreenHost host(r.Width, r.Height, clock, [&](const TBitmap32& frame) {
    if (written >= r.Frames) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05d.png", written);
    const bool stretch = r.Screen && (frame.Width() != r.Width || frame.Height() != r.Height);
    if (stretch) {
      screen.SetSize(r.Width, r.Height);
      stretcher.Draw(frame, screen);
    }
    const TBitmap32& shown = stretch ? screen : frame;
    SavePngFile(shown, r.OutDir + name);
    if (!r.Sheet.empty() && written % 10 == 0) sheet.Add(shown);
    ++written;
  });
  TVirtualMixer audio(clock, r.StartTick, r.AudioChannels);
  TKyfmScrSvr show(project, host, clock);
  if (!r.Audio.empty()) show.SetAudioDevice(audio);
  show.SetCommonFolder(GetCommonFolder(saver));
  show.FormShow();
  // A step that shows nothing (no picture could be read yet) still lets the virtual time pass.
  for (int idle = 0; written < r.Frames && show.Running() && idle < 100000;) {
    const int before = host.FramesPresented();
    const uint32_t wait = show.FrameStep();
    if (host.FramesPresented() == before) {
      clock.Advance(std::max<uint32_t>(wait, 33));
      ++idle;
    }
  }
  show.FormClose();
  if (!r.Sheet.empty()) sheet.Save(r.Sheet);
  if (!r.Audio.empty()) WriteAudioFile(r.Audio, audio.Mix(static_cast<size_t>(written) * 33 * kAudioRate / 1000));
  if (written < r.Frames) throw TKyError(r.Saver + ": the show ended after " + std::to_string(written) + " frames");
}

}  // namespace ky
