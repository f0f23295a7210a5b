#include "config/ui/FKyConfigWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <exception>

#include "config/uKyForms.h"
#include "config/ui/uClickable.h"
#include "config/ui/uCommonProperties.h"
#include "config/ui/uConfigServices.h"
#include "config/ui/uFormInstantiator.h"
#include "config/ui/uKyPreview.h"
#include "config/ui/uMyButton.h"
#include "config/ui/uMyMemo.h"
#include "config/ui/uPictureGrid.h"
#include "config/ui/uPlaceholders.h"
#include "config/ui/uPreviewProject.h"
#include "config/ui/uStandardControls.h"
#include "graphics/uBmpWriter.h"
#include "graphics/uPictureReaders.h"
#include "package/uCreatorProject.h"
#include "platform/uError.h"
#include "platform/uText.h"
#include "scene/model/uKyProject.h"

namespace ky {

namespace {

// The classes whose clicks run the window's actions.
bool BindsClick(const std::string& cls) {
  for (const char* name : {"TLabel", "TMyShape", "TPanel", "TMyBevel", "TImage", "TKyPreview", "TBitBtn", "TMyButton"})
    if (cls == name) return true;
  return false;
}

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::string UpperExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return UpperCaseAscii(path.substr(dot));
}

// The texts of the controls placed directly on the window, and inside its panels, get their
// placeholders replaced; page controls keep theirs, and so do hints.
void ReplaceControlTexts(const std::vector<std::unique_ptr<TFormComponent>>& components, const TFormComponent* parent,
                         const TKyCProject& project) {
  auto replaced = [&](const QString& text) {
    return QString::fromStdString(ReplacePlaceholders(text.toStdString(), project));
  };
  for (const auto& c : components) {
    if (c->Parent != parent || !c->Object) continue;
    if (c->ClassName == "TLabel") {
      auto& label = ObjectAs<TKyLabel>(*c);
      label.SetCaption(replaced(label.Caption()));
    } else if (c->ClassName == "TBitBtn") {
      auto& button = ObjectAs<QAbstractButton>(*c);
      button.setText(replaced(button.text()));
    } else if (c->ClassName == "TMyButton") {
      auto& button = ObjectAs<TMyButton>(*c);
      button.Caption = replaced(button.Caption);
      button.update();
    } else if (c->ClassName == "TMyMemo") {
      auto& memo = ObjectAs<TMyMemo>(*c);
      memo.SetText(replaced(memo.Text()));
    } else if (c->ClassName == "TPanel") {
      ReplaceControlTexts(components, c.get(), project);
    }
  }
}

}  // namespace

TfmKyConfigWindow::TfmKyConfigWindow() {
  // The class's own defaults, for what a description does not set.
  resize(331, 444);
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  setFont(font);
  SetWidgetColour(*this, QColor(0xF0, 0xF0, 0xF0));  // clBtnFace
}

TfmKyConfigWindow::~TfmKyConfigWindow() = default;

void TfmKyConfigWindow::Attach(TConfigContext& context, std::string formName,
                               std::vector<std::unique_ptr<TFormComponent>> components) {
  FContext = &context;
  FFormName = std::move(formName);
  FComponents = std::move(components);
}

const TFormComponent* TfmKyConfigWindow::Component(std::string_view name) const {
  for (const auto& c : FComponents)
    if (c->Object != this && SameTextAscii(c->Name, name)) return c.get();
  return nullptr;
}

void TfmKyConfigWindow::ApplyStyle() {
  Qt::WindowFlags flags = Qt::Dialog;
  if (NoFrame) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (ShowButtons) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (MaximizeButton) flags |= Qt::WindowMaximizeButtonHint;
    if (MinimizeButton) flags |= Qt::WindowMinimizeButtonHint;
  }
  setWindowFlags(flags);
  // A window without a sizeable frame keeps the size its description gives (unless it opens
  // maximised).
  if ((NoFrame || !Sizeable) && !MaximizeOnShow) setFixedSize(size());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
  if (MaximizeOnShow) setWindowState(windowState() | Qt::WindowMaximized);
}

