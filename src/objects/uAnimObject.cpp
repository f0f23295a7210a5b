#include "objects/uAnimObject.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/uNumbers.h"
#include "platform/uText.h"

namespace ky {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int64_t kFarSide = int64_t{1} << 28;

std::string SectionOf(int index) { return "Obj" + std::to_string(index); }

uint8_t Low8(int32_t v) { return static_cast<uint8_t>(static_cast<uint32_t>(v) & 0xFFu); }

// A random direction: -1 when Random(2) is 0, else +1.
int32_t RandomDir(TRandom& r) { return r.Random(2) == 0 ? -1 : 1; }

// The start coordinate of one axis between the sides a (left or top) and b (right or bottom).
int StartCoordinate(uint8_t type, int stored, int a, int b, TRandom& r) {
  auto drawn = [&] {
    const int lo = std::min(a, b), hi = std::max(a, b);
    return lo == hi ? a : lo + r.Random(hi - lo);
  };
  switch (type) {
    case 1: return a;
    case 2: return b;
    case 3: return a + (b - a) / 2;
    case 4: return drawn();
    case 5: {
      const int v = drawn();
      return v < a + (b - a) / 2 ? a - v : 2 * b - v;
    }
    default: return stored;
  }
}

}  // namespace

int32_t ReadObjectInteger(const TIniFile& ini, const std::string& section, const char* key, int32_t def) {
  if (!ini.ValueExists(section, key)) return def;
  const std::string raw(Trim(ini.ReadString(section, key, "")));
  std::string text = raw;
  // "0x1F" and "-0x1F" are read as "$1F".
  size_t sign = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  if (text.size() > sign + 2 && text[sign] == '0' && (text[sign + 1] == 'x' || text[sign + 1] == 'X'))
    text = text.substr(0, sign) + "$" + text.substr(sign + 2);
  return ParseInteger(text).value_or(def);
}

TAnimObject::TAnimObject(TObjectClock clock) : FClock(std::move(clock)) {
  if (FClock.Ticks) FRandom.SetSeed(FClock.Ticks->Now());
  if (FClock.Ticker) FClock.Ticker->Attach(this);
}

TAnimObject::~TAnimObject() {
  Stop();
  if (FClock.Ticker) FClock.Ticker->Detach(this);
}

uint32_t TAnimObject::OpacityAlpha() const {
  const int o = std::clamp(Opacity, 0, 10);
  return static_cast<uint32_t>(Round(o * 2550 / 100.0));
}

void TAnimObject::SetX(double x) {
  X = x;
  ScreenX = ScreenLeft();
}

void TAnimObject::SetY(double y) {
  Y = y;
  ScreenY = ScreenTop();
}

int TAnimObject::ScreenLeft() const {
  if (!Scaled) return Round(X * ScaleX - PictureWidth / 2.0);
  return Round((X - PictureWidth / 2.0) * ScaleX);
}

int TAnimObject::ScreenTop() const {
  if (!Scaled) return Round(Y * ScaleY - PictureHeight / 2.0);
  return Round((Y - PictureHeight / 2.0) * ScaleY);
}

