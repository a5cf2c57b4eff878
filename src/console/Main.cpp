#include "console/Main.h"

#include <array>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "console/AnalysisQueue.h"
#include "console/Banner.h"
#include "console/CommandLine.h"
#include "console/ExitCode.h"
#include "console/FileActions.h"
#include "console/FileList.h"
#include "console/Options.h"
#include "console/Progress.h"
#include "console/Traversal.h"
#include "output/CsvPrinter.h"
#include "output/JsonPrinter.h"
#include "output/ReportPrinter.h"
#include "output/VerifyPrinter.h"
#include "platform/CodePage.h"
#include "platform/Process.h"
#include "text/WideWriter.h"

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

TExitCode RunClassic(TWideStdOut& Output, const TCommandLine& CommandLine) {
  ShowBanner(Output, CommandLine.GetArgument(0));
  Output.WriteLine();

  const std::u16string first = CommandLine.GetArgument(1);
  const bool recursive = first == RecursiveSwitch;
  const int fileArgIndex = recursive ? 2 : 1;

  if (IsHelpWord(first)) {
    ShowUsage(Output);
    Output.WriteLine();
    ShowNotes(Output);
    return ecSuccess;
  }
  if (CommandLine.GetArgumentCount() != fileArgIndex) {
    ShowUsage(Output);
    return ecUsage;
  }

  const std::u16string path = CommandLine.GetArgument(fileArgIndex);
  TReportAction action(Output);
  const auto progress = StartProgress(Output.IsConsole());
  TWalk walk;
  walk.Action = &action;
  walk.Output = &Output;
  walk.Recursive = recursive;
  walk.Jobs = DefaultJobs();
  walk.Progress = progress.get();
  std::optional<std::u16string> next = path;
  WalkPaths([&next] { return std::exchange(next, std::nullopt); }, walk);
  if (!walk.Missing.empty()) {
    ShowUsage(Output);
    Output.WriteLine();
    Output.WriteFormatLine(u"FILE NOT FOUND: '%s'", {path});
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

// The printer of a judging form; none for the report.
std::unique_ptr<TPrinter> MakePrinter(const TOptions& Options, TTextWriter& Output) {
  switch (Options.Form) {
    case TOutputForm::Json:
      return std::make_unique<TJsonPrinter>(Output);
    case TOutputForm::Csv:
      return std::make_unique<TCsvPrinter>(Output);
    case TOutputForm::Verify:
      return std::make_unique<TVerifyPrinter>(Output, Options.Quiet);
    case TOutputForm::Report:
      break;
  }
  return nullptr;
}

// Every form prints what the analysis found: the report its tag, the
// judging forms their verdicts.
std::unique_ptr<TFileAction> MakeAction(const TOptions& Options, TTextWriter& Output) {
  std::unique_ptr<TPrinter> printer = MakePrinter(Options, Output);
  if (!printer) {
    return std::make_unique<TReportAction>(Output);
  }
  if (Options.Summary) {
    printer->KeepLibrarySummary();
  }
  return std::make_unique<TCheckAction>(std::move(printer));
}

// JSON and CSV own standard output: no banner, no usage, and what a person
// must know goes to standard error.
bool IsMachineReadable(TOutputForm Form) {
  return Form == TOutputForm::Json || Form == TOutputForm::Csv;
}

void ShowNotFound(TTextWriter& Output, const std::vector<std::u16string>& Missing,
                  TOutputForm Form) {
  const std::u16string_view format = u"FILE NOT FOUND: '%s'";
  if (IsMachineReadable(Form)) {
    TStdErrorWriter errors;
    for (const std::u16string& path : Missing) {
      // One line for each path, whatever line ends its name holds.
      errors.WriteLine(ConsoleSafeText(FormatText(format, {path})));
    }
    return;
  }
  ShowUsage(Output);
  Output.WriteLine();
  for (const std::u16string& path : Missing) {
    Output.WriteFormatLine(format, {path});
  }
}

// The lists that ended before their end, each a line on standard error.
TExitCode ShowListFailures(const TPathSource& Paths) {
  const std::vector<std::u16string> failures = Paths.Failures();
  TStdErrorWriter errors;
  for (const std::u16string& failure : failures) {
    errors.WriteLine(failure);
  }
  return failures.empty() ? ecSuccess : ecUsage;
}

// Every path in order, each walked on its own; then one not-found line for
// each path that matched nothing.
TExitCode ProcessPaths(TWideStdOut& Output, const TOptions& Options, TPathSource& Paths) {
  const std::unique_ptr<TFileAction> action = MakeAction(Options, Output);
  TWalk walk;
  walk.Action = action.get();
  walk.Output = &Output;
  walk.Recursive = Options.Recursive;
  walk.Jobs = Options.Jobs > 0 ? Options.Jobs : DefaultJobs();
  {
    const auto progress = StartProgress(Output.IsConsole());
    walk.Progress = progress.get();
    action->Start();
    WalkPaths([&Paths] { return Paths.Next(); }, walk);
    action->Finish();
  }
  TExitCode code = walk.FailedFiles > 0 ? ecErrorPrinted : ecSuccess;
  if (action->AnyBad()) {
    code = CombineExitCodes(code, ecFileBad);
  }
  if (!walk.Missing.empty()) {
    ShowNotFound(Output, walk.Missing, Options.Form);
    code = CombineExitCodes(code, ecUsage);
  }
  return CombineExitCodes(code, ShowListFailures(Paths));
}

// The banner, then the help, the refusal or the usage of a command line
// that reports no file.
TExitCode ShowHelpOrUsage(TTextWriter& Output, const TCommandLine& CommandLine,
                          const TParsedOptions& Parsed) {
  ShowBanner(Output, CommandLine.GetArgument(0));
  Output.WriteLine();
  if (Parsed.Options.Help) {
    ShowUsage(Output);
    Output.WriteLine();
    ShowNotes(Output);
    Output.WriteLine();
    ShowOptions(Output);
    return ecSuccess;
  }
  if (Parsed.Refusal) {
    Output.WriteLine(Parsed.Refusal->Message);
  }
  ShowUsage(Output);
  return ecUsage;
}

TExitCode ShowInsteadOfRunning(TWideStdOut& Output, const TCommandLine& CommandLine,
                               const TParsedOptions& Parsed) {
  if (Parsed.Options.MachineReadable) {
    // A parser reading standard output gets nothing but its form.
    TStdErrorWriter errors;
    return ShowHelpOrUsage(errors, CommandLine, Parsed);
  }
  return ShowHelpOrUsage(Output, CommandLine, Parsed);
}

TExitCode RunWithOptions(TWideStdOut& Output, const TCommandLine& CommandLine) {
  const TParsedOptions parsed = ParseOptions(ArgumentsOf(CommandLine));
  const TOptions& options = parsed.Options;
  if (options.Encoding) {
    Output.UseEncoding(*options.Encoding);
  }
  if (options.Version && !options.Help) {
    ShowVersion(Output, CommandLine.GetArgument(0));
    return ecSuccess;
  }
  if (options.Help || parsed.Refusal) {
    return ShowInsteadOfRunning(Output, CommandLine, parsed);
  }
  TPathSource paths(options.Paths, options.FileLists);
  if (const std::optional<std::u16string> failure = paths.Open()) {
    TStdErrorWriter errors;
    errors.WriteLine(*failure);
    return ecUsage;
  }
  if (!paths.AnyPath()) {
    return ShowInsteadOfRunning(Output, CommandLine, parsed);
  }
  // A quiet run shows only what needs attention: not even the banner.
  if (!IsMachineReadable(options.Form) && !options.Quiet) {
    ShowBanner(Output, CommandLine.GetArgument(0));
    Output.WriteLine();
  }
  return ProcessPaths(Output, options, paths);
}

// Everything the guard of the main routine covers.
TExitCode Run(TWideStdOut& Output, const TCommandLine& CommandLine) {
  return IsClassicForm(CommandLine) ? RunClassic(Output, CommandLine)
                                    : RunWithOptions(Output, CommandLine);
}

}  // namespace

int RunMain(int ArgumentCount, char** Arguments) {
  std::optional<TWideStdOut> output;
  try {
    output.emplace();
  } catch (const std::exception& error) {
    platform::WriteStdError(error.what());
    return ecNoOutput;
  }

  TExitCode exitCode = ecSuccess;
  try {
    exitCode = Run(*output, TCommandLine(platform::GetSystemCommandLine(ArgumentCount, Arguments)));
  } catch (const std::exception& error) {
    PrintError(*output, error);
    exitCode = CombineExitCodes(exitCode, ecErrorPrinted);
  }
  if (output->AnyWriteFailed()) {
    // A reader that stopped reading (a pipe into head, say) wanted no more.
    if (!output->IsReaderClosed()) {
      platform::WriteStdError("Standard output could not be written: the report is incomplete.");
    }
    exitCode = CombineExitCodes(exitCode, ecNoOutput);
  }
  return exitCode;
}

}  // namespace kestrix