int TfmKyConfigWindow::PictureCount() const {
  return FContext ? static_cast<int>(FContext->Project.FileList().Names.size()) : 0;
}

void TfmKyConfigWindow::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (FShown || e->spontaneous()) return;
  FShown = true;
  FormShow();
}

void TfmKyConfigWindow::ApplyTagRule() {
  for (const auto& c : FComponents) {
    if (c->Object == this || !c->Object) continue;
    if (c->ClassName == "TTabSheet" || c->ClassName == "TTimer") continue;
    if (QWidget* w = c->Widget()) w->setVisible((c->Tag & 1) != 0);
  }
}

void TfmKyConfigWindow::ShowPictureInPreviews(int position, bool swallowErrors) {
  const auto& names = FContext->Project.FileList().Names;
  if (names.empty()) return;
  for (const auto& c : FComponents) {
    auto* preview = dynamic_cast<TKyPreview*>(c->Object.data());
    if (!preview) continue;
    try {
      preview->ShowPicture(names.at(static_cast<size_t>(position)));
    } catch (const std::exception&) {
      if (!swallowErrors) throw;
    }
  }
}

void TfmKyConfigWindow::FormShow() {
  if (!FContext) return;
  TConfigStore& store = FContext->Services.Store();
  const auto& names = FContext->Project.FileList().Names;
  if (auto index = store.ReadPictureIndex(PictureCount())) FCurrentPicture = *index;
  for (const auto& c : FComponents) {
    if (c->Object == this || !c->Object) continue;
    // A component whose set-up fails keeps what it had; the others are set up all the same.
    try {
      if (BindsClick(c->ClassName))
        if (auto* clickable = dynamic_cast<TClickable*>(c->Object.data())) {
          // The action runs once the click's own event is over: a show or a window it opens must not
          // find the mouse still held by the clicked control.
          const TFormComponent* clicked = c.get();
          clickable->OnClick = [this, clicked] {
            QMetaObject::invokeMethod(this, [this, clicked] { RunAction(*clicked); }, Qt::QueuedConnection);
          };
        }
      if (auto* tabs = dynamic_cast<QTabWidget*>(c->Object.data()))
        if (tabs->currentWidget()) tabs->currentWidget()->update();
      if (auto* grid = dynamic_cast<TPictureGrid*>(c->Object.data())) {
        grid->SetFiles(names);
        if (store.UserSettingsEnabled()) {
          for (int i = 0; i < PictureCount(); ++i) grid->SetChecked(i, true);
          for (const std::string& key : store.ReadUncheckedPictures())
            for (int i = 0; i < PictureCount(); ++i)
              if (key == std::to_string(i)) grid->SetChecked(i, false);
        }
        grid->OnSelectPicture = [this](int index) { SelectPicture(index); };
        grid->RepaintGrid();
        grid->SelectIndex(FCurrentPicture);
      }
      if (!names.empty())
        if (auto* preview = dynamic_cast<TKyPreview*>(c->Object.data())) preview->ShowPicture(names.front());
      if (c->ClassName != "TTabSheet" && c->ClassName != "TTimer")
        if (QWidget* w = c->Widget()) w->setVisible((c->Tag & 1) != 0);
    } catch (const std::exception&) {
    }
  }
  for (const auto& c : FComponents)
    if (auto* grid = dynamic_cast<TPictureGrid*>(c->Object.data())) grid->RepaintGrid();
  ShowPictureInPreviews(FCurrentPicture, /*swallowErrors=*/true);
  ApplyTagRule();
  try {
    SelectPicture(FCurrentPicture);
  } catch (const std::exception&) {
  }
  if (const TFormComponent* active = Component(ActiveControlName))
    if (QWidget* w = active->Widget()) w->setFocus();
}

