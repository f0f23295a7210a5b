#pragma once
// Makes the thumbnails of a file list on worker threads, in list order, and hands each one over
// as soon as it is made.
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "config/ui/thumbnails/uThumbnailSource.h"

namespace ky {

class TThumbnailLoader {
 public:
  // Called on a worker thread with the file's index and its thumbnail.
  using TDelivery = std::function<void(size_t index, TThumbnail thumbnail)>;

  // threads 0: one per processor.
  TThumbnailLoader(std::vector<std::string> files, int width, int height, TDelivery deliver, unsigned threads = 0);
  // Takes no further file and waits for the files being made.
  ~TThumbnailLoader();
  TThumbnailLoader(const TThumbnailLoader&) = delete;
  TThumbnailLoader& operator=(const TThumbnailLoader&) = delete;

 private:
  void Work();

  const std::vector<std::string> FFiles;
  const int FWidth, FHeight;
  const TDelivery FDeliver;
  std::atomic<size_t> FNext{0};
  std::atomic<bool> FStop{false};
  std::vector<std::thread> FWorkers;
};

}  // namespace ky
