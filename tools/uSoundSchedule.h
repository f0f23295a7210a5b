#pragma once
// A scene's sound schedule run on the virtual clock by the show's own scheduler, noting the
// tick at which each slot starts: what "kysaver-tool scene --sheet" prints under the sheet.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/uTicks.h"

namespace ky {

class TProject;

class TSoundScheduleLog {
 public:
  // Sound files are looked for as the saver looks for them, with folder (a trailing "/") as
  // the folder of the extracted files.
  TSoundScheduleLog(const TTickSource& clock, const TProject& scene, const std::string& folder);
  ~TSoundScheduleLog();
  TSoundScheduleLog(const TSoundScheduleLog&) = delete;
  TSoundScheduleLog& operator=(const TSoundScheduleLog&) = delete;

  // Once per frame, before the frame is drawn, as the show does.
  void Tick();
  // One line per used slot: when it started, in seconds from the scene's start.
  std::string Text(const std::string& indent) const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace ky
