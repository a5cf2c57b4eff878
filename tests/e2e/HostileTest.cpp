// Files, folders, names and output targets that try to make a run crash,
// hang, misreport or touch a file.
#include <gtest/gtest.h>
#include <algorithm>

#include <chrono>
#include <fstream>

#include "reader/CRC16.h"
#include "support/RunKestrix.h"
#include "support/TestFiles.h"

// Every run here goes through the POSIX shell (timeout, env, redirections,
// setpriv, FIFOs, links); a Windows form of the portable cases is still to do.
#ifndef _WIN32
namespace kestrix::test {
namespace {

namespace fs = std::filesystem;
using TLines = std::vector<std::u16string>;

// Every run is bounded, so a run that blocks fails instead of hanging.
const std::string Bounded = "timeout 120 ";
const std::string CLocale = "env LC_ALL=C.UTF-8 ";
const std::u16string NotFound = u"LAME tag not found.";

std::string Kestrix() {
  return ShellQuote(KESTRIX_EXE);
}

TRunResult RunBounded(const std::string& Arguments, const fs::path& Folder = {},
                      const std::string& Before = "") {
  return RunShell(Before + Bounded + CLocale + Kestrix() + " " + Arguments, Folder);
}

// The regular files of a folder in the order a run reports them: sorted
// by the bytes of their names.
std::vector<fs::path> Listed(const fs::path& Folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(Folder)) {
    if (entry.is_regular_file()) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// One file's block: the name as shown, then its report lines.
using TBlocks = std::vector<std::pair<std::u16string, TLines>>;

// Banner, empty line, then one block per file.
TLines RunOf(const TBlocks& Blocks) {
  TLines lines = BannerLines();
  lines.push_back(u"");
  for (const auto& [name, report] : Blocks) {
    lines.push_back(name);
    lines.insert(lines.end(), report.begin(), report.end());
    lines.push_back(u"");
  }
  return lines;
}

// As root, permissions keep nobody out, so runs that need them drop to
// an unprivileged user; empty when that cannot be done here.
std::optional<std::string> Unprivileged() {
  if (RunShell("test \"$(id -u)\" = 0").ExitCode != 0) {
    return std::string();
  }
  const std::string asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  if (RunShell(asUser + Kestrix() + " help").ExitCode != 0) {
    return std::nullopt;
  }
  return asUser;
}

void PutBigEndian(TBytes& Bytes, std::size_t At, std::uint64_t Value, int Count) {
  for (int i = 0; i < Count; ++i) {
    Bytes[At + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(Value >> (8 * (Count - 1 - i)));
  }
}

// A tag frame (no music behind it) that stores MusicLength, with its own
// tag CRC right.
TBytes FrameWithMusicLength(std::uint32_t MusicLength) {
  TTagFileBuilder builder;
  builder.FixCRCs = false;
  builder.Music.clear();
  builder.Version("LAME3.100");
  builder.Set(QualityIndex, {57}).Set(LowpassIndex, {160});
  TBytes frame = builder.Build();
  const auto xing = static_cast<std::size_t>(builder.XingOffset);
  PutBigEndian(frame, xing + 119 + MusicLengthIndex, MusicLength, 4);
  PutBigEndian(frame, xing + 119 + MusicCRCIndex, 0x1234, 2);
  PutBigEndian(frame, xing + 154, UpdateCRC16(0, frame.data(), static_cast<int>(xing + 154)), 2);
  return frame;
}

constexpr std::size_t FrameTagEnd = 36 + 156;  // the music region starts here

std::u16string Hex4(unsigned Value) {
  const char digits[] = "0123456789ABCDEF";
  std::u16string text;
  for (int shift = 12; shift >= 0; shift -= 4) {
    text += static_cast<char16_t>(digits[(Value >> shift) & 0xF]);
  }
  return text;
}

void WriteAt(const fs::path& Path, std::uint64_t Offset, const TBytes& Bytes) {
  std::fstream file(Path, std::ios::binary | std::ios::in | std::ios::out);
  file.seekp(static_cast<std::streamoff>(Offset));
  file.write(reinterpret_cast<const char*>(Bytes.data()),
             static_cast<std::streamsize>(Bytes.size()));
  ASSERT_TRUE(file.good());
}

// The line of a report that starts with Label.
std::u16string LineOf(const TLines& Report, const std::u16string& Label) {
  for (const std::u16string& line : Report) {
    if (line.compare(0, Label.size(), Label) == 0) {
      return line;
    }
  }
  return {};
}

class HostileTest : public ::testing::Test {
 protected:
  TTempFolder Folder;
};

TEST_F(HostileTest, FilesOfNoneToTenBytes) {
  const TBytes real = ReadFileBytes(fs::path(KESTRIX_SAMPLES_DIR) / "mpeg1-stereo-cbr128.mp3");
  const TBytes id3 = {'I', 'D', '3', 4, 0, 0x10, 0x7F, 0x7F, 0x7F, 0x7F};
  for (std::size_t size = 0; size <= 10; ++size) {
    Folder.Write("tiny/real-" + std::to_string(size) + ".mp3",
                 TBytes(real.begin(), real.begin() + static_cast<std::ptrdiff_t>(size)));
    Folder.Write("tiny/id3-" + std::to_string(size) + ".mp3",
                 TBytes(id3.begin(), id3.begin() + static_cast<std::ptrdiff_t>(size)));
  }
  TBlocks blocks;
  for (const fs::path& file : Listed(Folder.Path() / "tiny")) {
    blocks.push_back({ToU16(file), {NotFound}});
  }
  ASSERT_EQ(blocks.size(), 22u);
  const TRunResult run = RunBounded(ShellQuote((Folder.Path() / "tiny").string()));
  EXPECT_EQ(run.Output, RedirectedText(RunOf(blocks)));
  EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(HostileTest, Id3SizesPastTheEndOfTheFile) {
  // The largest synchsafe size, and the largest a size can say when its
  // high bits are not masked (536870911 + 20 bytes with the footer).
  for (const std::uint8_t top : {0x7F, 0xFF}) {
    SCOPED_TRACE(top);
    TBytes file = {'I', 'D', '3', 4, 0, 0x10, top, top, top, top};
    const TBytes frame = FrameWithMusicLength(1000);
    file.insert(file.end(), frame.begin(), frame.end());
    const fs::path path = Folder.Write("big-id3.mp3", file);
    const TRunResult run = RunBounded(ShellQuote(path.string()));
    EXPECT_EQ(run.Output, RedirectedText(RunOf({{ToU16(path), {NotFound}}})));
    EXPECT_EQ(run.ExitCode, 0);
  }
}

TEST_F(HostileTest, SparseFileWithTheTagBehindTheLargestId3AndMusicPast4GiB) {
  constexpr std::uint64_t FramePosition = 0x1FFFFFFFull + 20;  // FF FF FF FF, footer
  constexpr std::uint32_t MusicLength = 0xFFFFFFFFu;
  constexpr std::uint64_t RegionEnd = FramePosition + MusicLength;  // past 4 GiB
  constexpr std::uint64_t FileSize = 5ull << 30;
  static_assert(RegionEnd > (4ull << 30) && RegionEnd < FileSize, "the region ends past 4 GiB");
  const TBytes frame = FrameWithMusicLength(MusicLength);
  const TBytes last = {'L', 'A', 'S', 'T', 0x01, 0xFE};  // the region's last bytes
  const TBytes behind = {'N', 'O', 'T', ' ', 'I', 'N'};  // just behind the region

  // The same frame alone: the report the big file must give, but for the
  // recomputed music CRC.
  const fs::path small = Folder.Write("small.mp3", frame);
  const TRunResult reference = RunBounded(ShellQuote(small.string()));
  TLines expected = ReportLines(reference.Output);
  ASSERT_EQ(LineOf(expected, u"Music length:"), u"Music length:       4294967295 bytes");
  ASSERT_EQ(LineOf(expected, u"Actual Music CRC:"), u"Actual Music CRC:   0000");
  ASSERT_EQ(LineOf(expected, u"Info tag CRC:").substr(20),
            LineOf(expected, u"Actual InfoTag CRC:").substr(20));
  for (std::u16string& line : expected) {
    if (line.compare(0, 17, u"Actual Music CRC:") == 0) {
      // Only zeros come before these bytes, and a CRC of zeros stays 0.
      line = u"Actual Music CRC:   " +
             Hex4(UpdateCRC16(0, last.data(), static_cast<int>(last.size())));
    }
  }

  const fs::path big =
      Folder.Write("sparse.mp3", {'I', 'D', '3', 4, 0, 0x10, 0xFF, 0xFF, 0xFF, 0xFF});
  fs::resize_file(big, FileSize);  // holes: no disk space is used
  WriteAt(big, FramePosition, frame);
  WriteAt(big, RegionEnd - last.size(), last);
  WriteAt(big, RegionEnd, behind);
  ASSERT_EQ(fs::file_size(big), FileSize);

  const TRunResult run = RunBounded(ShellQuote(big.string()));
  EXPECT_EQ(ReportLines(run.Output), expected);
  EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(HostileTest, MusicLengthPastTheEndOfTheFile) {
  TBytes file = FrameWithMusicLength(0xFFFFFFFFu);
  const TBytes music(3000, 0xA5);
  file.insert(file.end(), music.begin(), music.end());
  const fs::path path = Folder.Write("short.mp3", file);
  const TRunResult run = RunBounded(ShellQuote(path.string()));
  const TLines report = ReportLines(run.Output);
  // The CRC covers what there is, from the end of the tag to the end of the file.
  const std::uint16_t crc =
      UpdateCRC16(0, file.data() + FrameTagEnd, static_cast<int>(file.size() - FrameTagEnd));
  EXPECT_EQ(LineOf(report, u"Music length:"), u"Music length:       4294967295 bytes");
  EXPECT_EQ(LineOf(report, u"Actual Music CRC:"), u"Actual Music CRC:   " + Hex4(crc));
  EXPECT_EQ(report.size(), 29u);
  EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(HostileTest, UnreadableFileAndFolderInARecursiveWalk) {
  const auto asUser = Unprivileged();
  if (!asUser) {
    GTEST_SKIP() << "cannot run the program as an unprivileged user here";
  }
  fs::permissions(Folder.Path(), fs::perms::all, fs::perm_options::add);
  const TBytes plain = {'n', 'o', ' ', 't', 'a', 'g'};
  const fs::path root = Folder.Path() / "root";
  Folder.Write("root/a.mp3", plain);
  const fs::path locked = Folder.Write("root/locked.mp3", plain);
  Folder.Write("root/closed/hidden-by-permissions.mp3", plain);
  const fs::path below = Folder.Write("root/open/b.mp3", plain);
  fs::permissions(locked, fs::perms::none);
  fs::permissions(root / "closed", fs::perms::none);

  TBlocks blocks;
  for (const fs::path& file : Listed(root)) {
    blocks.push_back(
        {ToU16(file), {file == locked ? u"ERROR: Cannot open file " + ToU16(file) : NotFound}});
  }
  blocks.push_back({ToU16(below), {NotFound}});  // the folder that cannot be read is passed over
  const TRunResult run = RunShell(Bounded + CLocale + *asUser + Kestrix() + " --recursive " +
                                  ShellQuote(root.string()));
  EXPECT_EQ(run.Output, RedirectedText(RunOf(blocks)));
  EXPECT_EQ(run.ExitCode, 3);
  // The judging forms name the folder they could not list, in walk order.
  const TRunResult verify = RunShell(Bounded + CLocale + *asUser + Kestrix() +
                                     " --utf8 --verify --recursive " + ShellQuote(root.string()));
  const std::string closed = "\nERR  " + (root / "closed").string() + ": Permission denied\n";
  const std::size_t at = verify.Output.find(closed);
  EXPECT_NE(at, std::string::npos) << verify.Output;
  EXPECT_LT(at, verify.Output.find(below.string()));
  EXPECT_EQ(verify.ExitCode, 3);
  fs::permissions(root / "closed", fs::perms::owner_all);  // so that it can be removed
}

TEST_F(HostileTest, FifoSocketAndDeviceAreNeverOpened) {
  const fs::path root = Folder.Path() / "special";
  const fs::path file = Folder.Write("special/real.mp3", {'x'});
  const std::string in = "cd " + ShellQuote(root.string()) + " && ";
  ASSERT_EQ(RunShell(in + "mkfifo fifo.mp3").ExitCode, 0);
  // A socket needs a program that binds one; perl is part of every Debian.
  const bool socket =
      RunShell(in +
               "perl -MIO::Socket::UNIX -e "
               "'IO::Socket::UNIX->new(Local => \"socket.mp3\", Listen => 1) or exit 1'")
          .ExitCode == 0;
  // A device node of its own needs root; a link to one works for anyone.
  RunShell(in + "mknod device.mp3 c 1 5");  // /dev/zero, when allowed
  fs::create_symlink("/dev/zero", root / "zero.mp3");
  fs::create_symlink("/dev/tty", root / "tty.mp3");
  fs::create_symlink("fifo.mp3", root / "fifo-link.mp3");
  if (!socket) {
    std::cerr << "no socket made: perl is missing\n";
  }

  const TRunResult run = RunBounded("--recursive " + ShellQuote((root / "*.mp3").string()));
  EXPECT_EQ(run.Output, RedirectedText(RunOf({{ToU16(file), {NotFound}}})));
  EXPECT_EQ(run.ExitCode, 0);
  for (const char* name : {"fifo.mp3", "socket.mp3", "device.mp3", "zero.mp3", "fifo-link.mp3"}) {
    SCOPED_TRACE(name);
    const TRunResult direct = RunBounded(name, root);
    EXPECT_EQ(direct.ExitCode, 2);  // not a file: nothing matched
    EXPECT_NE(
        direct.Output.find(RedirectedText({u"FILE NOT FOUND: '" + ToU16(fs::path(name)) + u"'"})),
        std::string::npos);
  }
}

TEST_F(HostileTest, SymbolicLinkLoops) {
  const fs::path root = Folder.Path() / "loops";
  const fs::path file = Folder.Write("loops/real.mp3", {'x'});
  fs::create_symlink("b.mp3", root / "a.mp3");  // a file link loop
  fs::create_symlink("a.mp3", root / "b.mp3");
  fs::create_directories(root / "x" / "y");
  fs::create_directory_symlink("../..", root / "x" / "y" / "top");  // a folder loop
  fs::create_directory_symlink("z", root / "z");                    // a link to itself
  const TRunResult run = RunBounded("--recursive " + ShellQuote(root.string()));
  EXPECT_EQ(run.Output, RedirectedText(RunOf({{ToU16(file), {NotFound}}})));
  EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(HostileTest, TreeDeeperThanTheOpenFileLimit) {
  constexpr int OpenFileLimit = 16;
  constexpr int Depth = 3 * OpenFileLimit;
  TBlocks blocks;
  std::string level = "deep";
  for (int i = 0; i <= Depth; ++i) {
    blocks.push_back(
        {ToU16(Folder.Write(level + "/f" + std::to_string(i) + ".mp3", {'x'})), {NotFound}});
    level += "/d";
  }
  const TRunResult run = RunBounded("--recursive " + ShellQuote((Folder.Path() / "deep").string()),
                                    {}, "ulimit -n " + std::to_string(OpenFileLimit) + " && ");
  EXPECT_EQ(run.Output, RedirectedText(RunOf(blocks)));  // every level, none passed over
  EXPECT_EQ(run.ExitCode, 0);
}

// Bytes that are not UTF-8, a line break, quotes, a comma and terminal
// escape sequences, all in one name.
const std::string AwkwardName =
    "bad\xFF\xC3 line\nbreak \"q\" 'q', \x1B[2J\x1B]0;t\x07\xC2\x9B.mp3";

TEST_F(HostileTest, AwkwardNamesRedirected) {
  Folder.Write(AwkwardName, {'x'});
  const TRunResult run = RunBounded("'*.mp3'", Folder.Path());
  // Bytes that are not UTF-8 are U+FFFD; the rest of the name stands as it is.
  const std::u16string shown =
      ToU16(Folder.Path()) + u"/bad\xFFFD\xFFFD line\nbreak \"q\" 'q', \x1B[2J\x1B]0;t\x07\x9B.mp3";
  EXPECT_EQ(run.Output, RedirectedText(RunOf({{shown, {NotFound}}})));
  EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(HostileTest, AwkwardNamesOnATerminal) {
  if (RunShell("command -v script").ExitCode != 0) {
    GTEST_SKIP() << "no script command to give the program a terminal";
  }
  Folder.Write(AwkwardName, {'x'});
  const std::string inner = CLocale + Kestrix() + " '*.mp3'";
  const TRunResult run =
      RunShell(Bounded + "script -qec " + ShellQuote(inner) + " /dev/null", Folder.Path());
  const std::string fffd = "\xEF\xBF\xBD";
  // Every byte that is not text and every control character is U+FFFD.
  const std::string shown = "/bad" + fffd + fffd + " line" + fffd + "break \"q\" 'q', " + fffd +
                            "[2J" + fffd + "]0;t" + fffd + fffd + ".mp3";
  EXPECT_NE(run.Output.find(shown), std::string::npos) << run.Output;
  EXPECT_EQ(run.Output.find('\x1B'), std::string::npos);
  EXPECT_EQ(run.Output.find('\x07'), std::string::npos);
  EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(HostileTest, FileHeldOpenForWritingByAnotherProcess) {
  const fs::path path =
      Folder.Write("held.mp3", ReadFileBytes(fs::path(KESTRIX_SAMPLES_DIR) / "mpeg1-insane.mp3"));
  const TRunResult free = RunBounded(ShellQuote(path.string()));
  // The shell keeps the file open for appending while the run reads it.
  const TRunResult held =
      RunShell("{ " + Bounded + CLocale + Kestrix() + " " + ShellQuote(path.string()) + "; } 3>>" +
               ShellQuote(path.string()));
  EXPECT_EQ(held.Output, free.Output);
  EXPECT_EQ(held.ExitCode, 0);
}

// A folder of many copies of a sample, so that a run has much more to say
// than a reader that stops early takes.
fs::path ManyFiles(const TTempFolder& Folder) {
  const TBytes sample = ReadFileBytes(fs::path(KESTRIX_SAMPLES_DIR) / "mpeg1-insane.mp3");
  for (int i = 0; i < 200; ++i) {
    Folder.Write("many/sub" + std::to_string(i % 4) + "/" + std::to_string(i) + ".mp3", sample);
  }
  return Folder.Path() / "many";
}

TEST_F(HostileTest, PipeThatClosesEarlyEndsTheRunQuietly) {
  const fs::path many = ManyFiles(Folder);
  const std::string run = Bounded + CLocale + Kestrix() + " --recursive " +
                          ShellQuote(many.string()) + " | head -c 100 >/dev/null";
  // Killed by SIGPIPE, as a Unix tool is.
  const TRunResult killed = RunShell("bash -c " + ShellQuote(run + "; exit ${PIPESTATUS[0]}"));
  EXPECT_EQ(killed.ExitCode, 128 + 13);
  EXPECT_EQ(killed.Errors, "");
  // Where SIGPIPE is ignored, the first failed write ends the walk, silently.
  const TRunResult ignored =
      RunShell("bash -c " + ShellQuote("trap '' PIPE; " + run + "; exit ${PIPESTATUS[0]}"));
  EXPECT_EQ(ignored.ExitCode, 1);
  EXPECT_EQ(ignored.Errors, "");
}

TEST_F(HostileTest, FullDiskAndClosedOutputDuringReports) {
  const std::string samples = " --recursive " + ShellQuote(KESTRIX_SAMPLES_DIR);
  const TRunResult full = RunShell(Bounded + Kestrix() + samples + " >/dev/full");
  EXPECT_EQ(full.ExitCode, 1);
  EXPECT_EQ(full.Errors, "Standard output could not be written: the report is incomplete.\n");
  const TRunResult closed = RunShell(Bounded + Kestrix() + samples + " >&-");
  EXPECT_EQ(closed.ExitCode, 1);
  EXPECT_EQ(closed.Errors, "Standard output is not available: Bad file descriptor\n");
}

TEST_F(HostileTest, NoFileIsChangedByARun) {
  const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  std::vector<std::pair<fs::path, TBytes>> files;
  for (const auto& entry : fs::directory_iterator(KESTRIX_SAMPLES_DIR)) {
    if (entry.path().extension() == ".mp3") {
      const TBytes bytes = ReadFileBytes(entry.path());
      const fs::path copy = Folder.Write("lib/" + entry.path().filename().string(), bytes);
      fs::last_write_time(copy, stamp);
      files.push_back({copy, bytes});
    }
  }
  ASSERT_GT(files.size(), 5u);
  const TRunResult run = RunBounded("--recursive " + ShellQuote((Folder.Path() / "lib").string()));
  EXPECT_EQ(run.ExitCode, 0);
  for (const auto& [path, bytes] : files) {
    SCOPED_TRACE(path.string());
    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_EQ(fs::last_write_time(path), stamp);
  }
}

}  // namespace
}  // namespace kestrix::test
#endif
