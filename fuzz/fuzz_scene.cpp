// libFuzzer target: the scene file reader must load a scene or raise one of its own errors for
// any input. The reader over bytes in memory and the load from a file (TProject::Load, as the
// show and "kysaver-tool inspect" use it) must agree on the outcome.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "graphics/uBitmap32.h"
#include "graphics/uPictureReaders.h"
#include "scene/file/uFileIO.h"
#include "scene/model/uKyProject.h"
#include "scene/file/uMyStream.h"
#include "scene/model/uSceneInspect.h"

namespace {

struct TMemoryLoad {
  bool Ok = false;
  std::string Error;
  std::string Title;
  int Width = 0, Height = 0;
};

TMemoryLoad LoadFromMemory(const uint8_t* data, size_t size) {
  TMemoryLoad r;
  try {
    ky::TMyStream stream(std::vector<uint8_t>(data, data + size));
    ky::TFileLoader loader;
    loader.LoadFromStream(stream);
    ky::TBitmap32 mask, picture, preview;
    loader.GetMask(mask);
    loader.GetPicture(picture);
    loader.GetPreview(preview);
    if (mask.Width() != picture.Width() || mask.Height() != picture.Height()) __builtin_trap();
    std::array<ky::TWaveParam, ky::kWaveSetCount> waves;
    loader.GetWaveParams(waves);
    loader.GetWeather();
    ky::TSoundSlots slots;
    loader.GetSoundSlots(slots);
    ky::TExtraInfo::FromBuildText(loader.BuildInfo());
    r.Ok = true;
    r.Title = loader.Title();
    r.Width = picture.Width();
    r.Height = picture.Height();
  } catch (const ky::ESceneFileError& e) {
    r.Error = e.what();
  } catch (const ky::EPictureError& e) {
    r.Error = e.what();
  } catch (const ky::EBitmapError& e) {
    r.Error = e.what();
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The header alone, as the file list's previews read it.
  try {
    ky::TMyStream stream(std::vector<uint8_t>(data, data + size));
    ky::TFileLoader header;
    header.LoadHeaderFromStream(stream);
  } catch (const ky::ESceneFileError&) {
  } catch (const ky::EPictureError&) {
  } catch (const ky::EBitmapError&) {
  }

  const TMemoryLoad memory = LoadFromMemory(data, size);
  const kyfuzz::TMemFile file(data, size);
  ky::TProject project;
  const bool ok = project.Load(file.Path());
  if (ok != memory.Ok) __builtin_trap();
  if (!ok) {
    if (project.LoadError() != memory.Error) __builtin_trap();
    return 0;
  }
  if (project.Title() != memory.Title || project.DesignWidth() != memory.Width ||
      project.DesignHeight() != memory.Height || project.Mask().Width() != memory.Width ||
      project.Mask().Height() != memory.Height)
    __builtin_trap();
  const std::array<int64_t, 7> counts = ky::CountRegionPixels(project);
  int64_t total = 0;
  for (const int64_t c : counts) total += c;
  if (total != int64_t{memory.Width} * memory.Height) __builtin_trap();
  ky::InspectScene(file.Path(), true);
  ky::InspectScene(file.Path(), false);
  return 0;
}
