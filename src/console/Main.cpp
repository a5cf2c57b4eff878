#include "console/Main.h"

#include <array>
#include <exception>
#include <string>

#include "console/Banner.h"
#include "console/CommandLine.h"
#include "console/Traversal.h"
#include "console/WideConsole.h"
#include "platform/CodePage.h"
#include "platform/Process.h"

namespace kestrix {

namespace {

enum TExitCode : int {
  ecSuccess = 0,
  ecNoOutput = 1,      // standard output could not be obtained or written
  ecUsage = 2,         // wrong argument count, or nothing matched
  ecErrorPrinted = 3,  // a file's report or the run itself ended in an error line
};

const std::u16string RecursiveSwitch = u"--recursive";
constexpr std::array<const char*, 6> HelpWords = {"help", "-help", "--help", "?", "-?", "/?"};

bool IsHelpWord(const std::u16string& Argument) {
  for (const char* word : HelpWords) {
    if (Argument == platform::Widen(word)) {
      return true;
    }
  }
  return false;
}

// Everything the guard of the main routine covers.
TExitCode Run(const TCommandLine& CommandLine) {
  ShowBanner(CommandLine.GetArgument(0));
  PrintLine();

  const std::u16string first = CommandLine.GetArgument(1);
  const bool recursive = first == RecursiveSwitch;
  const int fileArgIndex = recursive ? 2 : 1;

  if (IsHelpWord(first)) {
    ShowUsage();
    PrintLine();
    ShowNotes();
    return ecSuccess;
  }
  if (CommandLine.GetArgumentCount() != fileArgIndex) {
    ShowUsage();
    return ecUsage;
  }

  const std::u16string path = CommandLine.GetArgument(fileArgIndex);
  TWalk walk;
  walk.Recursive = recursive;
  if (!ProcessPath(path, walk)) {
    ShowUsage();
    PrintLine();
    PrintFormatLine(u"FILE NOT FOUND: '%s'", {path});
    return ecUsage;
  }
  return walk.FailedFiles > 0 ? ecErrorPrinted : ecSuccess;
}

}  // namespace

int RunMain(int ArgumentCount, char** Arguments) {
  try {
    StdOut = std::make_unique<TWideStdOut>();
  } catch (const std::exception& error) {
    platform::WriteStdError(error.what());
    return ecNoOutput;
  }

  TExitCode exitCode = ecSuccess;
  try {
    exitCode = Run(TCommandLine(platform::GetSystemCommandLine(ArgumentCount, Arguments)));
  } catch (const std::exception& error) {
    PrintError(error);
    exitCode = ecErrorPrinted;
  }
  if (StdOut->AnyWriteFailed()) {
    // A reader that stopped reading (a pipe into head, say) wanted no more.
    if (!StdOut->IsReaderClosed()) {
      platform::WriteStdError("Standard output could not be written: the report is incomplete.");
    }
    exitCode = ecNoOutput;
  }
  StdOut.reset();
  return exitCode;
}

}  // namespace kestrix
