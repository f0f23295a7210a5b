#include "config/ui/uFormClasses.h"

#include <QWidget>
#include <algorithm>
#include <cctype>

namespace ky {

QWidget* TFormComponent::Widget() const { return qobject_cast<QWidget*>(Object.data()); }

bool TCaseLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

void TFormClassRegistry::Register(TFormClass cls) {
  std::string name = cls.Name;
  FClasses.erase(name);
  FClasses.emplace(std::move(name), std::move(cls));
}

const TFormClass* TFormClassRegistry::Find(std::string_view name) const {
  const auto it = FClasses.find(std::string(name));
  return it == FClasses.end() ? nullptr : &it->second;
}

std::vector<const TFormClass*> TFormClassRegistry::Chain(const TFormClass& cls) const {
  std::vector<const TFormClass*> chain;
  for (const TFormClass* c = &cls; c && chain.size() < 32; c = c->Base.empty() ? nullptr : Find(c->Base))
    chain.push_back(c);
  return chain;
}

const TPropertySetter* TFormClassRegistry::FindProperty(const TFormClass& cls, std::string_view property) const {
  const std::string key(property);
  for (const TFormClass* c : Chain(cls)) {
    const auto it = c->Properties.find(key);
    if (it != c->Properties.end()) return &it->second;
  }
  return nullptr;
}

const TFormClass* TFormClassRegistry::WithAdopt(const TFormClass& cls) const {
  for (const TFormClass* c : Chain(cls))
    if (c->Adopt) return c;
  return nullptr;
}

std::vector<std::string> TFormClassRegistry::Names() const {
  std::vector<std::string> names;
  for (const auto& [name, cls] : FClasses)
    if (cls.Create) names.push_back(cls.Name);
  return names;
}

const TFormClassRegistry& StandardFormClasses() {
  static const TFormClassRegistry registry = [] {
    TFormClassRegistry r;
    RegisterBaseClasses(r);
    RegisterStandardControls(r);
    RegisterPaintedControls(r);
    RegisterMyButton(r);
    RegisterMyMemo(r);
    RegisterKyPreview(r);
    RegisterConfigWindowClass(r);
    return r;
  }();
  return registry;
}

}  // namespace ky
