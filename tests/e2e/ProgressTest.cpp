// The progress line on standard error of a long redirected run. The run is
// made long by a reader that holds back, so the program waits on a full pipe.
#include <gtest/gtest.h>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

constexpr int Copies = 400;  // reports far beyond what a pipe buffers
const std::string SampleName = "mpeg1-stereo-cbr128.mp3";

TEST(Progress, NotDrawnWhenStandardErrorIsAFile) {
  const std::vector<std::string> arguments(Copies, SampleName);
  const TRunResult run = RunKestrix(arguments, SamplesFolder());
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_NE(FromRedirected(run.Output).find(u"Music CRC:"), std::u16string::npos);
  EXPECT_EQ(run.Errors, "");
}

#ifndef _WIN32
// The terminal comes from script(1) and the slow reader from a shell pipe;
// wine gives a program started from a test no console to draw on.
const std::string Sample = SamplesFolder().string() + "/" + SampleName;

std::string ManyReports() {
  std::string command = "env LC_ALL=C.UTF-8 " + ShellQuote(KESTRIX_EXE);
  for (int i = 0; i < Copies; ++i) {
    command += " " + ShellQuote(Sample);
  }
  return command;
}

// The reader holds back only once the program has written, so that a
// program that starts late on a busy machine still waits a whole second.
std::string LongRun(const std::string& Output) {
  return ManyReports() + " | { dd bs=1 count=1 status=none; sleep 1; cat; } > " +
         ShellQuote(Output);
}

std::string UnderTerminal(const std::string& Command) {
  return "script -qec " + ShellQuote(Command) + " /dev/null";
}

bool HaveScript() {
  return RunShell("command -v script").ExitCode == 0;
}

std::string FileText(const std::filesystem::path& Path) {
  const TBytes bytes = ReadFileBytes(Path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(Progress, DrawnOnATerminalStandardErrorAndErased) {
  if (!HaveScript()) {
    GTEST_SKIP() << "no script command to give the program a terminal";
  }
  const TTempFolder folder;
  const auto withTerminal = folder.Path() / "terminal.out";
  const auto plain = folder.Path() / "plain.out";
  const TRunResult run = RunShell(UnderTerminal(LongRun(withTerminal.string())));
  ASSERT_EQ(RunShell(LongRun(plain.string())).ExitCode, 0);

  EXPECT_EQ(FileText(withTerminal), FileText(plain)) << "standard output is the same";
  const std::size_t drawn = run.Output.rfind(" MB read, ");
  ASSERT_NE(drawn, std::string::npos) << run.Output;
  EXPECT_NE(run.Output.find(" files, "), std::string::npos);
  EXPECT_NE(run.Output.find(SamplesFolder().string() + "/"), std::string::npos);
  // After the last drawing: blanks over it and back to the line's start.
  const std::size_t erased = run.Output.find_first_of('\r', drawn);
  ASSERT_NE(erased, std::string::npos);
  const std::size_t end = run.Output.find_first_not_of(' ', erased + 1);
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(run.Output[end], '\r');
  EXPECT_GT(end, erased + 20);
}

TEST(Progress, NotDrawnWhenStandardErrorIsNoTerminal) {
  const TTempFolder folder;
  const TRunResult run = RunShell(LongRun((folder.Path() / "out").string()));
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Errors, "");
}

TEST(Progress, NotDrawnWhenStandardOutputIsTheTerminal) {
  if (!HaveScript()) {
    GTEST_SKIP() << "no script command to give the program a terminal";
  }
  // The terminal's reader is held up the same way, so this run is long too.
  const TRunResult run = RunShell(UnderTerminal(ManyReports()) + " | { sleep 1; cat; }");
  EXPECT_NE(run.Output.find("Music CRC:"), std::string::npos);
  EXPECT_EQ(run.Output.find(" MB read, "), std::string::npos);
}
#endif

}  // namespace
}  // namespace kestrix::test
