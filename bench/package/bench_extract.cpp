// Unpacking a 64 MiB saver (the scan of the executable, the four sections, the media bundle)
// against `cp` of the same file, measured in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "app/uCommonUtil.h"
#include "app/uExtractPackage.h"
#include "package/uPackage.h"

namespace {

std::string BenchDir() {
  const char* t = std::getenv("TMPDIR");
  return std::string(t && *t ? t : "/tmp") + "/kysaver-bench-" + std::to_string(getpid());
}

// 4 MiB of player bytes, then 15 media files of 4 MiB: 64 MiB in all.
const std::string& SaverPath() {
  static const std::string path = [] {
    const std::string dir = BenchDir();
    std::system(("mkdir -p '" + dir + "'").c_str());
    std::string player(4u << 20, '\0');
    uint32_t x = 12345;
    for (char& c : player) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    std::vector<std::string> media;
    std::string names, files = "[FileList]\r\n";
    for (int k = 0; k < 15; ++k) {
      media.emplace_back(4u << 20, static_cast<char>('a' + k));
      names += (k ? "\r\n" : "") + std::string("KyImage") + std::to_string(k) + ".jpg";
      files += "KyImage" + std::to_string(k) + ".jpg=1\r\n";
    }
    const std::string project = ky::BuildPackage({files, "[Default]\r\n", "[UI]\r\n"});
    std::ofstream out(dir + "/Bench.scr", std::ios::binary);
    out << player << ky::BuildPackage({project, names, ky::BuildPackage(media), ""});
    return dir + "/Bench.scr";
  }();
  return path;
}

void BM_FindAndExtractPackage(benchmark::State& state) {
  const std::string exe = SaverPath();
  for (auto _ : state) {
    ky::TWorkFolder work(BenchDir() + "/work", getpid());
    ky::TKyCProject project;
    ky::ExtractPackage(project, exe, work);
    state.PauseTiming();
    ky::RemoveExtractedFiles(work);
    work.CleanWorkRoot();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (64 << 20));
}
BENCHMARK(BM_FindAndExtractPackage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CpSameFile(benchmark::State& state) {
  const std::string exe = SaverPath();
  const std::string copy = BenchDir() + "/copy.scr";
  const std::string cmd = "cp '" + exe + "' '" + copy + "'";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp failed");
    state.PauseTiming();
    unlink(copy.c_str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (64 << 20));
}
BENCHMARK(BM_CpSameFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::system(("rm -rf '" + BenchDir() + "'").c_str());
  return 0;
}
