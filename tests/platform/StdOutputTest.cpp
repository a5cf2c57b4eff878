#include "platform/StdOutput.h"

#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "platform/CodePage.h"
#include "platform/KestrixError.h"
#endif

namespace kestrix::platform {
namespace {

#ifndef _WIN32

// Reads a descriptor to its end.
std::string ReadAll(int Fd) {
  std::string data;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(Fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return data;
    }
    data.append(buffer, static_cast<std::size_t>(got));
  }
}

struct TChildResult {
  int Status = 0;
  std::string Output;  // what the child wrote to the descriptor under test
};

// Runs Body in a child process whose descriptor Target is the write end of a
// pipe, and collects what comes through it. Body's result is the exit code.
TChildResult RunChild(int Target, const std::function<int()>& Body) {
  int pipeEnds[2];
  EXPECT_EQ(pipe(pipeEnds), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    dup2(pipeEnds[1], Target);
    close(pipeEnds[1]);
    std::_Exit(Body());
  }
  close(pipeEnds[1]);
  TChildResult result;
  result.Output = ReadAll(pipeEnds[0]);
  close(pipeEnds[0]);
  waitpid(child, &result.Status, 0);
  return result;
}

constexpr int Failed = 99;

TEST(StdOutput, ClosedStandardOutputRaisesWithTheSystemsMessage) {
  // The error text travels back through standard error.
  const TChildResult result = RunChild(STDERR_FILENO, [] {
    close(STDOUT_FILENO);
    try {
      TStdOutput output;
    } catch (const EKestrixError& error) {
      WriteStdError(error.what());
      return 0;
    }
    return Failed;
  });
  ASSERT_TRUE(WIFEXITED(result.Status));
  EXPECT_EQ(WEXITSTATUS(result.Status), 0);
  EXPECT_EQ(result.Output, "Standard output is not available: Bad file descriptor\n");
}

TEST(StdOutput, PipeIsNotAConsoleAndGetsEveryByte) {
  // More than a pipe holds, so the writes come back short or block.
  std::string bytes(1 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(i * 7);
  }
  const TChildResult result = RunChild(STDOUT_FILENO, [&bytes] {
    TStdOutput output;
    if (output.IsConsole()) {
      return Failed;
    }
    return output.WriteBytes(bytes.data(), bytes.size()) ? 0 : Failed;
  });
  ASSERT_TRUE(WIFEXITED(result.Status));
  EXPECT_EQ(WEXITSTATUS(result.Status), 0);
  EXPECT_TRUE(result.Output == bytes) << "got " << result.Output.size() << " bytes";
}

TEST(StdOutput, DestructorClosesStandardOutput) {
  // The reader sees the end while the child still lives.
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  int done[2];
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    close(done[1]);
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[1]);
    {
      TStdOutput output;
      output.WriteBytes("x", 1);
    }
    char ignored;
    (void)read(done[0], &ignored, 1);  // waits for the parent
    std::_Exit(0);
  }
  close(pipeEnds[1]);
  close(done[0]);
  EXPECT_EQ(ReadAll(pipeEnds[0]), "x");
  close(done[1]);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
}

TEST(StdOutput, WriteToAClosedPipeEndsTheProcess) {
  // The writer leaves SIGPIPE as it is, so a reader that went away ends the
  // run instead of every later line failing on its own.
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  close(pipeEnds[0]);  // before the fork, so the write can never find a reader
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[1]);
    signal(SIGPIPE, SIG_DFL);  // whatever the test runner had
    TStdOutput output;
    const bool written = output.WriteBytes("data", 4);
    std::_Exit(written ? 0 : Failed);
  }
  close(pipeEnds[1]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE);
}

TEST(StdOutput, TerminalIsAConsoleAndGetsTheCodePagesText) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    GTEST_SKIP() << "no pseudo-terminal here";
  }
  const std::string slaveName = ptsname(master);
  const std::u16string text = u"Kestrix \u00E9 \u20AC";
  const pid_t child = fork();
  if (child == 0) {
    const int slave = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
    dup2(slave, STDOUT_FILENO);
    close(slave);
    TStdOutput output;
    if (!output.IsConsole()) {
      std::_Exit(Failed);
    }
    std::_Exit(output.WriteConsoleText(text) ? 0 : Failed);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string expected = Narrow(text);
  std::string got(expected.size(), '\0');
  std::size_t have = 0;
  while (have < got.size()) {
    const ssize_t n = read(master, got.data() + have, got.size() - have);
    if (n <= 0) {
      break;
    }
    have += static_cast<std::size_t>(n);
  }
  close(master);
  EXPECT_EQ(got, expected);
}

TEST(StdError, Utf8TextThenLineFeed) {
  const TChildResult result = RunChild(STDERR_FILENO, [] {
    WriteStdError("ERROR: out of luck");
    WriteStdError("");
    WriteStdErrorLine(u"caf\u00E9 \xDCFF");
    return 0;
  });
  EXPECT_EQ(result.Output, "ERROR: out of luck\n\ncaf\xC3\xA9 ?\n");
}

#endif

}  // namespace
}  // namespace kestrix::platform
