#include "uObjectAuthoring.h"

#include <sys/stat.h>

#include "objects/uObjectInspect.h"
#include "objects/uObjectLimits.h"
#include "platform/uError.h"
#include "platform/uIniFile.h"
#include "platform/uText.h"
#include "scene/model/uKyProject.h"

namespace ky {

namespace {

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string ObjectsTextOf(const std::string& sceneFile) {
  TProject p;
  if (!p.Load(sceneFile)) throw TKyError(sceneFile + ": " + p.LoadError());
  return p.ObjectsText();
}

}  // namespace

std::vector<std::string> ObjectPictureFiles(const std::string& objectText, const std::string& folder,
                                            const std::string& what) {
  std::vector<std::string> files;
  const TIniFile ini = TIniFile::FromText(objectText);
  for (int n = 0; n < kMaxObjects; ++n) {
    const std::string section = "Obj" + std::to_string(n);
    const std::string type = ini.ReadString(section, "ObjType", "");
    if (type != "GIF" && type != "IMG") continue;
    const std::string name = ini.ReadString(section, "Filename", "");
    const std::string bare = FileNamePart(name);
    if (bare.empty()) throw TKyError(what + ": [" + section + "] names no picture file (Filename)");
    std::string found;
    if (name[0] == '/' && IsFile(name)) found = name;
    else if (name.find('\\') == std::string::npos && IsFile(folder + name)) found = folder + name;
    else if (IsFile(folder + bare)) found = folder + bare;
    if (found.empty()) throw TKyError(what + ": [" + section + "] picture \"" + name + "\" not found in " + folder);
    files.push_back(found);
  }
  return files;
}

std::vector<std::string> SceneObjectPictures(const std::string& sceneFile, const std::string& fallbackFolder) {
  const std::string text = ObjectsTextOf(sceneFile);
  try {
    return ObjectPictureFiles(text, FolderOf(sceneFile), sceneFile);
  } catch (const TKyError&) {
    if (fallbackFolder.empty() || fallbackFolder == FolderOf(sceneFile)) throw;
    return ObjectPictureFiles(text, fallbackFolder, sceneFile);
  }
}

std::vector<std::string> ObjectPicturesOfPicture(const std::string& picture, const std::string& fallbackFolder) {
  const std::string name = UpperCaseAscii(FileNamePart(picture));
  if (name.size() < 4 || name.compare(name.size() - 4, 4, ".KYP") != 0) return {};
  // A scene the player cannot read has no objects to pack; the show skips it like any other.
  TProject p;
  if (!p.Load(picture)) return {};
  return SceneObjectPictures(picture, fallbackFolder);
}

void CheckSceneObjects(const std::string& descriptionIni) {
  const TIniFile ini = TIniFile::FromFile(descriptionIni);
  const std::string objects(Trim(ini.ReadString("Scene", "Objects", "")));
  if (objects.empty()) return;
  const std::string folder = FolderOf(descriptionIni);
  const std::string path = objects[0] == '/' ? objects : folder + objects;
  TIniFile text = TIniFile::FromFile(path);
  ObjectPictureFiles(text.ToText(), folder, path);
}

std::string SceneObjectsJson(const std::string& sceneFile) { return ObjectsJson(ObjectsTextOf(sceneFile)); }

}  // namespace ky
