#pragma once

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>

// An error manager for libjpeg that returns instead of ending the process: an error jumps back
// to the setjmp point on jump, and messages are dropped, since a failed image is a false result.
// Warnings are still counted in manager.num_warnings.
struct JpegErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// Sets up trap and returns its manager, for the err member of a libjpeg object.
jpeg_error_mgr* InstallJpegErrorTrap(JpegErrorTrap& trap);
