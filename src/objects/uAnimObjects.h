#pragma once
// TAnimObjects: builds a scene's objects from its object text. Sections "Obj0" to "Obj100" are
// read in order; "ObjType" exactly "GIF" (case-sensitive) makes a GIF object, exactly "IMG" a
// still picture; any other section is skipped. At most kMaxObjects objects come from one text.
#include <string>

#include "objects/uAnimImgObject.h"
#include "objects/uObjectClock.h"
#include "scene/model/uSceneObject.h"

namespace ky {

// commonFolder: the shared media folder with a trailing "/" (a missing picture is looked for
// in its "images/" subfolder). Each object reads the section it was found in, so a text with
// gaps in its numbering keeps every object's own keys; without gaps that section number is the
// object's place in the list.
TSceneObjectList LoadObjects(const std::string& objectText, const TObjectClock& clock, const std::string& commonFolder);

// The picture object behind a scene object, or null when it is none.
TAnimImgObject* AsImgObject(TSceneObject& object);
const TAnimImgObject* AsImgObject(const TSceneObject& object);

// Before a scene starts: every object whose picture file does not exist is pointed at the
// file of the same name in folder (a trailing "/"): the show's working folder.
void RepointMissingPictures(TSceneObjectList& objects, const std::string& folder);

}  // namespace ky
