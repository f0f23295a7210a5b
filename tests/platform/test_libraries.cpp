#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

#include "platform/uLibraries.h"

using namespace ky;

// A library loaded and closed again is unloaded; marked in between, it stays.
TEST(Libraries, AMarkedLibraryStaysAfterItIsClosed) {
  const char* name = "libz.so.1";
  auto loaded = [&] {
    void* h = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
  };
  if (loaded()) GTEST_SKIP() << name << " is linked in already";
  void* h = dlopen(name, RTLD_NOW);
  ASSERT_NE(h, nullptr) << dlerror();
  dlclose(h);
  ASSERT_FALSE(loaded()) << "closed once, the library should be gone";
  h = dlopen(name, RTLD_NOW);
  ASSERT_NE(h, nullptr);
  // The file as the process maps it (links resolved), named by its last part.
  link_map* map = nullptr;
  ASSERT_EQ(dlinfo(h, RTLD_DI_LINKMAP, &map), 0);
  char real[PATH_MAX];
  ASSERT_NE(realpath(map->l_name, real), nullptr);
  const std::string file = real;
  EXPECT_EQ(KeepLibrariesLoaded(file.substr(file.rfind('/'))), 1);
  EXPECT_EQ(KeepLibrariesLoaded(".no-such-ending"), 0);
  dlclose(h);
  EXPECT_TRUE(loaded());
}
