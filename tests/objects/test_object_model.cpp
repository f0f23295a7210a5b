// The object model on a virtual clock: keys and their defaults, the timeline, start positions,
// the motion kinds and facing, with values worked out by hand from the rules.
#include <gtest/gtest.h>

#include <cmath>

#include "objTestUtil.h"
#include "objects/uAnimObject.h"
#include "objects/uObjectInspect.h"
#include "platform/uIniFile.h"
#include "platform/uRandom.h"

using namespace ky;
using kytest::TObjectScene;

namespace {

// A still PNG of w x h (opaque grey) in dir; returns its path.
std::string Picture(const kytest::TTempDir& dir, int w, int h, const std::string& name = "p.png") {
  kytest::WritePngRgba(dir / name, w, h, std::vector<uint32_t>(static_cast<size_t>(w * h), 0xFF808080u));
  return dir / name;
}

std::string Section(const std::string& file, const std::string& extra, const char* type = "IMG") {
  return std::string("[Obj0]\r\nObjType=") + type + "\r\nFilename=" + file + "\r\n" + extra;
}

double Rad(double deg) { return deg * 3.14159265358979323846 / 180.0; }

}  // namespace

TEST(TAnimObject, OnlyTypeAndFilenameIsShownAtOnceAtHundredHundredAndNeverMoves) {
  kytest::TTempDir dir;
  TObjectScene s(Section(Picture(dir, 20, 10), ""), 1000);
  s.Start();
  TAnimImgObject& o = s.Obj(0);
  EXPECT_EQ(o.PictureWidth, 20);
  for (uint32_t t : {1000u, 1005u, 4000u, 61000u}) {
    s.DrawAt(t);
    const TObjectDrawState d = o.DrawState();
    EXPECT_TRUE(d.Visible) << t;
    // (100 - 20 / 2) and (100 - 10 / 2) at scale 1.
    EXPECT_EQ(d.ScreenLeft, 90) << t;
    EXPECT_EQ(d.ScreenTop, 95) << t;
    EXPECT_EQ(o.Front().MasterAlpha(), 255u) << t;
  }
  EXPECT_EQ(o.X, 100);
  EXPECT_EQ(o.Y, 100);
  EXPECT_EQ(o.Speed, 100);
}

TEST(TAnimObject, ScaledZeroStillScalesWithTheDisplay) {
  kytest::TTempDir dir;
  TObjectScene s(Section(Picture(dir, 20, 10), "Scaled=0\r\n"));
  EXPECT_TRUE(s.Obj(0).Scaled);
  s.Start(800, 600, 1600, 900);
  s.DrawAt(0);
  // round((100 - 10) * 2) and round((100 - 5) * 1.5) = round(142.5), halves to even.
  EXPECT_EQ(s.Obj(0).DrawState().ScreenLeft, 180);
  EXPECT_EQ(s.Obj(0).DrawState().ScreenTop, 142);
}

TEST(TAnimObject, KeysReadHexEightBitsAndWriteInTheirOrder) {
  TObjectScene s(Section("x.png",
                         "InitialDir=0x102\r\nMotion=263\r\nOpacity=0X5\r\nOffScreenOpt=RLx\r\nDirFlip=7\r\n"
                         "PosLeft=abc\r\nmotionspeed=12\r\n"));
  TAnimImgObject& o = s.Obj(0);
  EXPECT_EQ(o.InitialDir, 2);  // 0x102, low 8 bits
  EXPECT_EQ(o.Motion, 7);      // 263, low 8 bits
  EXPECT_EQ(o.Opacity, 5);
  EXPECT_EQ(o.OffScreenSides, kSideLeft | kSideRight);
  EXPECT_TRUE(o.DirFlip);
  EXPECT_EQ(o.PosLeft, 100);    // not a number: the default
  EXPECT_EQ(o.MotionSpeed, 12);  // key names ignore case
  EXPECT_EQ(o.TransparentType, 0);  // a ".png" file
  const TIniFile saved = TIniFile::FromText(o.SaveToText());
  const std::vector<std::string> order = {
      "Left", "Top", "Width", "Height", "Scaled", "MoveAreaRectleft", "MoveAreaRecttop", "MoveAreaRectright",
      "MoveAreaRectbottom", "WidthSize", "HeightSize", "Speed", "InitialPos", "InitialDir", "PosLeftType",
      "PosTopType", "PosLeft", "PosTop", "ObjFacing", "Opacity", "DisplaySec", "DisplayDurationType",
      "DisplayDurationSec", "DIsplayDurationCycle", "Motion", "MotionSpeed", "MotionAreaType", "DirFlip",
      "Redisplay", "RedisplayDelay", "RedisplayTimes", "ResetPos", "RestrictArea", "OffScreenOpt", "AppearEffect",
      "AppearEffectDur", "DisappearEffect", "DisappearEffectDur", "ObjType", "Filename", "Transparent",
      "TransparentType", "TransparentColor"};
  EXPECT_EQ(saved.SectionKeys("Obj0"), order);
  EXPECT_EQ(saved.ReadString("Obj0", "OffScreenOpt", "?"), "LR");
  EXPECT_EQ(saved.ReadString("Obj0", "DirFlip", "?"), "1");
  EXPECT_EQ(saved.ReadString("Obj0", "ObjType", "?"), "IMG");

  struct TCase {
    const char* text;
    const char* written;
  } cases[] = {{"BRTL", "TBLR"}, {"", ""}, {"tb", ""}, {"RT", "TR"}};
  for (const TCase& c : cases) {
    TObjectScene t(Section("x.png", std::string("OffScreenOpt=") + c.text + "\r\n"));
    EXPECT_EQ(TIniFile::FromText(t.Obj(0).SaveToText()).ReadString("Obj0", "OffScreenOpt", "?"), c.written) << c.text;
  }
}

