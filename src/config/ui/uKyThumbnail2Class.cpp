// TKyThumbnail2 as window descriptions name it: its published properties, and the picture-grid
// face the configuration window feeds.
#include <QFrame>

#include "config/ui/thumbnails/uKyThumbnail2.h"
#include "config/ui/uCommonProperties.h"
#include "config/ui/uFormClasses.h"
#include "config/ui/uPictureGrid.h"

namespace ky {

namespace {

class TKyThumbnail2Component final : public TKyThumbnail2, public TPictureGrid {
 public:
  TKyThumbnail2Component() {
    OnSelectItem = [this](int index) {
      if (OnSelectPicture) OnSelectPicture(index);
    };
  }
  void SetFiles(const std::vector<std::string>& files) override { TKyThumbnail2::SetFiles(files); }
  void SetChecked(int index, bool checked) override { TKyThumbnail2::SetChecked(index, checked); }
  bool Checked(int index) const override { return TKyThumbnail2::Checked(index); }
  void SelectIndex(int index) override { TKyThumbnail2::SelectIndex(index); }
  void RepaintGrid() override { viewport()->update(); }
};

TKyThumbnail2& Grid(TFormComponent& c) { return ObjectAs<TKyThumbnail2>(c); }

}  // namespace

void RegisterKyThumbnail2(TFormClassRegistry& r) {
  TFormClass cls;
  cls.Name = "TKyThumbnail2";
  cls.Base = "TControl";
  cls.Create = [] { return std::make_unique<TKyThumbnail2Component>(); };
  auto& p = cls.Properties;
  p["PictureWidth"] = IntegerSetter([](TFormComponent& c, int v) { Grid(c).SetPictureWidth(v); });
  p["PictureHeight"] = IntegerSetter([](TFormComponent& c, int v) { Grid(c).SetPictureHeight(v); });
  p["ShowCheckBox"] = BoolSetter([](TFormComponent& c, bool v) { Grid(c).SetShowCheckBox(v); });
  p["ShowTitle"] = BoolSetter([](TFormComponent& c, bool v) { Grid(c).SetShowTitle(v); });
  p["MultiRows"] = BoolSetter([](TFormComponent& c, bool v) { Grid(c).SetMultiRows(v); });
  p["BorderStyle"] = IdentSetter([](TFormComponent& c, const std::string& v) {
    Grid(c).setFrameShape(v == "bsNone" ? QFrame::NoFrame : QFrame::StyledPanel);
  });
  p["Ctl3D"] = NoEffect();
  p["ParentCtl3D"] = NoEffect();
  r.Register(std::move(cls));
}

}  // namespace ky
