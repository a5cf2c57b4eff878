// Several files analysed at once: every form prints the same bytes and
// ends with the same exit code at any job count, whatever the timing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;

// A library as a walk meets one: intact and damaged MP3 files of several
// sizes, files that are no MP3 file, a name beyond the basic plane, nested
// folders; on POSIX also a file and a folder nobody may read.
class ParallelTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const std::vector<fs::path> samples = SampleMp3Files();
    ASSERT_FALSE(samples.empty());
    for (std::size_t i = 0; i < samples.size(); ++i) {
      TBytes bytes = ReadFileBytes(samples[i]);
      const std::string name = "album" + std::to_string(i % 3) + "/track" + std::to_string(i);
      Folder.Write("lib/" + name + ".mp3", bytes);
      bytes[bytes.size() / 2] ^= 0x10;
      Folder.Write("lib/" + name + "-damaged.mp3", bytes);
      bytes.resize(bytes.size() * 2 / 3);
      Folder.Write("lib/deep/er/" + name + "-cut.mp3", bytes);
    }
    Folder.Write("lib/album0/cover.jpg", Noise(300000));
    Folder.Write("lib/album1/notes.txt", {'n', 'o', ' ', 't', 'a', 'g'});
    Folder.Write(u8"lib/album2/\U0001D11E clef.mp3", ReadFileBytes(samples.front()));
#ifndef _WIN32
    const std::optional<std::string> asUser = UnprivilegedPrefix();
    if (asUser) {
      Prefix = *asUser;
      Unreadable = true;
      fs::permissions(Folder.Path(), fs::perms::all, fs::perm_options::add);
      fs::permissions(Folder.Write("lib/album1/locked.mp3", {'x'}), fs::perms::none);
      Folder.Write("lib/closed/inside.mp3", {'x'});
      fs::permissions(Folder.Path() / "lib/closed", fs::perms::none);
    }
#endif
  }

  void TearDown() override {
    if (fs::exists(Folder.Path() / "lib/closed")) {
      fs::permissions(Folder.Path() / "lib/closed", fs::perms::owner_all);
    }
  }

  TRunResult Run(const std::string& Arguments) const {
    const std::string library = ShellQuote((Folder.Path() / "lib").string());
#ifdef _WIN32
    return RunShell(ShellQuote(BuiltProgram(KESTRIX_EXE).string()) + " " + Arguments + " " +
                    library + " " + ShellQuote((Folder.Path() / "none.mp3").string()));
#else
    return RunShell("env LC_ALL=C.UTF-8 " + Prefix + ShellQuote(KESTRIX_EXE) + " " + Arguments +
                    " " + library + " " + ShellQuote((Folder.Path() / "none.mp3").string()));
#endif
  }

  TTempFolder Folder;
  std::string Prefix;       // runs the program as a user that permissions keep out
  bool Unreadable = false;  // the library holds a file and a folder it cannot read
};

// Run as several tests, so that an ordering fault cannot hide behind one
// lucky timing.
TEST_P(ParallelTest, EveryFormPrintsTheSameAtAnyJobCount) {
  for (const std::string form : {"", "--verify", "--json", "--csv"}) {
    SCOPED_TRACE(form.empty() ? "report" : form);
    const TRunResult one = Run(form + " -r -j 1");
    EXPECT_FALSE(one.Output.empty());
    for (const std::string jobs : {"2", "16"}) {
      const TRunResult many = Run(form + " -r -j " + jobs);
      EXPECT_EQ(many.Output, one.Output) << jobs << " jobs";
      EXPECT_EQ(many.Errors, one.Errors) << jobs << " jobs";
      EXPECT_EQ(many.ExitCode, one.ExitCode) << jobs << " jobs";
    }
    const TRunResult byDefault = Run(form + " -r");
    EXPECT_EQ(byDefault.Output, one.Output);
    EXPECT_EQ(byDefault.ExitCode, one.ExitCode);
    // An error outranks damage, which outranks a path that matched nothing.
    EXPECT_EQ(one.ExitCode, Unreadable ? 3 : form.empty() ? 2 : 4);
  }
}

INSTANTIATE_TEST_SUITE_P(Repeated, ParallelTest, ::testing::Range(0, 4));

}  // namespace
}  // namespace kestrix::test