TEST(TAnimObject, InspectionListsTheKeysWithDefaults) {
  const std::string json = ObjectsJson(Section("fish.gif", "Motion=5\r\n", "GIF"));
  EXPECT_NE(json.find("\"Index\":0,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"Motion\":5,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"DisplayDurationSec\":60,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"OffScreenOpt\":\"TBLR\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"AnimSpeed\":10,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"ObjType\":\"GIF\""), std::string::npos) << json;
  EXPECT_EQ(json.find("\"Left\""), std::string::npos) << json;
}

TEST(TAnimObject, RedisplayTimelineFiveTenThirty) {
  kytest::TTempDir dir;
  TObjectScene s(Section(Picture(dir, 10, 10),
                         "DisplaySec=5\r\nDisplayDurationType=1\r\nDisplayDurationSec=10\r\nRedisplay=1\r\n"
                         "RedisplayDelay=30\r\n"),
                 700);
  s.Start();
  // Started at 700: shown from 5 s to 15 s, hidden 30 s, shown again for 10 s, and so on.
  struct TCase {
    uint32_t t;
    bool visible;
  } cases[] = {{700, false},   {5695, false},  {5700, true},   {15695, true},   {15700, false},
               {45695, false}, {45700, true},  {55695, true},  {55700, false},  {85700, true}};
  for (const TCase& c : cases) {
    s.DrawAt(c.t);
    EXPECT_EQ(s.Obj(0).DrawState().Visible, c.visible) << c.t;
  }
}

TEST(TAnimObject, FadeInRisesOverTwoSecondsToTheOpacity) {
  kytest::TTempDir dir;
  const std::string pic = Picture(dir, 10, 10);
  // alpha = round(round(e * 100 * (Opacity / 10) / 2000) * 255 / 100), e ms into the showing.
  struct TCase {
    int opacity;
    uint32_t e;
    uint32_t alpha;
  } cases[] = {{10, 0, 0},      {10, 500, 64},  {10, 1000, 128}, {10, 1980, 252}, {10, 2000, 255},
               {10, 9000, 255}, {5, 1000, 64},  {5, 2000, 128},  {5, 5000, 128}};
  for (const TCase& c : cases) {
    TObjectScene s(Section(pic, "AppearEffect=1\r\nAppearEffectDur=2\r\nOpacity=" + std::to_string(c.opacity) + "\r\n"),
                   3000);
    s.Start();
    s.DrawAt(3000 + c.e);
    EXPECT_EQ(s.Obj(0).Front().MasterAlpha(), c.alpha) << c.opacity << " " << c.e;
  }
}

