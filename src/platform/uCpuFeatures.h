#pragma once
// Which kernel levels the hot paths may use. Every dispatch table (surface kernels, resize, water
// engine) picks the widest level that the processor runs and that KYSAVER_DISABLE leaves on, so a
// fast path can be switched off for testing or to rule it out when hunting a fault:
//   KYSAVER_DISABLE=avx2    no AVX2 kernels
//   KYSAVER_DISABLE=sse41   no SSE4.1 kernels (AVX2 ones stay, where the processor has them)
//   KYSAVER_DISABLE=fast    the plain reference kernels only
// Several names may be given, separated by commas or blanks, in any case.
#include <string>
#include <vector>

namespace ky {

enum class TKernelLevel { Reference, Sse41, Avx2 };

// The name used in KYSAVER_DISABLE and in test names.
const char* KernelLevelName(TKernelLevel level);

// Whether the processor can run kernels of this level (the environment is not consulted).
bool ProcessorRuns(TKernelLevel level);

// Whether a KYSAVER_DISABLE text turns this level off.
bool DisabledBy(const std::string& disableText, TKernelLevel level);

// Whether the level may be used: the processor runs it and KYSAVER_DISABLE (read once) leaves it on.
bool KernelLevelEnabled(TKernelLevel level);

// The widest enabled level.
TKernelLevel WidestKernelLevel();

// Every level the processor runs, narrowest first, whatever the environment says: the kernel
// tests compare each of them with the reference.
std::vector<TKernelLevel> RunnableKernelLevels();

}  // namespace ky
