#include "FKyScrSvr.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>

#include "config/uUserSettings.h"
#include "graphics/uGraphicUtil.h"
#include "graphics/uPictureReaders.h"
#include "objects/uAnimObjects.h"
#include "package/uCreatorProject.h"
#include "saver/effects/PSEffect.h"
#include "platform/uNumbers.h"
#include "platform/uText.h"
#include "scene/engine/uAnimEngine.h"
#include "scene/engine/uClock.h"
#include "scene/model/uKyProject.h"
#include "audio/uSoundEffect.h"
#include "saver/uMusicChain.h"
#include "saver/uSceneSounds.h"

namespace ky {

namespace {

constexpr uint32_t kFrameInterval = 33;

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string UpperExtension(const std::string& path) {
  const std::string name = FileNamePart(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : UpperCaseAscii(name.substr(dot));
}

// An opaque copy of source into target at (x, y), clipped to target.
void CopyAt(TBitmap32& target, int x, int y, const TBitmap32& source) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(target.Width(), x + source.Width());
  const int y1 = std::min(target.Height(), y + source.Height());
  if (x1 <= x0 || y1 <= y0) return;
  for (int ty = y0; ty < y1; ++ty)
    std::copy_n(source.ScanLine(ty - y) + (x0 - x), x1 - x0, target.ScanLine(ty) + x0);
}

// The area r (cut to both) of source into the same place of target, both of one size.
void CopyArea(TBitmap32& target, const TBitmap32& source, const TRect& r) {
  const TRect a = IntersectRect(r, TRect{0, 0, std::min(target.Width(), source.Width()), std::min(target.Height(), source.Height())});
  if (a.IsEmpty()) return;
  for (int y = a.Top; y < a.Bottom; ++y) std::copy_n(source.ScanLine(y) + a.Left, a.Width(), target.ScanLine(y) + a.Left);
}

}  // namespace

void TKyfmScrSvr::PrepareProject(TKyCProject& project, const std::string& settingsFile, bool skipMerge) {
  for (std::string& flag : project.FileList().Flags) flag = kPictureShown;
  if (!skipMerge) ApplyUserSettings(project, settingsFile);
}

TKyfmScrSvr::TKyfmScrSvr(TKyCProject& project, TShowHost& host, const TTickSource& ticks)
    : FProject(project), FHost(host), FTicks(ticks) {
  // Both are overwritten when the show starts.
  FSpeed = 100;
  FProportional = true;
}

TKyfmScrSvr::~TKyfmScrSvr() {
  if (FRunning) FormClose();
}

void TKyfmScrSvr::FormShow() {
  const TKyCSetting& s = FProject.Setting();
  FSounds = std::make_unique<TSoundEffect>(*FAudio);
  FSounds->SetVolume(s.SoundVolume);
  FSceneSounds = std::make_unique<TSceneSounds>(*FSounds, FTicks, FRandom, FProject.MediaFolders());
  FSceneSounds->SetMessagePump([this] { FHost.ProcessMessages(); });
  FOldFrame.SetSize(800, 600);
  FNewFrame.SetSize(800, 600);
  FMixFrame.SetSize(800, 600);
  FF1Toggle = false;
  FRandom.SetSeed(FTicks.Now());
  FLastX = FLastY = -1;

  FPictures.clear();
  const TKyCFileList& list = FProject.FileList();
  for (size_t i = 0; i < list.Names.size() && i < list.Flags.size(); ++i)
    if (list.Flags[i] == kPictureShown) FPictures.push_back(list.Names[i]);

  FUseDirectX = s.DirectX && FHost.InitFullScreen();
  FCanvas.SetSize(FHost.ScreenWidth(), FHost.ScreenHeight());
  FCanvas.Clear(MakeColor32(0, 0, 0));

  if (FPictures.empty()) {
    FHost.ShowError("Unable to run screensaver.\r\nPlease configure!");
  } else {
    FStretch = s.Stretch;
    FTimedChange = s.Random;
    FDuration = s.Duration;
    FSpeed = s.Speed;
    FImageMode = s.ShowImageMode;
    FTransition = s.Transition;
    FTransitionTime = static_cast<uint32_t>(std::max(0, s.TransitionTime));
    FShowClock = s.ShowClock;
    FClockPos = s.ClockPos;
    FSoundOn = s.Sound;
    FDirectXQuality = s.DirectXQuality;
    FEffectList = ParseTransitionEffects(s.TransitionEffects);
    FPictureIndex = -1;
    NextPictureIndex();
    FNextPicture = FPictures[static_cast<size_t>(FPictureIndex)];
    FProportional = s.Proportional;
  }

  FMusic = std::make_unique<TMusicChain>(*FAudio, FRandom, [this](const std::string& text) { FHost.ShowError(text); });
  FMusic->Start(s, FProject.MediaFolders().Work);

  if (!FPictures.empty()) {
    FScene = std::make_unique<TProject>();
    FEngine = std::make_unique<TAnimEngine>(FTicks);
    FEngine->SetShowClock(FShowClock);
    FEngine->Clock().Position = static_cast<uint8_t>(FClockPos >= 0 && FClockPos <= 3 ? FClockPos : 0);
    FCurrentDuration = FDuration;
    try {
      LoadPicture();
    } catch (const std::exception&) {
      // The first picture could not be read: the screen stays black and the next change
      // tries the next picture.
    }
    FPictureStartTick = FTicks.Now();
    FRunning = true;
    FHost.SetCursorVisible(false);
  }
  FFrameTick = FTicks.Now();
}

void TKyfmScrSvr::NextPictureIndex() {
  const int n = static_cast<int>(FPictures.size());
  if (FImageMode == 0 || FImageMode == 2) {
    if (n < 2) {
      FPictureIndex = 0;
      return;
    }
    int i;
    do i = FRandom.Random(n);
    while (i == FPictureIndex);
    FPictureIndex = i;
  } else {
    ++FPictureIndex;
    if (FPictureIndex >= n) FPictureIndex = 0;
  }
}

void TKyfmScrSvr::WorkingSize(int& w, int& h) const {
  switch (FDirectXQuality) {
    case 0: w = 1024; h = 768; break;
    case 1: w = 800; h = 600; break;
    case 2: w = 640; h = 480; break;
    default: break;  // any other value keeps the size the surface has
  }
}

void TKyfmScrSvr::LoadPicture() {
  // Whatever the back surface held, the next frame is not its follower.
  FBackSource = nullptr;
  const std::string ext = UpperExtension(FNextPicture);
  const int sw = FHost.ScreenWidth(), sh = FHost.ScreenHeight();
  if (ext == ".JPG" || ext == ".BMP" || ext == ".GIF") {
    TBitmap32 picture;
    LoadPictureFromFile(FNextPicture, picture);
    // Only a picture that could be read replaces what is shown.
    FPlainPicture = true;
    const int pw = picture.Width(), ph = picture.Height();
    FPictureWidth = pw;
    FPictureHeight = ph;
    if (FUseDirectX) {
      FPictureWidth = sw;
      FPictureHeight = sh;
      int w = FPictureSurface.Width(), h = FPictureSurface.Height();
      WorkingSize(w, h);
      FPictureSurface.SetSize(w, h);
      StretchLanczos(picture, FPictureSurface);
    } else if (FStretch) {
      int w = sw, h = sh;
      if (FProportional && pw > 0 && ph > 0) {
        const double x = static_cast<double>(pw) / ph;
        if (static_cast<int64_t>(ph) * w / h < pw) h = Round(w / x);
        else w = Round(h * x);
      }
      FPictureSurface.SetSize(w, h);
      StretchLanczos(picture, FPictureSurface);
      FPictureWidth = w;
      FPictureHeight = h;
    } else {
      FPictureSurface.Assign(picture);
    }
    // A plain picture has no sound effects; the previous scene's stop here.
    StopSceneSounds();
    FLoadedPicture = FNextPicture;
    return;
  }

  // A scene that is missing or does not load leaves the old picture on the screen; the next
  // change tries again.
  if (!FileExists(FNextPicture)) return;
  auto scene = std::make_unique<TProject>();
  const TObjectClock objectClock = TObjectClock::ForScene(FTicks);
  scene->SetObjectsLoader([&](const std::string& text) { return LoadObjects(text, objectClock, FCommonFolder); });
  if (!scene->Load(FNextPicture)) return;
  // Object pictures missing where the scene says are looked for among the extracted files.
  const size_t slash = FNextPicture.rfind('/');
  if (slash != std::string::npos) RepointMissingPictures(scene->Objects(), FNextPicture.substr(0, slash + 1));
  scene->SetSpeed(FSpeed);
  // The new scene is fitted and the engine prepared for it while the old one still lives: the
  // engine reads the old scene until the new one is ready, and a failure leaves it on the old.
  int pictureW = sw, pictureH = sh;
  if (FUseDirectX) {
    int w = FPictureSurface.Width(), h = FPictureSurface.Height();
    WorkingSize(w, h);
    scene->FitToSize(FProportional, w, h);
  } else {
    if (FStretch) scene->FitToSize(FProportional, sw, sh);
    pictureW = scene->Picture().Width();
    pictureH = scene->Picture().Height();
  }
  try {
    FEngine->SetProject(*scene);
    FEngine->SetWeather(false);
    FEngine->Prepare();
    if (scene->Weather().Kind > 0) FEngine->SetWeather(true);
  } catch (...) {
    RestoreEngine();
    throw;
  }
  FScene = std::move(scene);
  FPlainPicture = false;
  FPictureWidth = pictureW;
  FPictureHeight = pictureH;
  if (FSoundOn && FSceneSounds) {
    // The scene's looping sounds start at once.
    StopSceneSounds();
    FSceneSounds->Load(*FScene);
    FSceneSounds->Tick();
  }
  FLoadedPicture = FNextPicture;
}

void TKyfmScrSvr::StopSceneSounds() {
  if (FSceneSounds) FSceneSounds->Stop();
}

void TKyfmScrSvr::RestoreEngine() {
  FEngine->SetProject(*FScene);
  if (FPlainPicture || FLoadedPicture.empty()) return;
  try {
    FEngine->SetWeather(false);
    FEngine->Prepare();
    if (FScene->Weather().Kind > 0) FEngine->SetWeather(true);
  } catch (...) {
    // Half prepared, the engine must not run: nothing is loaded until the next change.
    FLoadedPicture.clear();
  }
}

uint32_t TKyfmScrSvr::FrameStep() {
  if (!FRunning) return kFrameInterval;
  try {
    if (FMusic) FMusic->Poll();
    if (FSoundOn && FSceneSounds) FSceneSounds->Tick();
    const uint32_t now = FTicks.Now();
    if (FTimedChange && (now - FPictureStartTick) / 1000u >= static_cast<uint32_t>(std::max(0, FCurrentDuration))) {
      FCurrentDuration = FDuration;
      NextPictureIndex();
      FNextPicture = FPictures[static_cast<size_t>(FPictureIndex)];
      if (FNextPicture != FLoadedPicture) {
        SyncCanvas();
        LoadPicture();
        if (FTransition) RunTransition(FTransitionTime);
        else FillCanvasBlack();
      }
      FPictureStartTick = FTicks.Now();
    }
    if (!FPlainPicture && !FLoadedPicture.empty()) FEngine->Step();
    PresentFrame();
  } catch (...) {
    // A frame that fails (an unreadable picture, a decoder error) is dropped; the next step
    // tries again.
    FWait = kFrameInterval;
  }
  return FWait;
}

void TKyfmScrSvr::PresentFrame() {
  const int sw = FHost.ScreenWidth(), sh = FHost.ScreenHeight();
  int x = 0, y = 0;
  if (!FStretch || FProportional) {
    x = (sw - FPictureWidth) / 2;
    y = (sh - FPictureHeight) / 2;
  }
  // A plain picture does not change while it is shown; a scene changes where its engine says,
  // provided the step before was the one shown last.
  static const std::vector<TRect> kNothing;
  if (FPlainPicture) {
    DrawFrame(x, y, FPictureSurface, &kNothing);
  } else if (!FLoadedPicture.empty()) {
    const bool follows = !FEngine->ChangedAll() && FPresentedStep != 0 && FEngine->Steps() == FPresentedStep + 1;
    DrawFrame(x, y, FEngine->GetOutput(), follows ? &FEngine->Changed() : nullptr);
    FPresentedStep = FEngine->Steps();
  }
  // The next frame starts 33 ms after this one started; a late frame gets no wait at all.
  const uint32_t now = FTicks.Now();
  const int64_t wait = static_cast<int64_t>(static_cast<int32_t>(FFrameTick - now)) + kFrameInterval;
  FWait = wait > 0 ? static_cast<uint32_t>(wait) : 0;
  FFrameTick = now + FWait;
}

void TKyfmScrSvr::DrawFrame(int x, int y, const TBitmap32& surface, const std::vector<TRect>* changed) {
  if (FUseDirectX) {
    // The back surface holds the last frame of this same surface: only what changed is copied.
    const bool follows = changed && FBackSource == &surface && FBack.Width() == surface.Width() &&
                         FBack.Height() == surface.Height();
    if (follows) {
      for (const TRect& r : *changed) CopyArea(FBack, surface, r);
    } else {
      FBack.SetSize(surface.Width(), surface.Height());
      CopyAt(FBack, 0, 0, surface);
    }
    FBackSource = &surface;
    FHost.PresentBack(FBack, follows ? changed : nullptr);
  } else if (FHost.PresentFrame(x, y, surface, changed)) {
    FCanvasFrame = &surface;
    FCanvasX = x;
    FCanvasY = y;
  } else {
    CopyAt(FCanvas, x, y, surface);
    FHost.PresentCanvas(FCanvas);
  }
}

void TKyfmScrSvr::SyncCanvas() {
  if (!FCanvasFrame) return;
  CopyAt(FCanvas, FCanvasX, FCanvasY, *FCanvasFrame);
  FCanvasFrame = nullptr;
  FHost.PresentCanvas(FCanvas);
}

void TKyfmScrSvr::DrawGraphic(const TBitmap32& bitmap) { DrawFrame(0, 0, bitmap); }

void TKyfmScrSvr::FillCanvasBlack() {
  FCanvasFrame = nullptr;
  FCanvas.Clear(MakeColor32(0, 0, 0));
}

void TKyfmScrSvr::RunTransition(uint32_t time) {
  FInTransition = true;
  struct TMark {
    bool& on;
    ~TMark() { on = false; }
  } mark{FInTransition};
  const TColor32 black = MakeColor32(0, 0, 0);
  FHost.ProcessMessages();
  int ox = 0, oy = 0;
  if (FUseDirectX) {
    const int w = FBack.Width(), h = FBack.Height();
    FOldFrame.SetSize(w, h);
    FNewFrame.SetSize(w, h);
    FMixFrame.SetSize(w, h);
    FHost.ProcessMessages();
    CopyAt(FOldFrame, 0, 0, FBack);
    FNewFrame.Clear(black);
  } else {
    const int sw = FHost.ScreenWidth(), sh = FHost.ScreenHeight();
    FOldFrame.SetSize(sw, sh);
    FNewFrame.SetSize(sw, sh);
    FMixFrame.SetSize(sw, sh);
    FHost.ProcessMessages();
    FNewFrame.Clear(black);
    if (!FStretch || FProportional) {
      const TBitmap32& shown = FPlainPicture ? FPictureSurface : FEngine->GetOutput();
      ox = (sw - shown.Width()) / 2;
      oy = (sh - shown.Height()) / 2;
    }
    CopyAt(FOldFrame, 0, 0, FCanvas);
    FHost.ProcessMessages();
  }
  uint32_t t0;
  if (FPlainPicture) {
    CopyAt(FNewFrame, ox, oy, FPictureSurface);
    t0 = FTicks.Now();
  } else {
    t0 = FTicks.Now();
    FEngine->Step();
    CopyAt(FNewFrame, ox, oy, FEngine->GetOutput());
  }
  FCurrentEffect = FEffectList[static_cast<size_t>(FRandom.Random(static_cast<int>(FEffectList.size())))];
  ++FTransitionsRun;
  TransitionStep(0);
  // As many further frames as fit into the time if each takes as long as the first, but no
  // more than the show's own frame rate: quicker frames would be drawn for nobody to see, at
  // the cost of a whole processor for the length of the transition. A frame that was quicker
  // waits out the rest of its interval, so the transition still lasts its time.
  const uint32_t first = FTicks.Now() - t0;
  const uint32_t n = time / (std::max(first, kFrameInterval) + 1);
  WaitOutFrame(t0);
  for (uint32_t i = 1; i <= n; ++i) {
    // Input only asks to close; a close asked for mid-transition need not wait for its end.
    if (FCloseRequested) break;
    const uint32_t begun = FTicks.Now();
    const int percent = Round(i * 100.0 / n);
    if (!FPlainPicture) {
      FEngine->Step();
      CopyAt(FNewFrame, ox, oy, FEngine->GetOutput());
    }
    TransitionStep(percent);
    FHost.ProcessMessages();
    if (i < n) WaitOutFrame(begun);
  }
}

void TKyfmScrSvr::WaitOutFrame(uint32_t begun) {
  const uint32_t spent = FTicks.Now() - begun;
  if (spent < kFrameInterval && !FCloseRequested) FHost.Wait(kFrameInterval - spent);
}

void TKyfmScrSvr::TransitionStep(int percent) {
  CopyAt(FMixFrame, 0, 0, FOldFrame);
  DrawTransitionEffect(FCurrentEffect, FMixFrame, FNewFrame, percent, FRandom);
  DrawGraphic(FMixFrame);
}

void TKyfmScrSvr::FormMouseMove(int x, int y) {
  if (FMouseSkip > 0) {
    --FMouseSkip;
    return;
  }
  if (FLastX == -1) FLastX = x;
  if (FLastY == -1) FLastY = y;
  if (std::abs(x - FLastX) > 2 || std::abs(y - FLastY) > 2) FCloseRequested = true;
  FLastX = x;
  FLastY = y;
}

void TKyfmScrSvr::FormMouseDown() { FCloseRequested = true; }

// Every key that produces a character ends the show, control characters such as Escape,
// Backspace and Enter included. Delete arrives as U+007F on X11 but produces no character.
void TKyfmScrSvr::FormKeyPress(char32_t ch) {
  if (ch == U'\x7f') return;
  FCloseRequested = true;
}

void TKyfmScrSvr::FormKeyDown(TShowKey key) {
  if (key != TShowKey::F1) return;
  FF1Toggle = !FF1Toggle;
  if (!FF1Toggle && FEngine && !FPlainPicture && !FLoadedPicture.empty()) FEngine->ResetFrame();
}

bool TKyfmScrSvr::FormCloseQuery() {
  FMouseSkip = 5;
  // There is no screensaver password to ask for: closing is always allowed.
  return true;
}

void TKyfmScrSvr::FormClose() {
  // The host lets go of the last frame before the surfaces go.
  FCanvasFrame = nullptr;
  FScene.reset();
  FHost.SetCursorVisible(true);
  FRunning = false;
  FEngine.reset();
  FPictures.clear();
  FPictureSurface.SetSize(0, 0);
  FOldFrame.SetSize(0, 0);
  FNewFrame.SetSize(0, 0);
  FMixFrame.SetSize(0, 0);
  FEffectList.clear();
  StopSceneSounds();
  FSceneSounds.reset();
  FSounds.reset();
  FMusic.reset();
}

}  // namespace ky
