#include "uSmallTextFile.h"

#include <fstream>

namespace ky {

TSmallText ReadSmallTextFile(const std::string& path, size_t maxBytes) {
  TSmallText t;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    t.Result = TSmallText::TResult::CannotOpen;
    return t;
  }
  char buf[65536];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    t.Text.append(buf, static_cast<size_t>(in.gcount()));
    // A file past the bound is not read to its end.
    if (t.Text.size() > maxBytes) {
      t.Result = TSmallText::TResult::TooLarge;
      t.Text.clear();
      return t;
    }
  }
  return t;
}

}  // namespace ky
