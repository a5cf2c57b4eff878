#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Process.h"

namespace kestrix {

struct TToken {
  std::u16string Text;
  std::size_t Next = 0;  // where the following token is read from
};

// Reads one token of a command-line text from Position: separators are
// U+0001..U+0020, a quote opens a run taken unchanged up to the next quote,
// an empty quoted pair between tokens is skipped. There is no escape
// character. The text ends at its end or at a NUL.
TToken ReadToken(std::u16string_view Line, std::size_t Position);

// The arguments after the program token, up to the first empty token.
std::vector<std::u16string> SplitCommandLine(std::u16string_view Line);

// The program's arguments. Argument 0 is the running executable's path.
class TCommandLine {
 public:
  explicit TCommandLine(const platform::TSystemCommandLine& System);

  // Index 0: the executable's absolute path (raises EKestrixError when the
  // system cannot tell it); past the last argument: the empty string.
  std::u16string GetArgument(int Index) const;
  int GetArgumentCount() const;

 private:
  std::vector<std::u16string> Arguments;
};

}  // namespace kestrix
