// libFuzzer target: a scene's object text and an object's picture, both hostile. The input is
// the object text, a zero byte, then the picture file's bytes, named "picture" with the
// extension of the kind its first bytes look like (a still picture's reader is chosen by the
// name) and found as a missing object picture is, in the shared media folder's "images". Every
// object is loaded from the text, started on a small display and drawn at a run of virtual times,
// as the show draws it over the water; then its saved text is loaded again. Nothing may crash,
// hang or overflow.
// Seeds in fuzz/corpus/objects/: object texts written for this project, one with a GIF of
// tests/data/gif/ (its source and licence are noted there), one with a 6 x 5 PNG made here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzFiles.h"
#include "graphics/uBitmap32.h"
#include "objects/uAnimObjects.h"
#include "platform/uTicks.h"
#include "scene/engine/uAnimEngine.h"

namespace {

const char* Extension(const uint8_t* p, size_t n) {
  if (n >= 3 && std::memcmp(p, "GIF", 3) == 0) return ".gif";
  if (n >= 4 && std::memcmp(p, "\x89PNG", 4) == 0) return ".png";
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xD8) return ".jpg";
  return ".bmp";
}

void WriteAt(int folder, const std::string& name, const uint8_t* data, size_t size) {
  const int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) __builtin_trap();
  size_t done = 0;
  while (done < size) {
    const ssize_t w = write(fd, data + done, size - done);
    if (w <= 0) __builtin_trap();
    done += static_cast<size_t>(w);
  }
  close(fd);
}

void Play(const std::string& text, const std::string& commonFolder, const std::string& picture) {
  ky::TManualTicks clock(0);
  ky::TSceneObjectList objects = ky::LoadObjects(text, ky::TObjectClock::ForScene(clock), commonFolder);
  if (objects.size() > 101) __builtin_trap();
  // An object whose text names another file is given the picture too, as a later load would.
  for (auto& o : objects)
    if (ky::TAnimImgObject* img = ky::AsImgObject(*o))
      if (img->FileName != picture) img->LoadPicture(picture);
  for (auto& o : objects) o->StartInScene(ky::TRect{0, 0, 64, 48}, 80, 60);
  ky::TBitmap32 overlay(64, 48);
  for (const uint32_t t : {0u, 5u, 33u, 66u, 1000u, 2033u, 10000u, 61000u}) {
    clock.Set(t);
    for (auto& o : objects) {
      ky::TRect drawn{};
      ky::DrawSceneObject(*o, overlay, drawn);
    }
  }
  for (auto& o : objects)
    if (ky::TAnimImgObject* img = ky::AsImgObject(*o)) {
      const std::string saved = img->SaveToText();
      ky::LoadObjects(saved, ky::TObjectClock::ForScene(clock), commonFolder);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t textSize = zero ? static_cast<size_t>(zero - data) : size;
  const std::string text(reinterpret_cast<const char*>(data), textSize);
  const uint8_t* picture = zero ? zero + 1 : data + size;
  const size_t pictureSize = static_cast<size_t>(data + size - picture);
  // The picture lies in the shared media folder's "images", where an object whose file is
  // missing looks for it by name: a text naming "picture.png" (or .gif, .jpg, .bmp) finds it.
  const kyfuzz::TTempFolder folder;
  if (mkdirat(folder.Fd(), "images", 0700) != 0) __builtin_trap();
  const int images = openat(folder.Fd(), "images", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (images < 0) __builtin_trap();
  const std::string name = std::string("picture") + Extension(picture, pictureSize);
  WriteAt(images, name, picture, pictureSize);
  Play(text, folder.Path() + "/", folder.Path() + "/images/" + name);
  unlinkat(images, name.c_str(), 0);
  close(images);
  unlinkat(folder.Fd(), "images", AT_REMOVEDIR);
  return 0;
}
