#pragma once
// Walks a parsed window text and creates its objects by class name from a class registry:
// the root object first, then every child inside the control of the object that encloses it,
// each with its properties applied by name. Properties that no class of the chain takes are
// accepted, left alone and counted.
#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/uFormTree.h"
#include "config/ui/uFormClasses.h"

namespace ky {

struct TFormInstance {
  std::unique_ptr<QObject> Root;  // owns every other object through Qt's parent chain
  // Every object in creation order (the text order), the root first.
  std::vector<std::unique_ptr<TFormComponent>> Components;
  // "Class.Property" of every property accepted without effect, with how often it was seen.
  std::map<std::string, int> Ignored;
  int IgnoredCount() const;
};

// Throws TKyError "FILE:LINE: ..." for a class that the registry cannot create (naming the
// class), for a property value of the wrong form, and for an object that its parent cannot
// hold (a control inside a timer).
TFormInstance InstantiateForm(const TFormObject& tree, const TFormClassRegistry& registry, const std::string& fileName);

// The set-up that needs the whole tree: hints where "ShowHint" says so (inherited from the
// parent when the control does not say), tab order among siblings, and the aligned controls of
// each container placed (and placed again whenever the container is resized).
void FinishForm(TFormInstance& form);

}  // namespace ky
