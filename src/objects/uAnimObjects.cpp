#include "objects/uAnimObjects.h"

#include "objects/uGifObject.h"
#include "objects/uObjectLimits.h"
#include "platform/uIniFile.h"

namespace ky {

TSceneObjectList LoadObjects(const std::string& objectText, const TObjectClock& clock, const std::string& commonFolder) {
  TSceneObjectList list;
  const TIniFile ini = TIniFile::FromText(objectText);
  for (int n = 0; n < kMaxObjects; ++n) {
    const std::string section = "Obj" + std::to_string(n);
    const std::string type = ini.ReadString(section, "ObjType", "");
    std::unique_ptr<TAnimImgObject> obj;
    if (type == "GIF") obj = std::make_unique<TGifObject>(clock, commonFolder);
    else if (type == "IMG") obj = std::make_unique<TImgObject>(clock, commonFolder);
    if (!obj) continue;
    obj->Index = n;
    obj->LoadFromText(objectText);
    list.push_back(std::move(obj));
  }
  return list;
}

TAnimImgObject* AsImgObject(TSceneObject& object) { return dynamic_cast<TAnimImgObject*>(&object); }
const TAnimImgObject* AsImgObject(const TSceneObject& object) { return dynamic_cast<const TAnimImgObject*>(&object); }

void RepointMissingPictures(TSceneObjectList& objects, const std::string& folder) {
  for (auto& o : objects)
    if (TAnimImgObject* img = AsImgObject(*o)) img->RepointMissing(folder);
}

}  // namespace ky
