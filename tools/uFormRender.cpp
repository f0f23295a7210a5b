#include "uFormRender.h"

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "config/uKyForms.h"
#include "config/uTextDecode.h"
#include "config/ui/uWindowRender.h"
#include "package/uCreatorProject.h"
#include "platform/uError.h"
#include "uFormInspect.h"

namespace ky {

std::vector<std::string> RenderWindowPng(const std::string& file, const std::string& windowName, const std::string& png) {
  // Always off screen: the picture must not depend on a display being there.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "kysaver-tool";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  if (!QApplication::instance()) app = std::make_unique<QApplication>(argc, argv);

  std::vector<std::string> problems;
  TKyForms forms;
  const std::string text = ReadTextFile(file);
  if (LooksLikeDescriptionFile(text)) {
    forms.LoadFromText(text, file, [&](const std::string&, const std::string& detail) { problems.push_back(detail); });
  } else {
    // One window text: its lines keep their numbers in messages.
    TKyForm form;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      form.Lines.push_back(std::move(line));
      start = end + 1;
    }
    form.Name = WindowNameOf(form.Lines.front());
    forms.Add(std::move(form));
  }
  TKyCProject project;
  const QImage image = RenderConfigWindow(forms, file, project, windowName);
  if (image.isNull() || !image.save(QString::fromStdString(png), "PNG"))
    throw TKyError(png + ": the picture of the window cannot be written");
  return problems;
}

}  // namespace ky