void TAnimObject::LoadProperties(const std::string& objectText) {
  Store = TIniFile::FromText(objectText);
  const std::string s = SectionOf(Index);
  auto I = [&](const char* key, int32_t def) { return ReadObjectInteger(Store, s, key, def); };
  auto B = [&](const char* key, bool def) { return I(key, def ? 1 : 0) != 0; };
  Width = I("Width", Width);
  Height = I("Height", Height);
  Scaled = B("Scaled", true);
  Scaled = true;
  WidthSize = I("WidthSize", 100);
  HeightSize = I("HeightSize", 100);
  MoveArea = TRect{I("MoveAreaRectleft", MoveArea.Left), I("MoveAreaRecttop", MoveArea.Top),
                   I("MoveAreaRectright", MoveArea.Right), I("MoveAreaRectbottom", MoveArea.Bottom)};
  Speed = I("Speed", 10);
  InitialDir = Low8(I("InitialDir", InitialDir));
  PosLeftType = Low8(I("PosLeftType", 0));
  PosTopType = Low8(I("PosTopType", 0));
  PosLeft = I("PosLeft", 100);
  PosTop = I("PosTop", 100);
  ObjFacing = Low8(I("ObjFacing", 1));
  Opacity = I("Opacity", 10);
  DisplaySec = I("DisplaySec", 0);
  DisplayDurationType = Low8(I("DisplayDurationType", 0));
  DisplayDurationSec = I("DisplayDurationSec", 60);
  DIsplayDurationCycle = I("DIsplayDurationCycle", 10);
  Motion = Low8(I("Motion", 0));
  MotionSpeed = I("MotionSpeed", 10);
  MotionAreaType = Low8(I("MotionAreaType", 0));
  DirFlip = B("DirFlip", false);
  Redisplay = B("Redisplay", true);
  RedisplayDelay = I("RedisplayDelay", 30);
  RedisplayTimes = I("RedisplayTimes", 0);
  ResetPos = B("ResetPos", true);
  RestrictArea = B("RestrictArea", true);
  const std::string sides = Store.ReadString(s, "OffScreenOpt", "TBLR");
  OffScreenSides = 0;
  if (sides.find('T') != std::string::npos) OffScreenSides |= kSideTop;
  if (sides.find('B') != std::string::npos) OffScreenSides |= kSideBottom;
  if (sides.find('L') != std::string::npos) OffScreenSides |= kSideLeft;
  if (sides.find('R') != std::string::npos) OffScreenSides |= kSideRight;
  AppearEffect = Low8(I("AppearEffect", 0));
  AppearEffectDur = I("AppearEffectDur", 2);
  DisappearEffect = Low8(I("DisappearEffect", 0));
  DisappearEffectDur = I("DisappearEffectDur", 2);
}

std::string TAnimObject::SaveToText() {
  Store = TIniFile();
  const std::string s = SectionOf(Index);
  auto W = [&](const char* key, int64_t v) { Store.WriteString(s, key, std::to_string(v)); };
  auto WB = [&](const char* key, bool v) { Store.WriteString(s, key, v ? "1" : "0"); };
  W("Left", ScreenLeft());
  W("Top", ScreenTop());
  W("Width", Width);
  W("Height", Height);
  WB("Scaled", Scaled);
  W("MoveAreaRectleft", MoveArea.Left);
  W("MoveAreaRecttop", MoveArea.Top);
  W("MoveAreaRectright", MoveArea.Right);
  W("MoveAreaRectbottom", MoveArea.Bottom);
  W("WidthSize", WidthSize);
  W("HeightSize", HeightSize);
  W("Speed", Speed);
  W("InitialPos", InitialPos);
  W("InitialDir", InitialDir);
  W("PosLeftType", PosLeftType);
  W("PosTopType", PosTopType);
  W("PosLeft", PosLeft);
  W("PosTop", PosTop);
  W("ObjFacing", ObjFacing);
  W("Opacity", Opacity);
  W("DisplaySec", DisplaySec);
  W("DisplayDurationType", DisplayDurationType);
  W("DisplayDurationSec", DisplayDurationSec);
  W("DIsplayDurationCycle", DIsplayDurationCycle);
  W("Motion", Motion);
  W("MotionSpeed", MotionSpeed);
  W("MotionAreaType", MotionAreaType);
  WB("DirFlip", DirFlip);
  WB("Redisplay", Redisplay);
  W("RedisplayDelay", RedisplayDelay);
  W("RedisplayTimes", RedisplayTimes);
  WB("ResetPos", ResetPos);
  WB("RestrictArea", RestrictArea);
  std::string sides;
  if (OffScreenSides & kSideTop) sides += 'T';
  if (OffScreenSides & kSideBottom) sides += 'B';
  if (OffScreenSides & kSideLeft) sides += 'L';
  if (OffScreenSides & kSideRight) sides += 'R';
  Store.WriteString(s, "OffScreenOpt", sides);
  W("AppearEffect", AppearEffect);
  W("AppearEffectDur", AppearEffectDur);
  W("DisappearEffect", DisappearEffect);
  W("DisappearEffectDur", DisappearEffectDur);
  return Store.ToText();
}

