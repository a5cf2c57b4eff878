#pragma once

#include <array>

namespace kestrix {

enum TExitCode : int {
  ecSuccess = 0,
  ecNoOutput = 1,      // standard output could not be obtained or written
  ecUsage = 2,         // the command line was refused, or a path matched nothing
  ecErrorPrinted = 3,  // a file's report or the run itself ended in an error line
  ecFileBad = 4,       // a judging output form found a file with a bad CRC or length
};

// Where several codes apply, the earlier in this list wins.
inline constexpr std::array<TExitCode, 5> ExitCodePrecedence = {ecNoOutput, ecErrorPrinted,
                                                                ecFileBad, ecUsage, ecSuccess};

// The code of a run for which both A and B apply.
constexpr TExitCode CombineExitCodes(TExitCode A, TExitCode B) {
  for (const TExitCode code : ExitCodePrecedence) {
    if (A == code || B == code) {
      return code;
    }
  }
  return A;
}

}  // namespace kestrix
