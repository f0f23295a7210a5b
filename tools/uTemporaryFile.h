#pragma once
// Bytes in a file of a private temporary folder for the life of the object, for readers that
// only read files (the scene loader). Both are removed on destruction.
#include <cstdint>
#include <string>
#include <vector>

namespace ky {

class TTemporaryFile {
 public:
  // name: the file's bare name (its extension may matter to the reader).
  TTemporaryFile(const std::string& name, const void* data, size_t size);
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  const std::string& Path() const { return FPath; }

 private:
  std::string FFolder, FPath;
};

}  // namespace ky
