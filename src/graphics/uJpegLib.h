#pragma once
// Internal: libjpeg's errors, shared by the JPEG reader and writer.
//
// The library's fatal-error callback jumps back to the one setjmp of the function that drives
// the library, which turns the message into an EPictureError. A TScopeGuard created before
// that setjmp destroys the library's structure on every path (normal end, jump or exception),
// and no object with a destructor is created between the setjmp and the calls that may jump,
// so a jump never skips one.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace ky {

struct TJpegErrors {
  jpeg_error_mgr Manager;  // first, so the library's pointer is also ours
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

// Sets up errors with our callbacks and returns the manager for cinfo.err: errors jump, a
// file that ends early is an error, other warnings (stray bytes between markers and the like)
// are tolerated as every viewer does, and nothing is printed.
jpeg_error_mgr* InstallJpegErrors(TJpegErrors& errors);

// Stops the library from one of our callbacks (the progress monitor) with our own message.
[[noreturn]] void StopJpeg(j_common_ptr cinfo, const char* message);

}  // namespace ky
