#include "platform/uLibraries.h"

#include <dlfcn.h>

#include <fstream>
#include <set>
#include <sstream>

namespace ky {

int KeepLibrariesLoaded(const std::string& ending) {
  std::ifstream maps("/proc/self/maps");
  std::set<std::string> paths;
  std::string line;
  while (std::getline(maps, line)) {
    // address perms offset device inode path
    std::istringstream fields(line);
    std::string address, perms, offset, device, inode, path;
    if (!(fields >> address >> perms >> offset >> device >> inode >> path)) continue;
    if (path.size() >= ending.size() && path.compare(path.size() - ending.size(), ending.size(), ending) == 0)
      paths.insert(path);
  }
  int marked = 0;
  // RTLD_NOLOAD finds the library already there; RTLD_NODELETE then keeps it. The handle is
  // left open on purpose.
  for (const std::string& p : paths)
    if (dlopen(p.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr) ++marked;
  return marked;
}

}  // namespace ky
