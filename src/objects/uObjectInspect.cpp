#include "objects/uObjectInspect.h"

#include "objects/uAnimObjects.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"

namespace ky {

std::string ObjectsJson(const std::string& objectText) {
  // Loading only: no picture is read and nothing ticks.
  const TManualTicks ticks;
  TSceneObjectList objects = LoadObjects(objectText, TObjectClock::ForScene(ticks), "");
  const TIniFile stored = TIniFile::FromText(objectText);
  std::string o = "[";
  bool firstObject = true;
  for (auto& obj : objects) {
    TAnimImgObject* img = AsImgObject(*obj);
    if (!img) continue;
    const std::string section = "Obj" + std::to_string(img->Index);
    const TIniFile keys = TIniFile::FromText(img->SaveToText());
    o += firstObject ? "{" : ",{";
    firstObject = false;
    o += "\"Index\":" + std::to_string(img->Index);
    for (const std::string& key : keys.SectionKeys(section)) {
      if (key == "Left" || key == "Top") continue;
      // The file name as the scene stores it (loading may have re-pointed a missing one).
      const std::string value =
          key == "Filename" ? stored.ReadString(section, key, "") : keys.ReadString(section, key, "");
      const bool number = key != "Filename" && key != "ObjType" && key != "OffScreenOpt" && ParseInteger(value).has_value();
      o += "," + JsonString(key) + ":" + (number ? value : JsonString(value));
    }
    o += "}";
  }
  return o + "]";
}

}  // namespace ky
