#pragma once
// Libraries mapped into this process.
#include <string>

namespace ky {

// Marks every library mapped into this process whose file name ends with `ending` as never to be
// unloaded (a later dlclose leaves it mapped). Returns how many were marked.
int KeepLibrariesLoaded(const std::string& ending);

}  // namespace ky