TEST(TAnimObject, FadeOutAtTheEndOfATimedShowing) {
  kytest::TTempDir dir;
  TObjectScene s(Section(Picture(dir, 10, 10),
                         "DisplayDurationType=1\r\nDisplayDurationSec=4\r\nDisappearEffect=1\r\nDisappearEffectDur=2\r\n"
                         "Redisplay=0\r\n"));
  s.Start();
  // From 2 s to 4 s: round(round((4000 - e) * 100 / 2000) * 2.55); hidden for good at 4 s.
  struct TCase {
    uint32_t t;
    uint32_t alpha;
    bool visible;
  } cases[] = {{1995, 255, true}, {2000, 255, true}, {3000, 128, true}, {3995, 0, true}, {4000, 0, false},
               {100000, 0, false}};
  for (const TCase& c : cases) {
    s.DrawAt(c.t);
    EXPECT_EQ(s.Obj(0).Front().MasterAlpha(), c.alpha) << c.t;
    EXPECT_EQ(s.Obj(0).DrawState().Visible, c.visible) << c.t;
  }
  EXPECT_TRUE(s.Obj(0).Finished);
}

TEST(TAnimObject, PosLeftTypeFivePutsTheStartOutsideEitherSide) {
  kytest::TTempDir dir;
  const std::string pic = Picture(dir, 1, 1);
  // Move area 0..800 with a 1-pixel picture: Bounds left 0, right 800.
  const std::string keys = "PosLeftType=5\r\nMotionAreaType=1\r\nMoveAreaRectleft=0\r\nMoveAreaRecttop=0\r\n"
                           "MoveAreaRectright=800\r\nMoveAreaRectbottom=600\r\n";
  bool left = false, right = false;
  for (uint32_t start = 0; start < 4000; start += 250) {
    TObjectScene s(Section(pic, keys), start);
    s.Start();
    // The object's generator: seeded with the start tick (index 0), then three draws for the
    // wander, then r = Random(800).
    TRandom r(start);
    r.Random(300);
    r.Random(1000);
    r.Random(1000);
    const int v = r.Random(800);
    const int expected = v < 400 ? -v : 1600 - v;
    EXPECT_EQ(s.Obj(0).PosLeft, expected) << start;
    EXPECT_EQ(s.Obj(0).X, expected) << start;
    (v < 400 ? left : right) = true;
  }
  EXPECT_TRUE(left);
  EXPECT_TRUE(right);
}

TEST(TAnimObject, ObjectsStartedAtOneTickDrawDifferentNumbers) {
  kytest::TTempDir dir;
  const std::string pic = Picture(dir, 1, 1);
  std::string text;
  for (int i = 0; i < 4; ++i)
    text += "[Obj" + std::to_string(i) + "]\r\nObjType=IMG\r\nFilename=" + pic + "\r\nPosLeftType=4\r\nPosTopType=4\r\n";
  TObjectScene s(text, 500);
  s.Start();
  for (int i = 1; i < 4; ++i)
    EXPECT_FALSE(s.Obj(0).PosLeft == s.Obj(i).PosLeft && s.Obj(0).PosTop == s.Obj(i).PosTop) << i;
}

TEST(TAnimObject, HorizontalOneWayNeverMovesLeft) {
  kytest::TTempDir dir;
  TObjectScene s(Section(Picture(dir, 10, 10), "Motion=5\r\nInitialDir=2\r\nPosLeftType=1\r\n"));
  s.Start();
  TAnimImgObject& o = s.Obj(0);
  // Bounds 5 .. 795 on x; the drawn x runs right and jumps back to the left side.
  EXPECT_EQ(o.Bounds.Left, 5);
  EXPECT_EQ(o.Bounds.Right, 795);
  double last = o.X;
  int jumps = 0;
  for (uint32_t t = 0; t <= 40000; t += 5) {
    s.DrawAt(t);
    if (o.X < last) {
      ++jumps;
      EXPECT_GE(last, 794.0) << t;
      EXPECT_LE(o.X, 6.0) << t;
    }
    // The turn at either side may carry the path up to one step past it.
    EXPECT_GE(o.X, 4.0);
    EXPECT_LE(o.X, 796.0);
    last = o.X;
  }
  EXPECT_GE(jumps, 2);
}

