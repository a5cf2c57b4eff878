// Any text as a command line (UTF-16 code units, two bytes each, low byte
// first): splitting must end, make progress and give back arguments that
// survive being quoted and split again. The same bytes as a file list of
// either kind: its names must not depend on how the bytes arrive.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "console/FileList.h"
#include "console/Options.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Unicode.h"

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
// not begin with "-" and are no file list's name or job count (each the
// argument after its option), and every argument after the first "--", in
// order; the lists' names are the arguments after their options, or the
// text after their "=".
void CheckOptions(const std::vector<std::u16string>& Arguments) {
  const TParsedOptions parsed = ParseOptions(Arguments);
  if (parsed.Refusal) {
    Require(!parsed.Refusal->Message.empty(), "a refusal says why");
    return;
  }
  std::vector<std::u16string> paths;
  std::vector<std::u16string> lists;
  bool pathsOnly = false;
  for (std::size_t i = 0; i < Arguments.size(); ++i) {
    const std::u16string& argument = Arguments[i];
    if (!pathsOnly && argument == u"--") {
      pathsOnly = true;
    } else if (!pathsOnly && (argument == u"-j" || argument == u"--jobs")) {
      ++i;  // the count; a bad one is refused, unless help won
    } else if (!pathsOnly && (argument == u"--files-from" || argument == u"--files0-from")) {
      if (i + 1 < Arguments.size()) {  // else refused, unless help won
        lists.push_back(Arguments[++i]);
      }
    } else if (!pathsOnly && (argument.rfind(u"--files-from=", 0) == 0 ||
                              argument.rfind(u"--files0-from=", 0) == 0)) {
      const std::u16string value = argument.substr(argument.find(u'=') + 1);
      if (!value.empty()) {  // else refused, unless help won
        lists.push_back(value);
      }
    } else if (pathsOnly || argument.empty() || argument[0] != u'-') {
      paths.push_back(argument);
    }
  }
  Require(parsed.Options.Paths == paths, "paths are the arguments that are no options, in order");
  for (std::size_t i = 0; i < lists.size(); ++i) {
    Require(i < parsed.Options.FileLists.size() && parsed.Options.FileLists[i].Name == lists[i],
            "a list option takes the next argument as the list's name");
  }
}

struct TListNames {
  std::vector<std::string> Names;
  bool HeldNul = false;
};

TListNames SplitList(std::string_view Bytes, TListSeparator Separator, std::size_t Piece) {
  TNameSplitter splitter(Separator);
  TListNames list;
  const auto takeNames = [&] {
    while (std::optional<std::string> name = splitter.Next()) {
      list.Names.push_back(std::move(*name));
    }
  };
  for (std::size_t at = 0; at < Bytes.size(); at += Piece) {
    splitter.Add(Bytes.substr(at, Piece));
    takeNames();
  }
  splitter.End();
  takeNames();
  list.HeldNul = splitter.HeldNul();
  return list;
}

// Names are never empty, never hold their separator, come out the same in
// any pieces, and give back their bytes once made paths.
void CheckFileList(std::string_view Bytes, std::size_t Piece) {
  for (const TListSeparator separator : {TListSeparator::Line, TListSeparator::Nul}) {
    const TListNames whole = SplitList(Bytes, separator, Bytes.size() + 1);
    const TListNames pieces = SplitList(Bytes, separator, Piece);
    Require(whole.Names == pieces.Names && whole.HeldNul == pieces.HeldNul,
            "the names do not depend on the pieces");
    const char end = separator == TListSeparator::Line ? '\n' : '\0';
    for (const std::string& name : whole.Names) {
      Require(!name.empty() && name.find(end) == std::string::npos, "a name is one whole name");
      const std::u16string path = platform::Utf8ToUtf16(name, platform::TInvalidUtf8::Escape);
      Require(platform::Utf16ToUtf8(path, platform::TLoneSurrogate::Unescape) == name,
              "a path keeps the bytes of its name");
    }
  }
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
  const std::size_t piece = Size > 0 ? Data[0] % 17 + 1 : 1;
  fuzz::CheckFileList(std::string_view(reinterpret_cast<const char*>(Data), Size), piece);
  return 0;
}
