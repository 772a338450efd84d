// Seconds on the performance counter, for the benchmarks' side-by-side runs.
#pragma once
#include <windows.h>

inline double Now() {
  LARGE_INTEGER f, t;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}
