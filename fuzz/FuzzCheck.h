#pragma once

#include <cstdio>
#include <cstdlib>

namespace kestrix::fuzz {

// A property that must hold for every input: a failure stops the fuzzer
// and keeps the input as a crash artifact.
inline void Require(bool Holds, const char* What) {
  if (!Holds) {
    std::fprintf(stderr, "property failed: %s\n", What);
    std::abort();
  }
}

}  // namespace kestrix::fuzz