void TAnimObject::Initialize() {
  const uint32_t now = FClock.Ticks ? FClock.Ticks->Now() : 0;
  // Objects started at the same tick must not share one sequence: the index is mixed in.
  FRandom.SetSeed(now ^ (static_cast<uint32_t>(Index) * 0x9E3779B9u));
  Delay = DisplaySec;
  Visible = DisplaySec == 0;
  StartTick = now;
  Finished = false;
  StepCount = 0;
  Flipped = false;
  WanderCount = 0;
  WanderLimit = FRandom.Random(300) + 50;
  WanderRangeX = FRandom.Random(1000);
  WanderRangeY = FRandom.Random(1000);
  const int hw = PictureWidth / 2, hh = PictureHeight / 2;
  const TRect area = MotionAreaType == 0 ? TRect{0, 0, SceneWidth, SceneHeight} : MoveArea;
  const int64_t rw = Round64(hw * (WidthSize / 100.0)), rh = Round64(hh * (HeightSize / 100.0));
  // Sides far beyond any picture are held at kFarSide, so the sums below and the motion's
  // integer sums cannot overflow on hostile values.
  auto side = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kFarSide, kFarSide)); };
  if (RestrictArea)
    Bounds = TRect{side(int64_t{area.Left} + hw), side(int64_t{area.Top} + hh), side(area.Right - rw),
                   side(area.Bottom - rh)};
  else
    Bounds = TRect{side(int64_t{area.Left} - hw), side(int64_t{area.Top} - hh), side(area.Right + rw),
                   side(area.Bottom + rh)};
  PickStartPositions();
  ResetPosition();
}

void TAnimObject::PickStartPositions() {
  PosLeft = StartCoordinate(PosLeftType, PosLeft, Bounds.Left, Bounds.Right, FRandom);
  PosTop = StartCoordinate(PosTopType, PosTop, Bounds.Top, Bounds.Bottom, FRandom);
}

void TAnimObject::ResetPosition() {
  OffScreen = false;
  DirX = RandomDir(FRandom);
  DirY = RandomDir(FRandom);
  WrapDirX = RandomDir(FRandom);
  WrapDirY = RandomDir(FRandom);
  switch (InitialDir) {
    case 1: DirX = -1; break;
    case 2: DirX = 1; break;
    case 3: DirY = -1; break;
    case 4: DirY = 1; break;
    case 5: DirX = -1; DirY = -1; break;
    case 6: DirX = 1; DirY = -1; break;
    case 7: DirX = -1; DirY = 1; break;
    case 8: DirX = 1; DirY = 1; break;
    default: break;
  }
  WanderDirX = DirX;
  WanderDirY = DirY;
  WrapDirX = DirX;
  WrapDirY = DirY;
  ScaleX = SceneWidth != 0 ? static_cast<double>(DisplayRect.Right) / SceneWidth : 1.0;
  ScaleY = SceneHeight != 0 ? static_cast<double>(DisplayRect.Bottom) / SceneHeight : 1.0;
  SetX(PosLeft);
  SetY(PosTop);
  PathX = WanderX = PosLeft;
  PathY = WanderY = PosTop;
  Speed = static_cast<int>(std::clamp<int64_t>(int64_t{MotionSpeed} * 10, INT32_MIN, INT32_MAX));
}

void TAnimObject::Stop() {
  std::lock_guard<std::mutex> g(FLock);
  FRunning = false;
}

void TAnimObject::Start() {
  Stop();
  Initialize();
  std::lock_guard<std::mutex> g(FLock);
  FTickBase = FClock.Ticks ? FClock.Ticks->Now() : 0;
  FTicksDone = 0;
  FrontAlpha = FFront.MasterAlpha();
  FRunning = true;
}

