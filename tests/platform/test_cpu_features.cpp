#include <gtest/gtest.h>

#include "platform/uCpuFeatures.h"

using ky::DisabledBy;
using ky::TKernelLevel;

TEST(CpuFeatures, DisableTextTurnsOffTheNamedLevelsOnly) {
  struct Case {
    const char* text;
    bool sse41, avx2;
  } cases[] = {
      {"", false, false},          {"avx2", false, true},       {"sse41", true, false},
      {"fast", true, true},        {"sse41,avx2", true, true},  {" avx2  sse41 ", true, true},
      {"avx", false, false},       {"avx2x", false, false},     {"FAST", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_FALSE(DisabledBy(c.text, TKernelLevel::Reference));
    EXPECT_EQ(DisabledBy(c.text, TKernelLevel::Sse41), c.sse41);
    EXPECT_EQ(DisabledBy(c.text, TKernelLevel::Avx2), c.avx2);
  }
}

TEST(CpuFeatures, TheReferenceLevelAlwaysRunsAndComesFirst) {
  const auto levels = ky::RunnableKernelLevels();
  ASSERT_FALSE(levels.empty());
  EXPECT_EQ(levels.front(), TKernelLevel::Reference);
  EXPECT_TRUE(ky::KernelLevelEnabled(ky::WidestKernelLevel()));
}