void TfmKyConfigWindow::SelectPicture(int position) {
  const int count = PictureCount();
  if (position >= count) position = count - 1;
  if (position < 0) position = 0;
  FCurrentPicture = position;
  ShowPictureInPreviews(FCurrentPicture, /*swallowErrors=*/false);
}

void TfmKyConfigWindow::RunAction(const TFormComponent& clicked) {
  try {
    RunActionOrThrow(clicked);
  } catch (const std::exception& e) {
    if (FContext) FContext->Services.ShowError(this, e.what());
  }
}

void TfmKyConfigWindow::RunActionOrThrow(const TFormComponent& clicked) {
  if (!FContext) return;
  const TKyForm* form = FContext->Forms.FindForm(FFormName);
  const TAction* found = form ? form->Actions.FindAction(clicked.Name) : nullptr;
  if (!found) return;
  const TKyCProject& project = FContext->Project;
  TAction action = *found;
  action.Param1 = ReplacePlaceholdersInLines(action.Param1, project);
  action.Param2 = ReplacePlaceholdersInLines(action.Param2, project);
  action.Param3 = ReplacePlaceholdersInLines(action.Param3, project);
  const auto& names = project.FileList().Names;
  switch (action.Kind) {
    case akOpenUrl: FContext->Services.OpenUrl(Trimmed(action.Param1)); break;
    case akShowWindow: ShowConfigWindow(*FContext, action.Param1); break;
    case akNextPicture: SelectPicture(FCurrentPicture + 1); break;
    case akPreviousPicture: SelectPicture(FCurrentPicture - 1); break;
    case akPreviewFile:
      if (!names.empty()) {
        const auto preview = MakePreviewProject(project, names.at(static_cast<size_t>(FCurrentPicture)));
        FContext->Services.PreviewShow(*preview);
      }
      break;
    case akOpenSetting: FContext->Services.OpenSettings(*this, FContext->Project); break;
    case akCloseWindow: close(); break;
    case akSetWallpaper: SetWallpaperAction(); break;
    default: break;
  }
}

void TfmKyConfigWindow::SetWallpaperAction() {
  if (!FContext->Services.Confirm(this, "You are about to set the selected picture as wallpaper.\r\nDo you want to proceed?"))
    return;
  const auto& names = FContext->Project.FileList().Names;
  if (names.empty()) return;
  const std::string& file = names.at(static_cast<size_t>(FCurrentPicture));
  TBitmap32 picture;
  if (UpperExtension(file) == ".KYP") {
    TProject scene;
    if (!scene.Load(file)) throw TKyError(file + ": " + scene.LoadError());
    picture = std::move(scene.Picture());
  } else {
    LoadPictureFromFile(file, picture);
  }
  const std::string bmp = FContext->Services.SaverPath() + ".bmp";
  SaveBitmapToBmpFile(picture, bmp);
  FContext->Services.SetWallpaper(bmp);
}

void TfmKyConfigWindow::FormClose() {
  if (!FContext) return;
  // A settings file that cannot be written is no reason to keep the window open.
  try {
    TConfigStore& store = FContext->Services.Store();
    store.WritePictureIndex(FCurrentPicture);
    for (const auto& c : FComponents)
      if (auto* grid = dynamic_cast<TPictureGrid*>(c->Object.data())) {
        std::vector<bool> checked(static_cast<size_t>(PictureCount()));
        for (int i = 0; i < PictureCount(); ++i) checked[static_cast<size_t>(i)] = grid->Checked(i);
        store.WriteUncheckedPictures(checked);
      }
  } catch (const std::exception&) {
  }
}

void TfmKyConfigWindow::done(int result) {
  if (!FClosed) {
    FClosed = true;
    FormClose();
  }
  QDialog::done(result);
}

