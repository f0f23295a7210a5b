#pragma once
// A configuration window drawn off screen as it looks when it is shown, for authors who want to
// see a description without running the saver.
#include <QImage>
#include <string>

namespace ky {

class TKyForms;
class TKyCProject;

// Builds the named window with the project's pictures (none is fine), shows it on the current
// platform (the caller picks an off-screen one), runs its set-up and draws it. Nothing is read
// or written in any settings file, and no action runs. Throws the errors of BuildConfigWindow.
QImage RenderConfigWindow(const TKyForms& forms, const std::string& formsFileName, TKyCProject& project,
                          const std::string& windowName);

}  // namespace ky
