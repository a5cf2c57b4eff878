// Any text as a command line (UTF-16 code units, two bytes each, low byte
// first): splitting must end, make progress and give back arguments that
// survive being quoted and split again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "console/Options.h"
#include "fuzz/FuzzCheck.h"

namespace kestrix::fuzz {
namespace {

constexpr char16_t Quote = u'"';

std::u16string Utf16Text(const std::uint8_t* Data, std::size_t Size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < Size; i += 2) {
    text += static_cast<char16_t>(Data[i] | (Data[i + 1] << 8));
  }
  return text;
}

void CheckTokens(const std::u16string& Line) {
  std::size_t position = 0;
  for (;;) {
    const TToken token = ReadToken(Line, position);
    Require(token.Next >= position && token.Next <= Line.size(), "a token moves forward");
    Require(token.Text.find(Quote) == std::u16string::npos, "quotes are taken out");
    Require(token.Text.find(u'\0') == std::u16string::npos, "a NUL ends the text");
    if (token.Text.empty()) {
      return;
    }
    Require(token.Next > position, "a token that is not empty consumes text");
    position = token.Next;
  }
}

// What the program makes of its arguments, whatever form they came in.
void CheckArguments(const std::vector<std::u16string>& Arguments) {
  std::u16string line = u"kestrix";
  for (const std::u16string& argument : Arguments) {
    Require(!argument.empty(), "no empty argument");
    line += u" \"" + argument + u"\"";
  }
  Require(SplitCommandLine(line) == Arguments, "quoted arguments split back the same");

  platform::TSystemCommandLine system;
  system.Arguments = Arguments;
  const TCommandLine commandLine(system);
  const int count = commandLine.GetArgumentCount();
  Require(count == static_cast<int>(Arguments.size()), "every argument counts");
  Require(commandLine.GetArgument(count + 1).empty(), "past the last argument is empty");
  for (int i = 1; i <= count; ++i) {
    Require(commandLine.GetArgument(i) == Arguments[static_cast<std::size_t>(i - 1)],
            "arguments keep their order");
  }
}

// Options: without a refusal, the paths are exactly the arguments that do
// not begin with "-", and every argument after the first "--", in order.
void CheckOptions(const std::vector<std::u16string>& Arguments) {
  const TParsedOptions parsed = ParseOptions(Arguments);
  if (parsed.Refusal) {
    Require(!parsed.Refusal->Message.empty(), "a refusal says why");
    return;
  }
  std::vector<std::u16string> paths;
  bool pathsOnly = false;
  for (const std::u16string& argument : Arguments) {
    if (!pathsOnly && argument == u"--") {
      pathsOnly = true;
    } else if (pathsOnly || argument.empty() || argument[0] != u'-') {
      paths.push_back(argument);
    }
  }
  Require(parsed.Options.Paths == paths, "paths are the arguments that are no options, in order");
}

}  // namespace
}  // namespace kestrix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  using namespace kestrix;
  const std::u16string line = fuzz::Utf16Text(Data, Size);
  fuzz::CheckTokens(line);
  const std::vector<std::u16string> arguments = SplitCommandLine(line);

  platform::TSystemCommandLine system;
  system.Text = line;
  fuzz::Require(TCommandLine(system).GetArgumentCount() == static_cast<int>(arguments.size()),
                "the command line splits its text the same way");
  fuzz::CheckArguments(arguments);
  fuzz::CheckOptions(arguments);
  return 0;
}
