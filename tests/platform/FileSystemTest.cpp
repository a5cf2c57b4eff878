#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "platform/Unicode.h"
#include "support/TestFiles.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace kestrix::platform {
namespace {

#ifndef _WIN32

namespace fs = std::filesystem;

// Runs a test body in another current folder and goes back afterwards.
class TCurrentFolder {
 public:
  explicit TCurrentFolder(const fs::path& Folder) : Previous(fs::current_path()) {
    fs::current_path(Folder);
  }
  ~TCurrentFolder() { fs::current_path(Previous); }
  TCurrentFolder(const TCurrentFolder&) = delete;
  TCurrentFolder& operator=(const TCurrentFolder&) = delete;

 private:
  fs::path Previous;
};

// Every entry a search yields, by name, with its attributes.
std::map<std::u16string, std::uint32_t> Listing(const std::u16string& Mask) {
  std::map<std::u16string, std::uint32_t> entries;
  TDirectorySearch search;
  for (bool more = search.First(Mask); more; more = search.Next()) {
    EXPECT_TRUE(entries.emplace(search.Name(), search.Attributes()).second) << "listed twice";
  }
  return entries;
}

std::u16string Slash(const fs::path& Folder) {
  return test::ToU16(Folder) + u"/";
}

TEST(ExpandPath, RelativePathsStartAtTheCurrentFolder) {
  test::TTempFolder folder;
  fs::create_directories(folder.Path() / "sub");
  const std::u16string root = test::ToU16(fs::canonical(folder.Path()));
  const TCurrentFolder here(folder.Path() / "sub");
  EXPECT_EQ(ExpandPath(u"a.mp3"), root + u"/sub/a.mp3");
  EXPECT_EQ(ExpandPath(u"."), root + u"/sub");
  EXPECT_EQ(ExpandPath(u"./"), root + u"/sub/");
  EXPECT_EQ(ExpandPath(u".."), root);
  EXPECT_EQ(ExpandPath(u"../x/./y/../z.mp3"), root + u"/x/z.mp3");
  EXPECT_EQ(ExpandPath(u"*.mp3"), root + u"/sub/*.mp3");
}

TEST(ExpandPath, AbsolutePathsAreCleanedAsText) {
  EXPECT_EQ(ExpandPath(u"/music//a///b.mp3"), u"/music/a/b.mp3");
  EXPECT_EQ(ExpandPath(u"/music/./a/../b.mp3"), u"/music/b.mp3");
  EXPECT_EQ(ExpandPath(u"/music/a/."), u"/music/a");
  EXPECT_EQ(ExpandPath(u"/music/a/.."), u"/music");
  // Names that only start with dots are names.
  EXPECT_EQ(ExpandPath(u"/a/.../..b/.c"), u"/a/.../..b/.c");
}

TEST(ExpandPath, TrailingSlashIsKept) {
  EXPECT_EQ(ExpandPath(u"/music/"), u"/music/");
  EXPECT_EQ(ExpandPath(u"/music//"), u"/music/");
  EXPECT_EQ(ExpandPath(u"/music/a/../"), u"/music/");
}

TEST(ExpandPath, ParentOfTheRootIsTheRoot) {
  EXPECT_EQ(ExpandPath(u"/"), u"/");
  EXPECT_EQ(ExpandPath(u"/.."), u"/");
  EXPECT_EQ(ExpandPath(u"/../../a"), u"/a");
  EXPECT_EQ(ExpandPath(u"//"), u"/");
}

TEST(ExpandPath, WildcardsPassThrough) {
  EXPECT_EQ(ExpandPath(u"/m/*/?.mp3"), u"/m/*/?.mp3");
  EXPECT_EQ(ExpandPath(u"/m/*/../a*"), u"/m/a*");
}

TEST(ExpandPath, SymbolicLinksAreNotResolved) {
  test::TTempFolder folder;
  fs::create_directories(folder.Path() / "real" / "deep");
  fs::create_directory_symlink(folder.Path() / "real" / "deep", folder.Path() / "link");
  const std::u16string root = test::ToU16(folder.Path());
  // Through the link, ".." is the link's folder, not the target's parent.
  EXPECT_EQ(ExpandPath(root + u"/link/../x"), root + u"/x");
}

TEST(ExpandPath, LongPathsAreNotCut) {
  std::u16string path;
  for (int i = 0; i < 200; ++i) {
    path += u"/folder";
  }
  path += u"/song.mp3";
  EXPECT_EQ(ExpandPath(path), path);
}

TEST(ExpandPath, EmptyInputGivesEmpty) {
  EXPECT_EQ(ExpandPath(u""), u"");
}

TEST(ExpandPath, NamesThatAreNotUtf8SurviveExpansion) {
  const std::u16string name = u"/music/caf\xDCE9.mp3";  // byte E9 escaped
  EXPECT_EQ(ExpandPath(name), name);
}

TEST(FileTests, FolderFileAndMissing) {
  test::TTempFolder folder;
  const auto file = folder.Write("a.mp3", {1});
  EXPECT_TRUE(IsFolder(test::ToU16(folder.Path())));
  EXPECT_TRUE(IsFolder(Slash(folder.Path())));
  EXPECT_FALSE(IsFolder(test::ToU16(file)));
  EXPECT_TRUE(IsExistingFile(test::ToU16(file)));
  EXPECT_FALSE(IsExistingFile(test::ToU16(folder.Path())));
  EXPECT_FALSE(IsExistingFile(test::ToU16(folder.Path() / "missing")));
  EXPECT_FALSE(IsFolder(test::ToU16(folder.Path() / "missing")));
  EXPECT_FALSE(IsFolder(u""));
  EXPECT_FALSE(IsExistingFile(u""));
}

TEST(FileTests, LinksAreFollowed) {
  test::TTempFolder folder;
  fs::create_directory(folder.Path() / "dir");
  fs::create_directory_symlink(folder.Path() / "dir", folder.Path() / "dirlink");
  fs::create_symlink(folder.Path() / "nowhere", folder.Path() / "dangling");
  EXPECT_TRUE(IsFolder(test::ToU16(folder.Path() / "dirlink")));
  EXPECT_FALSE(IsExistingFile(test::ToU16(folder.Path() / "dangling")));
}

TEST(FileTests, NonUtf8NamesAreFoundByTheirEscapedForm) {
  test::TTempFolder folder;
  const auto file = folder.Write("caf\xE9.mp3", {1});
  EXPECT_TRUE(IsExistingFile(test::ToU16(folder.Path()) + u"/caf\xDCE9.mp3"));
}

TEST(FolderId, SameFolderByTwoPathsIsRecognised) {
  test::TTempFolder folder;
  fs::create_directories(folder.Path() / "a" / "b");
  fs::create_directory_symlink(folder.Path() / "a", folder.Path() / "link");
  const auto direct = GetFolderId(test::ToU16(folder.Path() / "a"));
  const auto linked = GetFolderId(test::ToU16(folder.Path() / "link"));
  const auto other = GetFolderId(test::ToU16(folder.Path() / "a" / "b"));
  ASSERT_TRUE(direct && linked && other);
  EXPECT_FALSE(*direct < *linked || *linked < *direct);
  EXPECT_TRUE(*direct < *other || *other < *direct);
  EXPECT_FALSE(GetFolderId(test::ToU16(folder.Path() / "missing")));
}

TEST(DirectorySearch, StarAndQuestionMarkMatchCaseSensitively) {
  test::TTempFolder folder;
  for (const char* name : {"a.mp3", "b.MP3", "ab.mp3", "a.mp3.bak", "mp3", "x.mp"}) {
    folder.Write(name, {1});
  }
  const std::u16string root = Slash(folder.Path());
  using TNames = std::map<std::u16string, std::uint32_t>;
  const auto names = [](const TNames& Entries) {
    std::vector<std::u16string> list;
    for (const auto& entry : Entries) {
      list.push_back(entry.first);
    }
    return list;
  };
  using TList = std::vector<std::u16string>;
  EXPECT_EQ(names(Listing(root + u"*.mp3")), (TList{u"a.mp3", u"ab.mp3"}));
  EXPECT_EQ(names(Listing(root + u"?.mp3")), (TList{u"a.mp3"}));
  EXPECT_EQ(names(Listing(root + u"*.MP3")), (TList{u"b.MP3"}));
  EXPECT_EQ(names(Listing(root + u"*mp3*")), (TList{u"a.mp3", u"a.mp3.bak", u"ab.mp3", u"mp3"}));
  // ".." has two dots too: the mask is plain, with no special case for dots.
  EXPECT_EQ(names(Listing(root + u"*.*.*")), (TList{u"..", u"a.mp3.bak"}));
  EXPECT_EQ(names(Listing(root + u"a*p3")), (TList{u"a.mp3", u"ab.mp3"}));
  EXPECT_EQ(names(Listing(root + u"????")), (TList{u"x.mp"}));
  // Without wildcards: that one name, and only exactly it.
  EXPECT_EQ(names(Listing(root + u"a.mp3")), (TList{u"a.mp3"}));
  EXPECT_EQ(names(Listing(root + u"A.mp3")), TList{});
  EXPECT_EQ(names(Listing(root + u"a.mp")), TList{});
}

TEST(DirectorySearch, DotEntriesAreFoldersWhenTheMaskMatchesThem) {
  test::TTempFolder folder;
  folder.Write("song.mp3", {1});
  const auto all = Listing(Slash(folder.Path()) + u"*");
  ASSERT_EQ(all.count(u"."), 1u);
  ASSERT_EQ(all.count(u".."), 1u);
  EXPECT_EQ(all.at(u"."), attr::Directory);
  EXPECT_EQ(all.at(u".."), attr::Directory);
  EXPECT_EQ(all.at(u"song.mp3"), attr::Archive);
  EXPECT_EQ(Listing(Slash(folder.Path()) + u"*.mp3").count(u"."), 0u);
}

TEST(DirectorySearch, AttributesOfFilesFoldersAndHiddenNames) {
  test::TTempFolder folder;
  folder.Write(".hidden.mp3", {1});
  folder.Write("plain.mp3", {1});
  fs::create_directory(folder.Path() / ".cache");
  fs::create_directory(folder.Path() / "albums");
  const auto all = Listing(Slash(folder.Path()) + u"*");
  EXPECT_EQ(all.at(u".hidden.mp3"), attr::Archive | attr::Hidden);
  EXPECT_EQ(all.at(u"plain.mp3"), attr::Archive);
  EXPECT_EQ(all.at(u".cache"), attr::Directory | attr::Hidden);
  EXPECT_EQ(all.at(u"albums"), attr::Directory);
}

TEST(DirectorySearch, FileWithoutWriteBitsIsReadOnly) {
  test::TTempFolder folder;
  const auto file = folder.Write("locked.mp3", {1});
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(Listing(Slash(folder.Path()) + u"*").at(u"locked.mp3"), attr::Archive | attr::ReadOnly);
}

TEST(DirectorySearch, OnlyFilesAndFoldersAreListedAfterFollowingLinks) {
  test::TTempFolder folder;
  const auto target = folder.Write("real.mp3", {1});
  fs::create_directory(folder.Path() / "dir");
  fs::create_symlink(target, folder.Path() / "filelink.mp3");
  fs::create_directory_symlink(folder.Path() / "dir", folder.Path() / "dirlink");
  fs::create_symlink(folder.Path() / "nowhere", folder.Path() / "dangling.mp3");
  ASSERT_EQ(mkfifo((folder.Path() / "fifo.mp3").c_str(), 0600), 0);

  const std::string socketPath = (folder.Path() / "socket.mp3").string();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  close(listener);

  const auto all = Listing(Slash(folder.Path()) + u"*");
  EXPECT_EQ(all.at(u"real.mp3"), attr::Archive);
  EXPECT_EQ(all.at(u"filelink.mp3"), attr::Archive);
  EXPECT_EQ(all.at(u"dirlink"), attr::Directory);
  EXPECT_EQ(all.count(u"dangling.mp3"), 0u);
  EXPECT_EQ(all.count(u"fifo.mp3"), 0u);
  EXPECT_EQ(all.count(u"socket.mp3"), 0u);
  // A mask naming one of them exactly finds nothing either.
  TDirectorySearch search;
  EXPECT_FALSE(search.First(Slash(folder.Path()) + u"fifo.mp3"));
}

TEST(DirectorySearch, NonUtf8NamesComeBackEscapedAndOpenAgain) {
  test::TTempFolder folder;
  folder.Write("caf\xE9.mp3", {1});
  const auto all = Listing(Slash(folder.Path()) + u"caf?.mp3");
  ASSERT_EQ(all.size(), 1u);
  const std::u16string name = all.begin()->first;
  EXPECT_EQ(name, u"caf\xDCE9.mp3");
  EXPECT_TRUE(IsExistingFile(Slash(folder.Path()) + name));
}

TEST(DirectorySearch, MissingFolderOrNoMatchGivesFalse) {
  test::TTempFolder folder;
  folder.Write("a.mp3", {1});
  TDirectorySearch search;
  EXPECT_FALSE(search.First(Slash(folder.Path()) + u"*.ogg"));
  EXPECT_FALSE(search.Next());
  EXPECT_FALSE(search.First(test::ToU16(folder.Path() / "missing") + u"/*"));
  EXPECT_FALSE(search.First(test::ToU16(folder.Path() / "a.mp3") + u"/*"));
}

TEST(DirectorySearch, UnreadableFolderGivesFalse) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "permissions do not keep root out";
  }
  test::TTempFolder folder;
  folder.Write("closed/a.mp3", {1});
  fs::permissions(folder.Path() / "closed", fs::perms::none);
  TDirectorySearch search;
  EXPECT_FALSE(search.First(test::ToU16(folder.Path() / "closed") + u"/*"));
}

