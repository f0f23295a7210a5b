#pragma once
// The animated objects of scenes on the authoring side: their picture files, found for the
// scene tool and packed by the saver builder, and their keys for inspection.
#include <string>
#include <vector>

namespace ky {

// The picture file of every object of an object text, looked for as written relative to
// folder (a trailing "/"), then by its bare name there. Throws TKyError naming the object text's
// owner (what) and the picture when one is not found.
std::vector<std::string> ObjectPictureFiles(const std::string& objectText, const std::string& folder,
                                            const std::string& what);

// The same for a scene file: its object text read, the pictures looked for in the scene's
// folder and then in fallbackFolder.
std::vector<std::string> SceneObjectPictures(const std::string& sceneFile, const std::string& fallbackFolder);

// SceneObjectPictures for a scene file (by its ".kyp" extension); none for any other picture.
std::vector<std::string> ObjectPicturesOfPicture(const std::string& picture, const std::string& fallbackFolder);

// A scene description's Objects file, checked: every object's picture exists beside the
// description. Throws TKyError otherwise; a description without objects passes.
void CheckSceneObjects(const std::string& descriptionIni);

// The objects of a scene file as a JSON array (every key as loaded, defaults applied).
std::string SceneObjectsJson(const std::string& sceneFile);

}  // namespace ky