void TAnimObject::StartInScene(const TRect& displayRect, int sceneWidth, int sceneHeight) {
  DisplayRect = displayRect;
  SceneWidth = sceneWidth;
  SceneHeight = sceneHeight;
  Start();
}

void TAnimObject::CatchUp(uint32_t now, bool live) {
  std::lock_guard<std::mutex> g(FLock);
  if (!FRunning) return;
  // Ticks are due while t0 + 5n <= now (wrap-safe).
  const uint32_t elapsed = now - FTickBase;
  if (static_cast<int32_t>(elapsed) < 0) return;
  const uint32_t due = elapsed / kObjectTickMs + 1;
  uint32_t done = FTicksDone.load(std::memory_order_relaxed);
  if (live && due - done > 200) done = due - 1;
  for (; done < due; ++done) {
    Step(FTickBase + done * kObjectTickMs);
    FTicksDone.store(done + 1, std::memory_order_relaxed);
  }
}

void TAnimObject::PrepareDraw() {
  const uint32_t now = FClock.Ticks ? FClock.Ticks->Now() : 0;
  if (!FClock.Ticker) CatchUp(now, /*live=*/false);
  PrepareFrame(now);
  std::lock_guard<std::mutex> g(FLock);
  FDrawn.Visible = Visible;
  FDrawn.Flipped = Flipped;
  FDrawn.Scaled = Scaled;
  FDrawn.ScreenLeft = ScreenLeft();
  FDrawn.ScreenTop = ScreenTop();
  FDrawn.PictureWidth = PictureWidth;
  FDrawn.PictureHeight = PictureHeight;
  FDrawn.ScaleX = ScaleX;
  FDrawn.ScaleY = ScaleY;
  FDrawn.WidthSize = WidthSize;
  FDrawn.HeightSize = HeightSize;
  FDrawnScreenX = ScreenX;
  FDrawnScreenY = ScreenY;
  FFront.SetMasterAlpha(FrontAlpha);
}

void TAnimObject::SetFadeAlpha(int64_t numerator, int durSec) {
  // round(round(n * 100 * (Opacity / 10) / (dur * 1000)) * 255 / 100), clamped to 0-255.
  if (durSec <= 0) return;
  const int opacity = std::clamp(Opacity, 0, 10);
  const double pct = Round64(static_cast<double>(numerator) * 100.0 * (opacity / 10.0) / (durSec * 1000.0));
  const int64_t a = Round64(pct * 255.0 / 100.0);
  FrontAlpha = static_cast<uint32_t>(std::clamp<int64_t>(a, 0, 255));
}

void TAnimObject::Step(uint32_t current) {
  auto elapsedNow = [&] { return static_cast<int64_t>(static_cast<int32_t>(current - StartTick)); };
  if (!Visible && !Finished && elapsedNow() >= int64_t{Delay} * 1000) Visible = true;
  if (Visible && !Finished) {
    const int64_t elapsed = elapsedNow();
    const int64_t start = int64_t{Delay} * 1000;
    const int64_t end = (int64_t{Delay} + DisplayDurationSec) * 1000;
    bool hidden = false;
    if (DisplayDurationType == 1) {
      if (elapsed >= end) {
        Visible = false;
        hidden = true;
      }
      if (DisappearEffect == 1 && elapsed >= end - int64_t{DisappearEffectDur} * 1000)
        SetFadeAlpha(end - elapsed, DisappearEffectDur);
    }
    if (AppearEffect == 1 && elapsed <= start + int64_t{AppearEffectDur} * 1000)
      SetFadeAlpha(elapsed - start, AppearEffectDur);
    if (DisplayDurationType == 2 && OffScreen) {
      Visible = false;
      hidden = true;
    }
    if (hidden) {
      if (Redisplay) {
        if (ResetPos) ResetPosition();
        Delay = RedisplayDelay;
        StartTick = current;
        OffScreen = false;
      } else {
        Finished = true;
      }
    }
  }
  if (!Visible) return;

  StepPaths();
  const int old = ScreenLeft();
  const int L = Bounds.Left, T = Bounds.Top, R = Bounds.Right, B = Bounds.Bottom;
  const int cx = L + (R - L) / 2, cy = T + (B - T) / 2;
  switch (Motion) {
    case 1:
      SetX(WanderX);
      SetY(WanderY);
      break;
    case 2:
      SetX(PathX);
      SetY(PathY);
      break;
    case 3: SetX(PathX); break;
    case 4: SetY(PathY); break;
    case 5:
      SetX((DirX > 0) == (WrapDirX >= 0) ? PathX : (L + R) - PathX);
      break;
    case 6:
      SetY((DirY > 0) == (WrapDirY >= 0) ? PathY : (T + B) - PathY);
      break;
    case 7: {
      const double a = -StepCount * kPi / 180.0 * Speed / 1000.0;
      SetX(std::sin(a) * ((R - L) / 2 - PictureWidth / 2) + cx);
      SetY(std::cos(a) * ((B - T) / 2 - PictureHeight / 2) + cy);
      break;
    }
    case 9:
      SetX(X + (FRandom.Random(9) - 4) * static_cast<double>(Speed) / 1000.0);
      SetY(Y + (FRandom.Random(9) - 4) * static_cast<double>(Speed) / 1000.0);
      break;
    default: break;
  }
  const int now = ScreenLeft();
  if (ObjFacing == 1) Flipped = DirFlip && (now < old || (now == old && Flipped));
  else if (ObjFacing == 0) Flipped = DirFlip && (now > old || (now == old && Flipped));
}

