#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "saver/effects/uRegion.h"

using namespace ky;

namespace {

// The region's pixels inside the w x h box as rows of '#' and '.'.
std::string Picture(const TRegion& r, int w, int h, int x0 = 0, int y0 = 0) {
  std::string s;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) s += r.Contains(x, y) ? '#' : '.';
    s += '\n';
  }
  return s;
}

}  // namespace

TEST(Region, RectangleHoldsLeftTopButNotRightBottom) {
  const TRegion r = TRegion::Rect(1, 2, 4, 5);
  EXPECT_TRUE(r.Contains(1, 2));
  EXPECT_TRUE(r.Contains(3, 4));
  EXPECT_FALSE(r.Contains(4, 2));
  EXPECT_FALSE(r.Contains(1, 5));
  EXPECT_FALSE(r.Contains(0, 3));
  EXPECT_EQ(r.Area(), 9);
  EXPECT_EQ(r.BoundsRect(), (TRect{1, 2, 4, 5}));
}

TEST(Region, EmptyRectanglesHoldNothing) {
  EXPECT_TRUE(TRegion::Rect(3, 3, 3, 5).IsEmpty());
  EXPECT_TRUE(TRegion::Rect(3, 5, 6, 4).IsEmpty());
  EXPECT_EQ(TRegion().BoundsRect(), TRect{});
}

TEST(Region, TriangleFollowsTheSamplingRule) {
  // Row y holds 0 <= x < 4 - y: the hypotenuse crosses row y at x = 4 - y, which is excluded.
  const TRegion r = TRegion::Polygon({{0, 0}, {4, 0}, {0, 4}});
  EXPECT_EQ(Picture(r, 5, 5),
            "####.\n"
            "###..\n"
            "##...\n"
            "#....\n"
            ".....\n");
  EXPECT_EQ(r.Area(), 10);
}

TEST(Region, PolygonAlongARectangleIsThatRectangle) {
  const TRegion p = TRegion::Polygon({{1, 1}, {5, 1}, {5, 3}, {1, 3}});
  const TRegion q = TRegion::Polygon({{1, 3}, {5, 3}, {5, 1}, {1, 1}});  // the other way round
  const TRegion r = TRegion::Rect(1, 1, 5, 3);
  EXPECT_EQ(Picture(p, 7, 5), Picture(r, 7, 5));
  EXPECT_EQ(Picture(q, 7, 5), Picture(r, 7, 5));
}

TEST(Region, SlopedEdgeRoundsItsCrossingUp) {
  // The edge from (0, 0) to (3, 2) crosses row 1 at x = 1.5: pixels from 2 on are right of it.
  const TRegion r = TRegion::Polygon({{0, 0}, {3, 2}, {6, 2}, {6, 0}});
  EXPECT_EQ(Picture(r, 7, 3),
            "######.\n"
            "..####.\n"
            ".......\n");
}

TEST(Region, WindingRuleFillsWhatAlternateLeavesOut) {
  // The square's outline walked twice: winding number 2 inside.
  const std::vector<TPoint> twice{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}, {4, 0}, {4, 4}, {0, 4}};
  EXPECT_EQ(TRegion::Polygon(twice, frWinding).Area(), 16);
  EXPECT_TRUE(TRegion::Polygon(twice, frAlternate).IsEmpty());
  // Two overlapping squares in one outline, the same way round: the overlap has winding 2.
  const std::vector<TPoint> two{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}, {2, 0}, {6, 0}, {6, 2}, {2, 2}, {2, 0}};
  const TRegion w = TRegion::Polygon(two, frWinding), a = TRegion::Polygon(two, frAlternate);
  EXPECT_TRUE(w.Contains(3, 1));
  EXPECT_FALSE(a.Contains(3, 1));
  EXPECT_TRUE(a.Contains(1, 1));
  EXPECT_TRUE(a.Contains(5, 1));
}

TEST(Region, PolygonsSharingAnEdgeSplitItsPixels) {
  const TRegion lower = TRegion::Polygon({{0, 0}, {7, 5}, {0, 5}});
  const TRegion upper = TRegion::Polygon({{0, 0}, {7, 0}, {7, 5}});
  EXPECT_TRUE(lower.Intersect(upper).IsEmpty());
  EXPECT_EQ(lower.Union(upper).Area(), 35);
}

TEST(Region, DegeneratePolygonsHoldNothing) {
  EXPECT_TRUE(TRegion::Polygon({{2, 2}, {2, 2}, {2, 2}}).IsEmpty());
  EXPECT_TRUE(TRegion::Polygon({{0, 2}, {5, 2}, {9, 2}}).IsEmpty());
  EXPECT_TRUE(TRegion::Polygon({{0, 0}, {3, 3}, {0, 0}, {3, 3}}).IsEmpty());
  EXPECT_TRUE(TRegion::Polygon({{0, 0}, {4, 4}}).IsEmpty());
}

TEST(Region, EllipseSampledAtPixelCentres) {
  // Centre (2, 2), radius 2: row 0 samples y = 0.5, where the ellipse spans x 0.68 .. 3.32, so
  // the pixel centres 1.5 and 2.5 are inside.
  const TRegion e = TRegion::Ellipse(0, 0, 4, 4);
  EXPECT_EQ(Picture(e, 5, 5),
            ".##..\n"
            "####.\n"
            "####.\n"
            ".##..\n"
            ".....\n");
}

