#include "config/ui/thumbnails/uThumbnailLoader.h"

#include <algorithm>

namespace ky {

TThumbnailLoader::TThumbnailLoader(std::vector<std::string> files, int width, int height, TDelivery deliver,
                                   unsigned threads)
    : FFiles(std::move(files)), FWidth(width), FHeight(height), FDeliver(std::move(deliver)) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, FFiles.size()));
  for (unsigned i = 0; i < threads; ++i) FWorkers.emplace_back([this] { Work(); });
}

TThumbnailLoader::~TThumbnailLoader() {
  FStop = true;
  for (std::thread& t : FWorkers) t.join();
}

void TThumbnailLoader::Work() {
  while (!FStop) {
    const size_t i = FNext++;
    if (i >= FFiles.size()) return;
    TThumbnail t = MakeThumbnail(FFiles[i], FWidth, FHeight);
    if (FStop) return;
    FDeliver(i, std::move(t));
  }
}

}  // namespace ky
