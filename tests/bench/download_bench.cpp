// The Download figure of `make bench`, run under Wine: fetches URL with CInternet::Download a
// few times and prints the best time in milliseconds and the size received, as "MS BYTES".
// Usage: download_bench URL
#include <windows.h>

#include <cstdio>

#include "support/internet.h"
#include "support/wide_text.h"

int wmain(int argc, wchar_t** argv) {
  constexpr int kRounds = 3;
  if (argc != 2) {
    std::fprintf(stderr, "usage: download_bench URL\n");
    return 2;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double best = 1e300;
  uint32_t size = 0;
  for (int round = 0; round < kRounds; ++round) {
    CInternet internet;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!internet.Download(AsUtf16(argv[1]))) {
      std::fprintf(stderr, "download_bench: the download failed\n");
      return 1;
    }
    QueryPerformanceCounter(&end);
    double took = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                  static_cast<double>(frequency.QuadPart);
    if (took < best) best = took;
    size = internet.GetSize();
  }
  std::printf("%.1f %u\n", best, size);
  return 0;
}
