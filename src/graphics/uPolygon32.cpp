#include "graphics/uPolygon32.h"

#include <cmath>

namespace ky {

TFixed Fixed(double v) { return static_cast<TFixed>(std::lround(v * kFixedOne)); }
TFixedPoint FixedPoint(double x, double y) { return TFixedPoint{Fixed(x), Fixed(y)}; }

void TPolygon32::Fill(TBitmap32& target, TColor32 colour) const {}

}  // namespace ky