TEST(DirectorySearch, FirstAgainStartsAFreshListing) {
  test::TTempFolder folder;
  folder.Write("one.mp3", {1});
  folder.Write("sub/two.mp3", {1});
  TDirectorySearch search;
  ASSERT_TRUE(search.First(Slash(folder.Path()) + u"*.mp3"));
  EXPECT_EQ(search.Name(), u"one.mp3");
  ASSERT_TRUE(search.First(Slash(folder.Path() / "sub") + u"*.mp3"));
  EXPECT_EQ(search.Name(), u"two.mp3");
  EXPECT_FALSE(search.Next());
  ASSERT_TRUE(search.First(Slash(folder.Path()) + u"*.mp3"));
  EXPECT_EQ(search.Name(), u"one.mp3");
}

TEST(DirectorySearch, ListsSortedByTheBytesOfTheNamesEveryEntryOnce) {
  test::TTempFolder folder;
  // Bytes above 0x7F sort after ASCII, as unsigned bytes; capitals first.
  const std::vector<std::string> sorted = {"B.mp3",           "a.mp3",       "a1.mp3", "b.mp3",
                                           "caf\xC3\xA9.mp3", "caf\xFF.mp3", "z.mp3"};
  for (auto name = sorted.rbegin(); name != sorted.rend(); ++name) {
    folder.Write(*name, {1});
  }
  for (int i = 0; i < 300; ++i) {
    folder.Write("track" + std::to_string(i) + ".mp3", {1});
  }
  std::vector<std::string> listed;
  TDirectorySearch search;
  for (bool more = search.First(Slash(folder.Path()) + u"*.mp3"); more; more = search.Next()) {
    listed.push_back(Utf16ToUtf8(search.Name(), TLoneSurrogate::Unescape));
  }
  std::vector<std::string> expected = sorted;
  for (int i = 0; i < 300; ++i) {
    expected.push_back("track" + std::to_string(i) + ".mp3");
  }
  std::sort(expected.begin(), expected.end(), [](const std::string& A, const std::string& B) {
    return std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(), [](char X, char Y) {
      return static_cast<unsigned char>(X) < static_cast<unsigned char>(Y);
    });
  });
  EXPECT_EQ(listed, expected);
}

TEST(DirectorySearch, ReportsTheSizeOfWhatAnEntryLeadsTo) {
  test::TTempFolder folder;
  const auto file = folder.Write("five.mp3", {1, 2, 3, 4, 5});
  fs::create_symlink(file, folder.Path() / "link.mp3");
  TDirectorySearch search;
  for (bool more = search.First(Slash(folder.Path()) + u"*.mp3"); more; more = search.Next()) {
    EXPECT_EQ(search.Size(), 5);
  }
}

TEST(DirectorySearch, SearchesDoNotLeakDescriptors) {
  test::TTempFolder folder;
  folder.Write("a.mp3", {1});
  const auto openDescriptors = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
  };
  const auto before = openDescriptors();
  for (int i = 0; i < 50; ++i) {
    TDirectorySearch search;
    ASSERT_TRUE(search.First(Slash(folder.Path()) + u"*"));
    search.First(Slash(folder.Path()) + u"*");  // a second First must close the first listing
  }
  EXPECT_EQ(openDescriptors(), before);
}

#endif

}  // namespace
}  // namespace kestrix::platform