TEST(TAnimObject, CircleStartsAtTheBottomAndTurnsATenthOfADegreeATick) {
  kytest::TTempDir dir;
  TObjectScene s(Section(Picture(dir, 20, 20), "Motion=7\r\n"), 100);
  s.Start();
  // Bounds 10,10,790,590: centre (400, 300), radii 390 - 10 = 380 and 290 - 10 = 280. Tick n
  // places the object at angle -(n + 1) * 0.1 degrees.
  for (int n : {0, 1, 10, 899, 1799, 3599}) {
    s.DrawAt(100 + 5 * n);
    const double a = -Rad((n + 1) * 0.1);
    EXPECT_NEAR(s.Obj(0).X, std::sin(a) * 380 + 400, 1e-9) << n;
    EXPECT_NEAR(s.Obj(0).Y, std::cos(a) * 280 + 300, 1e-9) << n;
    const TObjectDrawState d = s.Obj(0).DrawState();
    if (n == 0) {
      EXPECT_EQ(d.ScreenLeft, 389);  // round(400 - 380 sin 0.1deg - 10) = round(389.34)
      EXPECT_EQ(d.ScreenTop, 570);   // round(300 + 280 cos 0.1deg - 10) = round(569.9996)
    }
    if (n == 899) {
      EXPECT_EQ(d.ScreenLeft, 10);  // at -90 degrees: x = 20, the leftmost point
      EXPECT_EQ(d.ScreenTop, 290);
    }
  }
}

TEST(TAnimObject, FacingRightWithDirFlipMirrorsWhileMovingLeft) {
  kytest::TTempDir dir;
  const std::string pic = Picture(dir, 10, 10);
  for (const bool flip : {true, false}) {
    TObjectScene s(Section(pic, std::string("Motion=3\r\nObjFacing=1\r\nDirFlip=") + (flip ? "1" : "0") +
                                    "\r\nMotionAreaType=1\r\nMoveAreaRectleft=0\r\nMoveAreaRecttop=0\r\n"
                                    "MoveAreaRectright=60\r\nMoveAreaRectbottom=600\r\n"));
    s.Start();
    TAnimImgObject& o = s.Obj(0);
    int previous = o.ScreenLeft();
    bool wasFlipped = false;
    int left = 0, right = 0, still = 0;
    for (uint32_t t = 0; t < 20000; t += 5) {
      s.DrawAt(t);
      const int now = o.DrawState().ScreenLeft;
      const bool flipped = o.DrawState().Flipped;
      if (!flip) {
        EXPECT_FALSE(flipped);
      } else if (now < previous) {
        ++left;
        EXPECT_TRUE(flipped) << t;
      } else if (now > previous) {
        ++right;
        EXPECT_FALSE(flipped) << t;
      } else {
        ++still;
        EXPECT_EQ(flipped, wasFlipped) << t;
      }
      previous = now;
      wasFlipped = flipped;
    }
    if (flip) {
      EXPECT_GT(left, 10);
      EXPECT_GT(right, 10);
      EXPECT_GT(still, 10);
    }
  }
}

TEST(TAnimObject, NarrowMoveAreaOscillatesAboutTheRightSide) {
  kytest::TTempDir dir;
  // Area 100..110 for a 40-pixel picture: Bounds left 120, right 90.
  TObjectScene s(Section(Picture(dir, 40, 10), "Motion=3\r\nMotionAreaType=1\r\nMoveAreaRectleft=100\r\n"
                                                "MoveAreaRecttop=0\r\nMoveAreaRectright=110\r\nMoveAreaRectbottom=600\r\n"
                                                "PosLeftType=3\r\n"));
  s.Start();
  TAnimImgObject& o = s.Obj(0);
  EXPECT_EQ(o.Bounds.Left, 120);
  EXPECT_EQ(o.Bounds.Right, 90);
  EXPECT_EQ(o.PosLeft, 105);  // 120 + (90 - 120) div 2
  for (uint32_t t = 0; t < 10000; t += 5) {
    s.DrawAt(t);
    // Between the sides both bounce tests hold and the later wins: the path heads left.
    if (o.PathX >= 90 && o.PathX <= 120) EXPECT_EQ(o.DirX, -1) << t;
    if (t > 2000) EXPECT_NEAR(o.PathX, 90.0, 1.0) << t;
  }
}

TEST(TAnimObject, HiddenObjectsDoNotMoveAndPausingKeepsTheState) {
  kytest::TTempDir dir;
  TObjectScene s(Section(Picture(dir, 10, 10), "Motion=2\r\nDisplaySec=3\r\n"));
  s.Start();
  s.DrawAt(2995);
  EXPECT_EQ(s.Obj(0).X, 100);
  EXPECT_EQ(s.Obj(0).StepCount, 0);
  s.DrawAt(3100);
  EXPECT_EQ(s.Obj(0).StepCount, 21);  // ticks at 3000, 3005, ..., 3100
  s.Obj(0).Stop();
  const double x = s.Obj(0).X;
  s.DrawAt(9000);
  EXPECT_EQ(s.Obj(0).X, x);
  EXPECT_EQ(s.Obj(0).StepCount, 21);
}
