#include "console/Main.h"

#include <array>
#include <exception>
#include <string>
#include <vector>

#include "console/Banner.h"
#include "console/CommandLine.h"
#include "console/ExitCode.h"
#include "console/FileActions.h"
#include "console/Options.h"
#include "console/Progress.h"
#include "console/Traversal.h"
#include "console/WideConsole.h"
#include "output/CsvPrinter.h"
#include "output/JsonPrinter.h"
#include "output/VerifyPrinter.h"
#include "platform/CodePage.h"
#include "platform/Process.h"

namespace kestrix {

namespace {

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

// The command lines the program has always taken, with their old meaning:
// none, a help word first, one argument (always a path), or "--recursive"
// and one path.
bool IsClassicForm(const TCommandLine& CommandLine) {
  const int count = CommandLine.GetArgumentCount();
  const std::u16string first = CommandLine.GetArgument(1);
  return count <= 1 || IsHelpWord(first) || (count == 2 && first == RecursiveSwitch);
}

TExitCode RunClassic(const TCommandLine& CommandLine) {
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
  TReportAction action;
  const auto progress = StartProgress(StdOut->IsConsole());
  TWalk walk;
  walk.Action = &action;
  walk.Recursive = recursive;
  walk.Progress = progress.get();
  if (!ProcessPath(path, walk)) {
    ShowUsage();
    PrintLine();
    PrintFormatLine(u"FILE NOT FOUND: '%s'", {path});
    return ecUsage;
  }
  return walk.FailedFiles > 0 ? ecErrorPrinted : ecSuccess;
}

std::vector<std::u16string> ArgumentsOf(const TCommandLine& CommandLine) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i <= CommandLine.GetArgumentCount(); ++i) {
    arguments.push_back(CommandLine.GetArgument(i));
  }
  return arguments;
}

// The report reads each file with its own reader; the judging forms print
// what the analysis found.
std::unique_ptr<TFileAction> MakeAction(TOutputForm Form) {
  switch (Form) {
    case TOutputForm::Json:
      return std::make_unique<TCheckAction>(std::make_unique<TJsonPrinter>());
    case TOutputForm::Csv:
      return std::make_unique<TCheckAction>(std::make_unique<TCsvPrinter>());
    case TOutputForm::Verify:
      return std::make_unique<TCheckAction>(std::make_unique<TVerifyPrinter>());
    case TOutputForm::Report:
      break;
  }
  return std::make_unique<TReportAction>();
}

// JSON and CSV own standard output: no banner, no usage, and what a person
// must know goes to standard error.
bool IsMachineReadable(TOutputForm Form) {
  return Form == TOutputForm::Json || Form == TOutputForm::Csv;
}

void ShowNotFound(const std::vector<std::u16string>& Missing, TOutputForm Form) {
  const std::u16string_view format = u"FILE NOT FOUND: '%s'";
  if (IsMachineReadable(Form)) {
    for (const std::u16string& path : Missing) {
      platform::WriteStdError(platform::Narrow(ConsoleSafeText(FormatText(format, {path}))));
    }
    return;
  }
  ShowUsage();
  PrintLine();
  for (const std::u16string& path : Missing) {
    PrintFormatLine(format, {path});
  }
}

// Every path in order, each walked on its own; then one not-found line for
// each path that matched nothing.
TExitCode ProcessPaths(const TOptions& Options) {
  int failedFiles = 0;
  std::vector<std::u16string> missing;
  const std::unique_ptr<TFileAction> action = MakeAction(Options.Form);
  {
    const auto progress = StartProgress(StdOut->IsConsole());
    action->Start();
    for (const std::u16string& path : Options.Paths) {
      TWalk walk;
      walk.Action = action.get();
      walk.Recursive = Options.Recursive;
      walk.Progress = progress.get();
      if (!ProcessPath(path, walk)) {
        missing.push_back(path);
      }
      failedFiles += walk.FailedFiles;
    }
    action->Finish();
  }
  TExitCode code = failedFiles > 0 ? ecErrorPrinted : ecSuccess;
  if (action->AnyBad()) {
    code = CombineExitCodes(code, ecFileBad);
  }
  if (missing.empty()) {
    return code;
  }
  ShowNotFound(missing, Options.Form);
  return CombineExitCodes(code, ecUsage);
}

// The banner, then the help, the refusal or the usage of a command line
// that reports no file.
TExitCode ShowInsteadOfRunning(const TCommandLine& CommandLine, const TParsedOptions& Parsed) {
  ShowBanner(CommandLine.GetArgument(0));
  PrintLine();
  if (Parsed.Options.Help) {
    ShowUsage();
    PrintLine();
    ShowNotes();
    PrintLine();
    ShowOptions();
    return ecSuccess;
  }
  if (Parsed.Refusal) {
    PrintLine(Parsed.Refusal->Message);
  }
  ShowUsage();
  return ecUsage;
}

// What Show prints goes to standard error instead, line by line, so that
// a parser reading standard output gets nothing but its form.
template <typename TShow>
TExitCode OnStdError(TShow Show) {
  std::u16string text;
  std::unique_ptr<TWideStdOut> output = std::move(StdOut);
  StdOut = std::make_unique<TWideStdOut>(text);
  const TExitCode code = Show();
  StdOut = std::move(output);
  std::size_t start = 0;
  for (std::size_t end = text.find(LineEnd); end != std::u16string::npos;
       end = text.find(LineEnd, start)) {
    platform::WriteStdError(platform::Narrow(ConsoleSafeText(text.substr(start, end - start))));
    start = end + LineEnd.size();
  }
  return code;
}

TExitCode RunWithOptions(const TCommandLine& CommandLine) {
  const TParsedOptions parsed = ParseOptions(ArgumentsOf(CommandLine));
  const TOptions& options = parsed.Options;
  if (options.Utf8 && StdOut) {
    StdOut->UseUtf8();
  }
  const bool runs = !options.Help && !parsed.Refusal && !options.Paths.empty();
  if (!runs && options.MachineReadable) {
    return OnStdError([&] { return ShowInsteadOfRunning(CommandLine, parsed); });
  }
  if (!runs) {
    return ShowInsteadOfRunning(CommandLine, parsed);
  }
  if (!IsMachineReadable(options.Form)) {
    ShowBanner(CommandLine.GetArgument(0));
    PrintLine();
  }
  return ProcessPaths(options);
}

// Everything the guard of the main routine covers.
TExitCode Run(const TCommandLine& CommandLine) {
  return IsClassicForm(CommandLine) ? RunClassic(CommandLine) : RunWithOptions(CommandLine);
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
    exitCode = CombineExitCodes(exitCode, ecErrorPrinted);
  }
  if (StdOut->AnyWriteFailed()) {
    // A reader that stopped reading (a pipe into head, say) wanted no more.
    if (!StdOut->IsReaderClosed()) {
      platform::WriteStdError("Standard output could not be written: the report is incomplete.");
    }
    exitCode = CombineExitCodes(exitCode, ecNoOutput);
  }
  StdOut.reset();
  return exitCode;
}

}  // namespace kestrix