bool TAnimObject::LeavingX(double x, int dir) const {
  return (Bounds.Left >= x && x < 0 && dir == -1 && (OffScreenSides & kSideLeft)) ||
         (x >= Bounds.Right && x > SceneWidth && dir == 1 && (OffScreenSides & kSideRight));
}

bool TAnimObject::LeavingY(double y, int dir) const {
  return (Bounds.Top >= y && y < 0 && dir == -1 && (OffScreenSides & kSideTop)) ||
         (y >= Bounds.Bottom && y > SceneHeight && dir == 1 && (OffScreenSides & kSideBottom));
}

void TAnimObject::StepPaths() {
  const int L = Bounds.Left, T = Bounds.Top, R = Bounds.Right, B = Bounds.Bottom;
  const double s = Speed / 1000.0;
  PathX += FRandom.Random(1000) * (s * DirX) / 100.0;
  PathY += FRandom.Random(1000) * (s * DirY) / 100.0;
  if (Motion == 2 || Motion == 3 || Motion == 5) OffScreen = LeavingX(PathX, DirX);
  if ((Motion == 2 || Motion == 4 || Motion == 6) && !OffScreen) OffScreen = LeavingY(PathY, DirY);
  if (L >= PathX) DirX = 1;
  if (T >= PathY) DirY = 1;
  if (PathX >= R) DirX = -1;
  if (PathY >= B) DirY = -1;
  WanderX += FRandom.Random(WanderRangeX) * (s * WanderDirX) / 100.0;
  WanderY += FRandom.Random(WanderRangeY) * (s * WanderDirY) / 100.0;
  ++WanderCount;
  if (L >= WanderX || WanderX >= R || T >= WanderY || WanderY >= B) WanderCount = WanderLimit;
  if (WanderCount >= WanderLimit) {
    if (Motion == 1) OffScreen = LeavingY(WanderY, WanderDirY) || LeavingX(WanderX, WanderDirX);
    if (FRandom.Random(10) == 0) WanderDirX = RandomDir(FRandom);
    WanderDirY = FRandom.Random(3) - 1;
    if (L >= WanderX) WanderDirX = 1;
    if (WanderX >= R) WanderDirX = -1;
    if (T >= WanderY) WanderDirY = 1;
    if (WanderY >= B) WanderDirY = -1;
    WanderLimit = FRandom.Random(300) + 50;
    WanderRangeX = FRandom.Random(800) + 200;
    WanderRangeY = FRandom.Random(1000);
    WanderCount = 0;
  }
  ++StepCount;
}

}  // namespace ky
