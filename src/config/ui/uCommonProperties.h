#pragma once
// The properties every control takes (position, size, "Align", "Visible", "Enabled", "Hint",
// "ShowHint", "Cursor", "Color", the font, "TabOrder", "Tag") and the helpers the control units
// share to add their own.
#include <QColor>
#include <QWidget>
#include <functional>
#include <stdexcept>
#include <string>

#include "config/ui/uFormClasses.h"

namespace ky {

// The object of a component as T; throws TKyError when it is not one (a registry mistake).
template <typename T>
T& ObjectAs(const TFormComponent& c) {
  T* t = dynamic_cast<T*>(c.Object.data());
  if (!t) throw std::logic_error("component " + c.Name + " is not of the class its setter expects");
  return *t;
}

// Fills the widget's background with the colour (window, base and button roles); an invalid
// colour (clNone, clDefault) leaves the widget's own.
void SetWidgetColour(QWidget& w, const QColor& colour);
// The colour of text on the widget.
void SetWidgetTextColour(QWidget& w, const QColor& colour);

// Default placement of a widget child inside a widget parent.
void AdoptWidgetChild(TFormComponent& parent, TFormComponent& child);

// Setters of properties that take one kind of value, for the control units' tables.
TPropertySetter IntegerSetter(std::function<void(TFormComponent&, int)> apply);
TPropertySetter BoolSetter(std::function<void(TFormComponent&, bool)> apply);
TPropertySetter TextSetter(std::function<void(TFormComponent&, const QString&)> apply);
TPropertySetter IdentSetter(std::function<void(TFormComponent&, const std::string&)> apply);
// A property that is taken and has no effect here, and is not counted as unknown.
TPropertySetter NoEffect();

}  // namespace ky
