#pragma once
// Runs a saver's show headless on a virtual clock and writes the frames as PNG pictures.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ky {

struct TRenderRequest {
  std::string Saver;
  std::string OutDir;
  int Frames = 0;
  int Width = 1024, Height = 768;
  uint32_t StartTick = 0;
  std::vector<std::pair<std::string, std::string>> Settings;  // KEY=VALUE, applied last
  bool UserSettings = true;
  std::string Sheet;  // contact sheet of every 10th frame, when set
  std::string Audio;  // the sound of the rendered span as a WAV file, when set
  int AudioChannels = 8;  // the channels the virtual audio device gives (fewer: the fallback player)
  // Frames as the screen shows them: a full-screen working-size frame stretched to the size,
  // as the window stretches it on the CPU.
  bool Screen = false;
};

// Throws TKyError naming the saver, the setting or the file at fault.
void RenderSaver(const TRenderRequest& request);

// "KEY=VALUE" into its two parts; throws TKyError when there is no "=".
std::pair<std::string, std::string> ParseSetting(const std::string& text);

}  // namespace ky
