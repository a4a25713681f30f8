#pragma once
// Property checks for the fuzz targets: a broken property aborts, so that libFuzzer keeps
// the input as a crash (assert() is compiled out in RelWithDebInfo).

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)
