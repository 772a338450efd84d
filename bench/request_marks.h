// Where the counted part of a benchmark run begins and ends, for Wine's
// server trace: with WINEDEBUG=+server the server writes one line per request
// to the stderr of the program that started it, and this program writes its
// marks there too. bench/count_requests.sh counts the requests of this
// program's threads between the marks.
#pragma once
#include <windows.h>

#include <cstdio>

inline void MarkRequests(const char* what) {
  std::fprintf(stderr, "MARK %04lx %s\n", ::GetCurrentThreadId(), what);
  std::fflush(stderr);
}
