#include "platform/uCpuFeatures.h"

#include <cctype>
#include <cstdlib>

namespace ky {

namespace {

bool HasWord(const std::string& text, const std::string& word) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ',' || text[i] == ' ' || text[i] == '\t')) ++i;
    size_t j = i;
    while (j < text.size() && text[j] != ',' && text[j] != ' ' && text[j] != '\t') ++j;
    if (j - i == word.size()) {
      bool same = true;
      for (size_t k = 0; k < word.size() && same; ++k)
        same = std::tolower(static_cast<unsigned char>(text[i + k])) == word[k];
      if (same) return true;
    }
    i = j;
  }
  return false;
}

const std::string& DisableText() {
  static const std::string text = [] {
    const char* v = std::getenv("KYSAVER_DISABLE");
    return std::string(v ? v : "");
  }();
  return text;
}

}  // namespace

const char* KernelLevelName(TKernelLevel level) {
  switch (level) {
    case TKernelLevel::Reference: return "reference";
    case TKernelLevel::Sse41: return "sse41";
    case TKernelLevel::Avx2: return "avx2";
  }
  return "?";
}

bool ProcessorRuns(TKernelLevel level) {
#if defined(__x86_64__) || defined(__i386__)
  switch (level) {
    case TKernelLevel::Reference: return true;
    case TKernelLevel::Sse41: return __builtin_cpu_supports("sse4.1");
    case TKernelLevel::Avx2: return __builtin_cpu_supports("avx2");
  }
  return false;
#else
  return level == TKernelLevel::Reference;
#endif
}

bool DisabledBy(const std::string& disableText, TKernelLevel level) {
  if (level == TKernelLevel::Reference) return false;
  return HasWord(disableText, "fast") || HasWord(disableText, KernelLevelName(level));
}

bool KernelLevelEnabled(TKernelLevel level) { return ProcessorRuns(level) && !DisabledBy(DisableText(), level); }

TKernelLevel WidestKernelLevel() {
  for (TKernelLevel level : {TKernelLevel::Avx2, TKernelLevel::Sse41})
    if (KernelLevelEnabled(level)) return level;
  return TKernelLevel::Reference;
}

std::vector<TKernelLevel> RunnableKernelLevels() {
  std::vector<TKernelLevel> levels;
  for (TKernelLevel level : {TKernelLevel::Reference, TKernelLevel::Sse41, TKernelLevel::Avx2})
    if (ProcessorRuns(level)) levels.push_back(level);
  return levels;
}

}  // namespace ky
