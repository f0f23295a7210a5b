#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>

#include "platform/uMemory.h"

#if defined(__SANITIZE_ADDRESS__)
#define KY_TEST_SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KY_TEST_SANITIZED_ALLOCATOR 1
#endif
#endif

using ky::AllocateLarge;

TEST(AllocateLarge, AFreedFrameDoesNotSendTheNextSmallerOneToTheHeap) {
#ifdef KY_TEST_SANITIZED_ALLOCATOR
  GTEST_SKIP() << "the sanitizer's allocator reports no mapped blocks";
#else
  // A 1080p frame freed, then a 720p one: where the allocator had raised its mapping threshold
  // to the freed block's size, the smaller one came from the heap and stayed there when freed.
  const size_t frame1080 = size_t{1920} * 1080 * 4, frame720 = size_t{1280} * 720 * 4;
  void* big = AllocateLarge(frame1080);
  ASSERT_NE(big, nullptr);
  std::free(big);
  const size_t mappedBefore = mallinfo2().hblkhd;
  void* next = AllocateLarge(frame720);
  ASSERT_NE(next, nullptr);
  const size_t mappedAfter = mallinfo2().hblkhd;
  std::free(next);
  EXPECT_GE(mappedAfter - mappedBefore, frame720) << "the 720p frame did not get a mapping of its own";
  EXPECT_EQ(mallinfo2().hblkhd, mappedBefore) << "freeing it did not give the mapping back";
#endif
}
