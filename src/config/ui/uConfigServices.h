#pragma once
// What the configuration windows need from outside themselves: the user settings store, the
// desktop (web addresses, wallpaper, message boxes), the one-picture show and the settings
// dialog. The program fills it with the real ones, tests with recording fakes.
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace ky {

class TKyCProject;

// The user settings a configuration window reads when it is made and shown, and writes when
// it closes. When the saver may not touch its settings file, every read gives nothing and every
// write is left out.
class TConfigStore {
 public:
  virtual ~TConfigStore() = default;
  virtual bool UserSettingsEnabled() const = 0;
  // Loads the user's settings and, when the store is enabled, copies the show options a
  // one-picture preview takes (order, duration, sound, music, transition, speed, size) into
  // the project.
  virtual void CopyUserSettingsInto(TKyCProject& project) = 0;
  // The stored selected picture when its text names a position below pictureCount exactly.
  virtual std::optional<int> ReadPictureIndex(int pictureCount) = 0;
  virtual void WritePictureIndex(int position) = 0;
  // The stored keys of the unchecked pictures, as text.
  virtual std::vector<std::string> ReadUncheckedPictures() = 0;
  // checked[i]: the mark of picture i of the project's list.
  virtual void WriteUncheckedPictures(const std::vector<bool>& checked) = 0;
};

class TConfigServices {
 public:
  virtual ~TConfigServices() = default;
  virtual TConfigStore& Store() = 0;
  // The saver's own long path (the wallpaper file is written beside it).
  virtual std::string SaverPath() const = 0;
  // Whether the saver runs as ".scr" or with "/C" (the application then takes the saver's name).
  virtual bool RunsAsConfiguredSaver() const = 0;
  virtual void OpenUrl(const std::string& address) = 0;
  // A Yes/No question; true for Yes.
  virtual bool Confirm(QWidget* owner, const std::string& text) = 0;
  virtual void ShowError(QWidget* owner, const std::string& text) = 0;
  // Makes the picture file the desktop wallpaper; false when no desktop took it.
  virtual bool SetWallpaper(const std::string& bmpPath) = 0;
  // Runs the show of a one-picture project, modally, merging the user's settings first.
  virtual void PreviewShow(TKyCProject& onePictureProject) = 0;
  // The settings dialog, owned by the window that opens it. Until the dialog exists it does
  // nothing.
  virtual void OpenSettings(QWidget& owner, TKyCProject& project) {}
};

}  // namespace ky