TEST(Region, RoundRectangleCutsItsCorners) {
  // Corner ellipse 4 x 4 (radius 2): only the corner pixels themselves fall outside.
  const TRegion r = TRegion::RoundRect(0, 0, 10, 6, 4, 4);
  EXPECT_EQ(Picture(r, 10, 6),
            ".########.\n"
            "##########\n"
            "##########\n"
            "##########\n"
            "##########\n"
            ".########.\n");
  // A corner ellipse larger than the box is clamped to it: the box's ellipse.
  EXPECT_EQ(Picture(TRegion::RoundRect(0, 0, 4, 4, 100, 100), 4, 4), Picture(TRegion::Ellipse(0, 0, 4, 4), 4, 4));
  // No corner ellipse: the rectangle.
  EXPECT_EQ(Picture(TRegion::RoundRect(1, 1, 5, 4, 0, 0), 6, 5), Picture(TRegion::Rect(1, 1, 5, 4), 6, 5));
}

TEST(Region, CombineOperations) {
  const TRegion a = TRegion::Rect(0, 0, 4, 4), b = TRegion::Rect(2, 2, 6, 6);
  struct TCase {
    TRegionOp Op;
    int64_t Area;
    bool In11, In33, In55;
  };
  const TCase cases[] = {
      {roOr, 28, true, true, true},
      {roAnd, 4, false, true, false},
      {roDiff, 12, true, false, false},
      {roXor, 24, true, false, true},
  };
  for (const TCase& c : cases) {
    const TRegion r = a.Combine(b, c.Op);
    EXPECT_EQ(r.Area(), c.Area) << int(c.Op);
    EXPECT_EQ(r.Contains(1, 1), c.In11) << int(c.Op);
    EXPECT_EQ(r.Contains(3, 3), c.In33) << int(c.Op);
    EXPECT_EQ(r.Contains(5, 5), c.In55) << int(c.Op);
  }
  EXPECT_EQ(a.Intersect(b).BoundsRect(), (TRect{2, 2, 4, 4}));
  EXPECT_TRUE(a.Subtract(a).IsEmpty());
  EXPECT_TRUE(a.Xor(a).IsEmpty());
  EXPECT_EQ(TRegion().Union(a).Area(), 16);
  EXPECT_EQ(a.Subtract(TRegion()).Area(), 16);
  EXPECT_TRUE(TRegion().Intersect(a).IsEmpty());
}

TEST(Region, CombinedRowsStayDisjointAndSorted) {
  // A comb minus a bar: every tooth is cut in two.
  TRegionBuilder comb;
  for (int x = 0; x < 20; x += 4) comb.AddRect(x, 0, x + 2, 6);
  const TRegion r = comb.Build().Subtract(TRegion::Rect(0, 2, 20, 4));
  EXPECT_EQ(r.Area(), 5 * 2 * 4);
  for (int y = 0; y < 6; ++y) {
    int last = INT_MIN;
    for (const TSpan* s = r.RowBegin(y); s != r.RowEnd(y); ++s) {
      EXPECT_LT(last, s->Left);
      EXPECT_LT(s->Left, s->Right);
      last = s->Right;
    }
  }
}

TEST(Region, BuilderJoinsTouchingAndOverlappingSpans) {
  TRegionBuilder b;
  b.AddRect(0, 0, 2, 1);
  b.AddRect(2, 0, 4, 1);
  b.AddRect(3, 0, 6, 1);
  b.AddSpan(0, 9, 9);  // empty
  b.AddSpan(0, 8, 10);
  const TRegion r = b.Build();
  ASSERT_EQ(r.RowEnd(0) - r.RowBegin(0), 2);
  EXPECT_EQ(r.RowBegin(0)[0].Left, 0);
  EXPECT_EQ(r.RowBegin(0)[0].Right, 6);
  EXPECT_EQ(r.RowBegin(0)[1].Left, 8);
  EXPECT_EQ(r.RowBegin(0)[1].Right, 10);
}

TEST(Region, BuilderTakesNegativeRowsAndRegions) {
  TRegionBuilder b;
  b.AddRect(-3, -5, -1, -4);
  b.AddRegion(TRegion::Rect(1, 1, 2, 2));
  b.AddPolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  b.AddEllipse(10, 10, 12, 12);
  const TRegion r = b.Build();
  EXPECT_TRUE(r.Contains(-3, -5));
  EXPECT_TRUE(r.Contains(1, 1));
  EXPECT_TRUE(r.Contains(0, 0));
  EXPECT_TRUE(r.Contains(11, 11));
  EXPECT_EQ(r.Area(), 2 + 1 + 1 + 4);
  EXPECT_EQ(r.BoundsRect(), (TRect{-3, -5, 12, 12}));
}

TEST(ComplexRegion, KeepsRectanglesAndTheirBounds) {
  TComplexRegion c;
  EXPECT_EQ(c.Bounds().Left, INT_MAX);
  EXPECT_EQ(c.Bounds().Top, INT_MAX);
  EXPECT_EQ(c.Bounds().Right, INT_MIN + 1);
  EXPECT_EQ(c.Bounds().Bottom, INT_MIN + 1);
  EXPECT_TRUE(c.MakeRegion().IsEmpty());
  c.AddRect(2, 3, 5, 4);
  c.AddRect(4, 1, 8, 3);
  c.AddRect(0, 0, 1, 1);
  EXPECT_EQ(c.Count(), 3u);
  EXPECT_EQ(c.Bounds(), (TRect{0, 0, 8, 4}));
  EXPECT_EQ(c.MakeRegion().Area(), 3 + 8 + 1);
  for (int i = 0; i < 1200; ++i) c.AddRect(i, 10, i + 1, 11);  // grows past several blocks
  EXPECT_EQ(c.Count(), 1203u);
  EXPECT_EQ(c.MakeRegion().Area(), 12 + 1200);
  c.Clear();
  EXPECT_EQ(c.Count(), 0u);
  EXPECT_EQ(c.Bounds().Left, INT_MAX);
}
