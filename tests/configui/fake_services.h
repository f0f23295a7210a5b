#pragma once
// Services of the configuration windows that record what the windows ask of them.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/ui/uConfigServices.h"
#include "package/uCreatorProject.h"

namespace kytest {

// A store in memory. ReadPictureIndex answers the held index as it is when it lies inside the
// list (the file rules are the real store's and are tested with it).
class TFakeStore final : public ky::TConfigStore {
 public:
  bool Enabled = true;
  std::optional<int> Index;
  std::vector<std::string> Unchecked;
  std::vector<int> WrittenIndexes;
  std::vector<std::vector<bool>> WrittenChecks;
  int Copies = 0;

  bool UserSettingsEnabled() const override { return Enabled; }
  void CopyUserSettingsInto(ky::TKyCProject&) override { ++Copies; }
  std::optional<int> ReadPictureIndex(int count) override {
    if (Index && *Index >= 0 && *Index < count) return Index;
    return std::nullopt;
  }
  void WritePictureIndex(int position) override { WrittenIndexes.push_back(position); }
  std::vector<std::string> ReadUncheckedPictures() override { return Unchecked; }
  void WriteUncheckedPictures(const std::vector<bool>& checked) override { WrittenChecks.push_back(checked); }
};

class TFakeServices final : public ky::TConfigServices {
 public:
  TFakeStore FakeStore;
  ky::TConfigStore* RealStore = nullptr;  // used instead of FakeStore when set
  std::string Saver = "/nowhere/Garden.scr";
  bool ConfirmAnswer = true;
  std::vector<std::string> Urls, Questions, Errors, Wallpapers;
  // Each preview show: its pictures and the settings it was given.
  std::vector<std::vector<std::string>> PreviewPictures;
  std::vector<ky::TKyCSetting> PreviewSettings;
  int SettingsOpened = 0;

  ky::TConfigStore& Store() override { return RealStore ? *RealStore : FakeStore; }
  std::string SaverPath() const override { return Saver; }
  bool RunsAsConfiguredSaver() const override { return false; }
  void OpenUrl(const std::string& address) override { Urls.push_back(address); }
  bool Confirm(QWidget*, const std::string& text) override {
    Questions.push_back(text);
    return ConfirmAnswer;
  }
  void ShowError(QWidget*, const std::string& text) override { Errors.push_back(text); }
  bool SetWallpaper(const std::string& path) override {
    Wallpapers.push_back(path);
    return true;
  }
  void PreviewShow(ky::TKyCProject& project) override {
    PreviewPictures.push_back(project.FileList().Names);
    PreviewSettings.push_back(project.Setting());
  }
  void OpenSettings(QWidget&, ky::TKyCProject&) override { ++SettingsOpened; }
};

}  // namespace kytest
