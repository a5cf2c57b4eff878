#include "console/CommandLine.h"

namespace kestrix {

namespace {

constexpr char16_t Quote = u'"';
constexpr char16_t LastSeparator = u' ';

bool IsAt(std::u16string_view Line, std::size_t Position) {
  return Position < Line.size() && Line[Position] != 0;
}

bool IsSeparator(char16_t C) {
  return C != 0 && C <= LastSeparator;
}

std::size_t SkipSeparators(std::u16string_view Line, std::size_t Position) {
  for (;;) {
    while (IsAt(Line, Position) && IsSeparator(Line[Position])) {
      ++Position;
    }
    const bool emptyPair =
        IsAt(Line, Position + 1) && Line[Position] == Quote && Line[Position + 1] == Quote;
    if (!emptyPair) {
      return Position;
    }
    Position += 2;
  }
}

}  // namespace

TToken ReadToken(std::u16string_view Line, std::size_t Position) {
  TToken token;
  Position = SkipSeparators(Line, Position);
  while (IsAt(Line, Position) && Line[Position] > LastSeparator) {
    if (Line[Position] != Quote) {
      token.Text += Line[Position++];
      continue;
    }
    for (++Position; IsAt(Line, Position) && Line[Position] != Quote; ++Position) {
      token.Text += Line[Position];
    }
    if (IsAt(Line, Position)) {
      ++Position;  // the closing quote
    }
  }
  token.Next = Position;
  return token;
}

std::vector<std::u16string> SplitCommandLine(std::u16string_view Line) {
  std::vector<std::u16string> arguments;
  TToken token = ReadToken(Line, 0);  // the program
  for (;;) {
    token = ReadToken(Line, token.Next);
    if (token.Text.empty()) {
      return arguments;
    }
    arguments.push_back(token.Text);
  }
}

TCommandLine::TCommandLine(const platform::TSystemCommandLine& System)
    : Arguments(System.Text ? SplitCommandLine(*System.Text) : System.Arguments) {}

std::u16string TCommandLine::GetArgument(int Index) const {
  if (Index == 0) {
    return platform::GetExecutablePath();
  }
  if (Index < 0 || Index > GetArgumentCount()) {
    return {};
  }
  return Arguments[static_cast<std::size_t>(Index - 1)];
}

int TCommandLine::GetArgumentCount() const {
  return static_cast<int>(Arguments.size());
}

}  // namespace kestrix
