#pragma once
// The full-screen show: picture order and loading, scenes with their engine, transitions,
// pacing and the input that ends it. It composes frames and hands them to a TShowHost; the
// window, the foreign window of a screensaver daemon and the headless renderer are hosts.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "audio/uAudioDevice.h"
#include "graphics/uBitmap32.h"
#include "platform/uRandom.h"
#include "platform/uTicks.h"
#include "saver/uShowHost.h"

namespace ky {

class TKyCProject;
class TProject;
class TAnimEngine;
class TSoundEffect;
class TSceneSounds;
class TMusicChain;

// Keys the show tells apart; every other key that produces no character is kOther.
enum class TShowKey { F1, Other };

class TKyfmScrSvr {
 public:
  TKyfmScrSvr(TKyCProject& project, TShowHost& host, const TTickSource& ticks);
  ~TKyfmScrSvr();
  TKyfmScrSvr(const TKyfmScrSvr&) = delete;
  TKyfmScrSvr& operator=(const TKyfmScrSvr&) = delete;

  // Readies a project for a show: every picture is switched on, then, unless skipMerge is set,
  // the user's settings file is merged in (it may switch some off again).
  static void PrepareProject(TKyCProject& project, const std::string& settingsFile, bool skipMerge);

  // Where sound effects and music play; before FormShow. Without one the show is silent.
  void SetAudioDevice(TAudioDevice& device) { FAudio = &device; }

  void FormShow();
  // One step of the show; returns the milliseconds until the next step should start.
  uint32_t FrameStep();
  void FormClose();
  // true when the show has something to animate (a step loop is wanted).
  bool Running() const { return FRunning; }

  // Input; each may request closing.
  void FormMouseMove(int x, int y);
  void FormMouseDown();
  // ch: the character the key produced.
  void FormKeyPress(char32_t ch);
  void FormKeyDown(TShowKey key);
  // Asks the show to end (a termination signal, the window manager); a transition stops at its
  // next frame. The caller tears the show down once the current step has returned.
  void RequestClose() { FCloseRequested = true; }
  // The shared media folder (trailing "/") where scene objects look for missing pictures.
  void SetCommonFolder(std::string folder) { FCommonFolder = std::move(folder); }
  // Decides whether the window may close; always true here (no screensaver password).
  bool FormCloseQuery();
  bool CloseRequested() const { return FCloseRequested; }

  // What the show is at, for hosts and tests.
  const std::vector<std::string>& Pictures() const { return FPictures; }
  const std::string& LoadedPicture() const { return FLoadedPicture; }
  int PictureIndex() const { return FPictureIndex; }
  bool PlainPicture() const { return FPlainPicture; }
  bool UseDirectX() const { return FUseDirectX; }
  int PictureWidth() const { return FPictureWidth; }
  int PictureHeight() const { return FPictureHeight; }
  const TBitmap32& Canvas() const { return FCanvas; }
  const TBitmap32& BackSurface() const { return FBack; }
  TAnimEngine* Engine() { return FEngine.get(); }
  int TransitionsRun() const { return FTransitionsRun; }
  // true from the start of a transition to its end (input and paint events run inside it).
  bool InTransition() const { return FInTransition; }
  int CurrentEffect() const { return FCurrentEffect; }
  // Mouse-move events still to be ignored.
  int MouseSkipCount() const { return FMouseSkip; }

  const TMusicChain* Music() const { return FMusic.get(); }

  // Exposed for the sequencing rules' own tests.
  void NextPictureIndex();
  void LoadPicture();
  void RunTransition(uint32_t time);
  // Waits until a transition frame begun at that tick has had the show's frame interval.
  void WaitOutFrame(uint32_t begun);
  void TransitionStep(int percent);

 private:
  void PresentFrame();
  // changed: see TShowHost::PresentFrame.
  void DrawFrame(int x, int y, const TBitmap32& surface, const std::vector<TRect>* changed = nullptr);
  void DrawGraphic(const TBitmap32& bitmap);
  void FillCanvasBlack();
  // Brings the canvas up to what the host shows when the last frame went by PresentFrame, and
  // hands it over: the frame's surface may change from here on.
  void SyncCanvas();
  void WorkingSize(int& w, int& h) const;
  // Points the engine at the scene it showed before a new one failed to be prepared.
  void RestoreEngine();
  void StopSceneSounds();

  TKyCProject& FProject;
  TShowHost& FHost;
  const TTickSource& FTicks;
  TRandom FRandom;  // picture order and transitions

  std::unique_ptr<TAnimEngine> FEngine;
  std::unique_ptr<TProject> FScene;
  std::vector<std::string> FPictures;
  int FPictureWidth = 0;
  int FPictureHeight = 0;
  bool FUseDirectX = false;
  bool FPlainPicture = false;
  TBitmap32 FPictureSurface;
  int FImageMode = 0;
  TBitmap32 FOldFrame, FNewFrame, FMixFrame;
  std::vector<int> FEffectList;
  uint32_t FTransitionTime = 2000;
  bool FProportional = true;
  bool FStretch = true;
  bool FTimedChange = true;
  int FDuration = 30;
  int FSpeed = 100;
  bool FTransition = true;
  bool FSoundOn = true;
  std::string FNextPicture;
  bool FShowClock = false;
  int FClockPos = 1;
  int FDirectXQuality = 0;
  int FPictureIndex = -1;
  int FCurrentDuration = 30;
  std::string FLoadedPicture;
  std::string FCommonFolder;

  TSilentDevice FSilence;
  TAudioDevice* FAudio = &FSilence;
  std::unique_ptr<TSoundEffect> FSounds;
  std::unique_ptr<TSceneSounds> FSceneSounds;
  std::unique_ptr<TMusicChain> FMusic;

  TBitmap32 FCanvas;  // the window's canvas, screen size
  // The frame the host shows at (FCanvasX, FCanvasY) that the canvas does not hold yet.
  const TBitmap32* FCanvasFrame = nullptr;
  int FCanvasX = 0, FCanvasY = 0;
  uint64_t FPresentedStep = 0;  // the engine's step shown last (0: none)
  TBitmap32 FBack;    // the full-screen back surface, working size
  const TBitmap32* FBackSource = nullptr;  // the surface whose last frame FBack holds
  uint32_t FPictureStartTick = 0;
  uint32_t FFrameTick = 0;
  uint32_t FWait = 0;
  int FLastX = -1, FLastY = -1;
  // Mouse-move events still to be ignored: 5 at the start, 5 again after every close check, so
  // the movement right after a refused close does not end the show at once.
  int FMouseSkip = 5;
  bool FF1Toggle = false;
  bool FCloseRequested = false;
  bool FRunning = false;
  int FTransitionsRun = 0;
  bool FInTransition = false;
  int FCurrentEffect = 1;
};

}  // namespace ky
