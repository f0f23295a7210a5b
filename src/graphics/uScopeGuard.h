#pragma once
// Runs a function when the scope ends, however it ends: the library adapters release the
// structures of their C libraries with it.
#include <utility>

namespace ky {

template <typename F>
class TScopeGuard {
 public:
  explicit TScopeGuard(F f) : FFunc(std::move(f)) {}
  ~TScopeGuard() { FFunc(); }
  TScopeGuard(const TScopeGuard&) = delete;
  TScopeGuard& operator=(const TScopeGuard&) = delete;

 private:
  F FFunc;
};

}  // namespace ky
