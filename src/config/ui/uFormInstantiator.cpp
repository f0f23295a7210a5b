#include "config/ui/uFormInstantiator.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

#include "platform/uError.h"

namespace ky {

int TFormInstance::IgnoredCount() const {
  int n = 0;
  for (const auto& [name, count] : Ignored) n += count;
  return n;
}

namespace {

[[noreturn]] void Fail(const std::string& fileName, int line, const std::string& what) {
  throw TKyError(fileName + ":" + std::to_string(line) + ": " + what);
}

class TBuilder {
 public:
  TBuilder(const TFormClassRegistry& registry, const std::string& fileName, TFormInstance& out)
      : FRegistry(registry), FCtx{fileName}, FOut(out) {}

  void Build(const TFormObject& object, TFormComponent* parent) {
    const TFormClass* cls = FRegistry.Find(object.ClassName);
    if (!cls || !cls->Create)
      Fail(FCtx.FileName, object.Line, "class \"" + object.ClassName + "\" is not a class the player can create");
    std::unique_ptr<QObject> made = cls->Create();
    auto component = std::make_unique<TFormComponent>();
    component->Name = object.Name;
    component->ClassName = cls->Name;
    component->Line = object.Line;
    component->Object = made.get();
    component->Parent = parent;
    made->setObjectName(QString::fromStdString(object.Name));
    TFormComponent& c = *component;
    FOut.Components.push_back(std::move(component));
    if (parent) {
      const TFormClass* parentClass = FRegistry.Find(parent->ClassName);
      const TFormClass* adopter = parentClass ? FRegistry.WithAdopt(*parentClass) : nullptr;
      if (!adopter) Fail(FCtx.FileName, object.Line, parent->ClassName + " cannot hold \"" + object.ClassName + "\"");
      adopter->Adopt(*parent, c);
      if (!c.Object->parent()) Fail(FCtx.FileName, object.Line, parent->ClassName + " cannot hold \"" + object.ClassName + "\"");
      made.release();  // the parent owns it now
    } else {
      FOut.Root = std::move(made);
    }
    for (const TFormProperty& p : object.Properties) {
      if (const TPropertySetter* setter = FRegistry.FindProperty(*cls, p.Name))
        (*setter)(c, p.Value, FCtx);
      else
        ++FOut.Ignored[cls->Name + "." + p.Name];
    }
    for (const TFormObject& child : object.Children) Build(child, &c);
    for (const TFormClass* k : FRegistry.Chain(*cls))
      if (k->Loaded) {
        k->Loaded(c);
        break;
      }
  }

 private:
  const TFormClassRegistry& FRegistry;
  TFormBuildContext FCtx;
  TFormInstance& FOut;
};

// Places the aligned children of one container, as the authoring side does: top and bottom
// bands first (in the order of their positions), then left and right, then one client area.
class TAlignArranger final : public QObject {
 public:
  TAlignArranger(QWidget& container, std::vector<TFormComponent*> children)
      : QObject(&container), FContainer(container), FChildren(std::move(children)) {
    container.installEventFilter(this);
    Arrange();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &FContainer && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)) Arrange();
    return false;
  }

  void Arrange() {
    QRect r = FContainer.contentsRect();
    auto of = [this](TAlign a) {
      std::vector<QWidget*> list;
      for (TFormComponent* c : FChildren)
        if (c->Align == a && c->Widget()) list.push_back(c->Widget());
      return list;
    };
    auto byY = [](QWidget* a, QWidget* b) { return a->y() < b->y(); };
    auto byX = [](QWidget* a, QWidget* b) { return a->x() < b->x(); };
    auto tops = of(TAlign::Top);
    std::stable_sort(tops.begin(), tops.end(), byY);
    for (QWidget* w : tops) {
      w->setGeometry(r.left(), r.top(), r.width(), w->height());
      r.setTop(r.top() + w->height());
    }
    auto bottoms = of(TAlign::Bottom);
    std::stable_sort(bottoms.begin(), bottoms.end(), [&](QWidget* a, QWidget* b) { return byY(b, a); });
    for (QWidget* w : bottoms) {
      w->setGeometry(r.left(), r.bottom() + 1 - w->height(), r.width(), w->height());
      r.setBottom(r.bottom() - w->height());
    }
    auto lefts = of(TAlign::Left);
    std::stable_sort(lefts.begin(), lefts.end(), byX);
    for (QWidget* w : lefts) {
      w->setGeometry(r.left(), r.top(), w->width(), std::max(0, r.height()));
      r.setLeft(r.left() + w->width());
    }
    auto rights = of(TAlign::Right);
    std::stable_sort(rights.begin(), rights.end(), [&](QWidget* a, QWidget* b) { return byX(b, a); });
    for (QWidget* w : rights) {
      w->setGeometry(r.right() + 1 - w->width(), r.top(), w->width(), std::max(0, r.height()));
      r.setRight(r.right() - w->width());
    }
    for (QWidget* w : of(TAlign::Client)) w->setGeometry(r.left(), r.top(), std::max(0, r.width()), std::max(0, r.height()));
  }

 private:
  QWidget& FContainer;
  std::vector<TFormComponent*> FChildren;
};

bool EffectiveShowHint(const TFormComponent& c) {
  for (const TFormComponent* p = &c; p; p = p->Parent)
    if (p->ShowHint) return *p->ShowHint;
  return false;
}

}  // namespace

TFormInstance InstantiateForm(const TFormObject& tree, const TFormClassRegistry& registry, const std::string& fileName) {
  TFormInstance out;
  TBuilder(registry, fileName, out).Build(tree, nullptr);
  return out;
}

void FinishForm(TFormInstance& form) {
  std::map<TFormComponent*, std::vector<TFormComponent*>> childrenOf;
  for (const auto& c : form.Components)
    if (c->Parent) childrenOf[c->Parent].push_back(c.get());
  for (const auto& c : form.Components) {
    QWidget* w = c->Widget();
    if (!w) continue;
    w->setToolTip(EffectiveShowHint(*c) ? QString::fromStdString(c->Hint) : QString());
  }
  for (auto& [parent, children] : childrenOf) {
    std::vector<TFormComponent*> ordered;
    for (TFormComponent* c : children)
      if (c->TabOrder && c->Widget()) ordered.push_back(c);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](TFormComponent* a, TFormComponent* b) { return *a->TabOrder < *b->TabOrder; });
    for (size_t i = 1; i < ordered.size(); ++i) QWidget::setTabOrder(ordered[i - 1]->Widget(), ordered[i]->Widget());
    const bool aligned = std::any_of(children.begin(), children.end(), [](TFormComponent* c) {
      return c->Align != TAlign::None && c->Align != TAlign::Custom;
    });
    if (aligned && parent->Widget()) {
      // Children of a page control's page live in the page; the page itself is the container.
      QWidget* container = children.front()->Widget() ? children.front()->Widget()->parentWidget() : parent->Widget();
      if (container) new TAlignArranger(*container, children);  // owned by the container
    }
  }
}

}  // namespace ky
