#pragma once
// What the water engine needs of an animated object: starting it for a scene and, once per
// frame, one consistent set of the fields the drawing reads plus its two picture surfaces.
// The objects themselves (motion, timelines, pictures) live with the object model.
#include <memory>
#include <vector>

#include "graphics/uBitmap32.h"
#include "graphics/uGeometry.h"

namespace ky {

struct TObjectDrawState {
  bool Visible = false;
  bool Flipped = false;
  // Objects loaded from a scene are always scaled.
  bool Scaled = true;
  int ScreenLeft = 0;
  int ScreenTop = 0;
  int PictureWidth = 0;
  int PictureHeight = 0;
  double ScaleX = 1.0;
  double ScaleY = 1.0;
  int WidthSize = 100;   // percent
  int HeightSize = 100;  // percent
};

class TSceneObject {
 public:
  virtual ~TSceneObject() = default;
  // Before a scene's first frame: the display surface and the scene picture's stored size;
  // the object then starts its motion.
  virtual void StartInScene(const TRect& displayRect, int sceneWidth, int sceneHeight) = 0;
  // Once per frame on the drawing thread, before DrawState: the object takes the snapshot this
  // frame draws (and does any drawing-thread work of its own, such as animation frames).
  virtual void PrepareDraw() {}
  // Read on the drawing thread while a worker may move the object: one consistent snapshot.
  virtual TObjectDrawState DrawState() const = 0;
  virtual TBitmap32& Front() = 0;
  // Receives the mirrored copy of Front when the object is drawn flipped.
  virtual TBitmap32& Back() = 0;
};

using TSceneObjectList = std::vector<std::unique_ptr<TSceneObject>>;

}  // namespace ky