std::unique_ptr<TfmKyConfigWindow> BuildConfigWindow(TConfigContext& context, const std::string& windowName) {
  const std::string name = Trimmed(windowName);
  const TKyForm* form = context.Forms.FindForm(name);
  if (!form) throw TKyError(context.FormsFileName + ": there is no window \"" + name + "\" in the window descriptions");
  TFormInstance instance = InstantiateForm(form->BuildFormTree(context.FormsFileName), context.Registry, context.FormsFileName);
  std::unique_ptr<TfmKyConfigWindow> window(dynamic_cast<TfmKyConfigWindow*>(instance.Root.get()));
  if (!window) throw TKyError(context.FormsFileName + ": window \"" + name + "\" is not a configuration window");
  instance.Root.release();
  FinishForm(instance);
  window->setWindowTitle(QString::fromStdString(ReplacePlaceholders(window->windowTitle().toStdString(), context.Project)));
  ReplaceControlTexts(instance.Components, instance.Components.front().get(), context.Project);
  window->Attach(context, form->Name, std::move(instance.Components));
  window->ApplyStyle();
  return window;
}

void ShowConfigWindow(TConfigContext& context, const std::string& windowName) {
  if (context.Services.RunsAsConfiguredSaver())
    QCoreApplication::setApplicationName(QString::fromStdString(context.Project.Setting().ProductName));
  std::unique_ptr<TfmKyConfigWindow> window = BuildConfigWindow(context, windowName);
  context.Services.Store().CopyUserSettingsInto(context.Project);
  window->exec();
}

void RegisterConfigWindowClass(TFormClassRegistry& r) {
  TFormClass cls;
  cls.Name = "TfmKyCOnfigWindow";
  cls.Base = "TControl";
  cls.Create = [] { return std::make_unique<TfmKyConfigWindow>(); };
  auto W = [](TFormComponent& c) -> TfmKyConfigWindow& { return ObjectAs<TfmKyConfigWindow>(c); };
  auto& p = cls.Properties;
  p["Caption"] = TextSetter([W](TFormComponent& c, const QString& v) { W(c).setWindowTitle(v); });
  p["ClientWidth"] = IntegerSetter([W](TFormComponent& c, int v) { W(c).resize(std::max(0, v), W(c).height()); });
  p["ClientHeight"] = IntegerSetter([W](TFormComponent& c, int v) { W(c).resize(W(c).width(), std::max(0, v)); });
  // The window is centred on the screen whatever its designed place was.
  p["Left"] = NoEffect();
  p["Top"] = NoEffect();
  p["Position"] = NoEffect();
  p["Sizeable"] = BoolSetter([W](TFormComponent& c, bool v) { W(c).Sizeable = v; });
  p["NoFrame"] = BoolSetter([W](TFormComponent& c, bool v) { W(c).NoFrame = v; });
  p["MaximizeButton"] = BoolSetter([W](TFormComponent& c, bool v) { W(c).MaximizeButton = v; });
  p["MinimizeButton"] = BoolSetter([W](TFormComponent& c, bool v) { W(c).MinimizeButton = v; });
  p["ShowButtons"] = BoolSetter([W](TFormComponent& c, bool v) { W(c).ShowButtons = v; });
  p["MaximizeOnShow"] = BoolSetter([W](TFormComponent& c, bool v) { W(c).MaximizeOnShow = v; });
  p["ActiveControl"] = IdentSetter([W](TFormComponent& c, const std::string& v) { W(c).ActiveControlName = v; });
  // The authoring side's own bookkeeping, and behaviour that is the platform's here.
  for (const char* name : {"KeyPreview", "AutoScroll", "OldCreateOrder", "PixelsPerInch", "TextHeight", "Scaled"})
    p[name] = NoEffect();
  r.Register(std::move(cls));

  TFormClass form;
  form.Name = "TForm";
  form.Base = "TControl";
  form.Create = [] { return std::make_unique<QWidget>(); };
  form.Properties["Caption"] = NoEffect();  // a form inside a window has no title bar
  r.Register(std::move(form));
}

}  // namespace ky
