#pragma once
// The classes a window text may name, by class name: how each is created, which properties it
// takes by name, and how a child is placed inside it. Each control's own unit fills the registry
// with a Register... function; StandardFormClasses() holds every class the player knows.
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/uFormTree.h"

class QWidget;

namespace ky {

enum class TAlign { None, Top, Bottom, Left, Right, Client, Custom };

// One object created from a window text, as the window's component list holds it.
struct TFormComponent {
  std::string Name;
  std::string ClassName;  // as the registry spells it
  int Line = 0;           // the object line in the description file
  QPointer<QObject> Object;  // owned by its Qt parent (in the end, the window)
  TFormComponent* Parent = nullptr;
  int Tag = 0;
  TAlign Align = TAlign::None;
  std::optional<int> TabOrder;
  std::optional<bool> ShowHint;
  std::string Hint;

  QWidget* Widget() const;  // the object as a widget, or nullptr (a timer)
};

// What the setters need besides the component: the file name for messages.
struct TFormBuildContext {
  std::string FileName;
};

// Applies one property value to a component; throws TKyError when the value has the wrong form.
using TPropertySetter = std::function<void(TFormComponent& c, const TFormValue& v, const TFormBuildContext& ctx)>;

struct TCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

struct TFormClass {
  std::string Name;
  std::string Base;  // a registered class whose properties this one also takes; "" for none
  // Makes the object; empty for a class that is only a base of others.
  std::function<std::unique_ptr<QObject>()> Create;
  std::map<std::string, TPropertySetter, TCaseLess> Properties;
  // Places a child inside this component; by default a widget child goes into this widget.
  std::function<void(TFormComponent& self, TFormComponent& child)> Adopt;
  // Runs once the component's properties and children are set (sizes that follow the content).
  std::function<void(TFormComponent& self)> Loaded;
};

class TFormClassRegistry {
 public:
  // Adds a class; a later class of the same name (without regard to case) replaces it.
  void Register(TFormClass cls);
  // The class of that name, without regard to case; nullptr when none.
  const TFormClass* Find(std::string_view name) const;
  // The setter of a property for a class, looked up through its bases; nullptr when none.
  const TPropertySetter* FindProperty(const TFormClass& cls, std::string_view property) const;
  // The adopt and loaded hooks, inherited from the bases when the class has none.
  const TFormClass* WithAdopt(const TFormClass& cls) const;
  std::vector<const TFormClass*> Chain(const TFormClass& cls) const;  // the class, then its bases
  std::vector<std::string> Names() const;  // creatable classes

 private:
  std::map<std::string, TFormClass, TCaseLess> FClasses;
};

// Every class of the player's windows. Built once; callers that add their own classes copy it.
const TFormClassRegistry& StandardFormClasses();

// The registering functions of the control units, called by StandardFormClasses().
void RegisterBaseClasses(TFormClassRegistry& r);       // TComponent, TControl (uCommonProperties)
void RegisterStandardControls(TFormClassRegistry& r);  // labels, edits, buttons, boxes, pages, timers
void RegisterPaintedControls(TFormClassRegistry& r);   // panels, shapes, bevels, images
void RegisterMyButton(TFormClassRegistry& r);
void RegisterMyMemo(TFormClassRegistry& r);
void RegisterKyPreview(TFormClassRegistry& r);
void RegisterConfigWindowClass(TFormClassRegistry& r);  // TfmKyCOnfigWindow, TForm

}  // namespace ky
