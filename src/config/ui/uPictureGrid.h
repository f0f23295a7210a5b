#pragma once
// What a configuration window asks of a thumbnail grid control: the picture list, the check
// mark of each picture, the selected cell, and a report when the user selects a picture. A grid
// class implements this and registers itself in the class registry; the window feeds every
// component that implements it.
#include <functional>
#include <string>
#include <vector>

namespace ky {

class TPictureGrid {
 public:
  virtual ~TPictureGrid() = default;
  virtual void SetFiles(const std::vector<std::string>& files) = 0;
  virtual void SetChecked(int index, bool checked) = 0;
  virtual bool Checked(int index) const = 0;
  virtual void SelectIndex(int index) = 0;
  virtual void RepaintGrid() = 0;
  // Set by the window: called with the picture the user selected.
  std::function<void(int index)> OnSelectPicture;
};

}  // namespace ky
