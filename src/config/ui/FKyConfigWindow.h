#pragma once
// TfmKyConfigWindow: a configuration window built at run time from a stored description. It
// binds clicks to the window's action table, feeds its preview controls and thumbnail grids with
// the project's pictures, and reads and writes the selected picture and the unchecked pictures.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "config/ui/uFormClasses.h"

namespace ky {

class TKyForms;
class TKyCProject;
class TConfigServices;

// What every window of one run shares: the descriptions (and the file they came from), the
// project and the services.
struct TConfigContext {
  const TKyForms& Forms;
  std::string FormsFileName;
  TKyCProject& Project;
  TConfigServices& Services;
  const TFormClassRegistry& Registry = StandardFormClasses();
};

class TfmKyConfigWindow final : public QDialog {
 public:
  TfmKyConfigWindow();
  ~TfmKyConfigWindow() override;

  // The window-style switches of the description.
  bool Sizeable = false;
  bool NoFrame = false;
  bool MaximizeButton = false;
  bool MinimizeButton = false;
  bool ShowButtons = false;
  bool MaximizeOnShow = false;
  std::string ActiveControlName;

  // Hands the window its run-wide context, its description's name and its components (the
  // root first, then in creation order).
  void Attach(TConfigContext& context, std::string formName, std::vector<std::unique_ptr<TFormComponent>> components);
  // Frame, title-bar buttons, maximised state, and the place centred on the screen.
  void ApplyStyle();

  const std::string& FormName() const { return FFormName; }
  const std::vector<std::unique_ptr<TFormComponent>>& Components() const { return FComponents; }
  // The component of that name (without regard to case), or nullptr.
  const TFormComponent* Component(std::string_view name) const;
  int CurrentPicture() const { return FCurrentPicture; }

  void FormShow();
  void SelectPicture(int position);
  // Runs the action of the clicked control; an error of the action goes to an error box.
  void RunAction(const TFormComponent& clicked);
  void FormClose();

 protected:
  void showEvent(QShowEvent* e) override;
  void done(int result) override;

 private:
  void RunActionOrThrow(const TFormComponent& clicked);
  void ApplyTagRule();
  void ShowPictureInPreviews(int position, bool swallowErrors);
  void SetWallpaperAction();
  int PictureCount() const;

  TConfigContext* FContext = nullptr;
  std::string FFormName;
  std::vector<std::unique_ptr<TFormComponent>> FComponents;
  int FCurrentPicture = 0;
  bool FShown = false;
  bool FClosed = false;
};

// Builds the named window (its name trimmed of blanks and line ends) from the descriptions,
// with the placeholders of its texts replaced and its style applied, hidden. Throws TKyError
// naming the description file and the window when there is no such window, and the error of
// the window text when it cannot be created.
std::unique_ptr<TfmKyConfigWindow> BuildConfigWindow(TConfigContext& context, const std::string& windowName);

// Builds the window, copies the user's show options into the project, shows it modally and
// frees it when it has closed.
void ShowConfigWindow(TConfigContext& context, const std::string& windowName);

}  // namespace ky
