#include "console/Listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/TestFiles.h"

namespace kestrix {
namespace {

#ifndef _WIN32
TEST(PathParts, SplitAtTheLastSeparator) {
  EXPECT_EQ(DirectoryPart(u"/music/a/*.mp3"), u"/music/a/");
  EXPECT_EQ(NamePart(u"/music/a/*.mp3"), u"*.mp3");
  EXPECT_EQ(DirectoryPart(u"name"), u"");
  EXPECT_EQ(NamePart(u"name"), u"name");
  EXPECT_EQ(NamePart(u"/music/"), u"");
  EXPECT_EQ(AddTrailingSeparator(u""), std::u16string(1, platform::FolderSeparator));
  EXPECT_EQ(AddTrailingSeparator(u"/a/"), u"/a/");
  EXPECT_EQ(AddTrailingSeparator(u"/a"), u"/a/");
}

// Entries as "F <folder>" and "<file> <size>", relative to Root.
std::vector<std::u16string> Entries(TListing& Listing, const std::u16string& Root) {
  std::vector<std::u16string> entries;
  while (const std::optional<TListingEntry> entry = Listing.Next()) {
    const std::u16string name = entry->Name.substr(Root.size());
    entries.push_back(entry->Kind == TListingKind::Folder
                          ? u"F " + name
                          : name + u" " + test::ToU16(std::to_string(entry->Size)));
  }
  return entries;
}

// Files that match and one that does not, a hidden folder, an empty one and
// a link back up to the top, which the walk has already entered.
class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder.Write("b.mp3", test::TBytes(3));
    Folder.Write("a.mp3", test::TBytes(1));
    Folder.Write("x.txt", test::TBytes(2));
    Folder.Write("sub/deep/d.mp3", test::TBytes(5));
    Folder.Write("sub/c.mp3", test::TBytes(4));
    Folder.Write(".hidden/e.mp3", test::TBytes(6));
    std::filesystem::create_directory(Folder.Path() / "zz");
    std::filesystem::create_directory_symlink("..", Folder.Path() / "sub" / "up");
  }
  std::u16string Root() const { return test::ToU16(Folder.Path()); }

  test::TTempFolder Folder;
  std::set<platform::TFolderId> Visited;
};

TEST_F(ListingTest, FilesFirstThenSubfoldersDepthFirst) {
  TListing listing(Root() + u"/*.mp3", true, Visited);
  EXPECT_EQ(
      Entries(listing, Root()),
      (std::vector<std::u16string>{u"F /", u"/a.mp3 1", u"/b.mp3 3", u"F /sub/", u"/sub/c.mp3 4",
                                   u"F /sub/deep/", u"/sub/deep/d.mp3 5", u"F /zz/"}));
  EXPECT_TRUE(listing.AnyMatch());
  EXPECT_FALSE(listing.Next());
}

TEST_F(ListingTest, WithoutRecursionOnlyTheFolderItself) {
  TListing listing(Root(), false, Visited);
  EXPECT_EQ(Entries(listing, Root()),
            (std::vector<std::u16string>{u"F /", u"/a.mp3 1", u"/b.mp3 3", u"/x.txt 2"}));
}

TEST_F(ListingTest, MatchesFoundOnlyDeepDownOrNowhere) {
  TListing deep(Root() + u"/d.mp3", true, Visited);
  EXPECT_EQ(Entries(deep, Root()).size(), 5u);
  EXPECT_TRUE(deep.AnyMatch());
  std::set<platform::TFolderId> visited;
  TListing none(Root() + u"/*.flac", true, visited);
  EXPECT_EQ(Entries(none, Root()),
            (std::vector<std::u16string>{u"F /", u"F /sub/", u"F /sub/deep/", u"F /zz/"}));
  EXPECT_FALSE(none.AnyMatch());
}

// A walk may stop after any entry; the match so far is known.
TEST_F(ListingTest, StopsWhereverTheWalkStops) {
  TListing listing(Root() + u"/*.mp3", true, Visited);
  ASSERT_TRUE(listing.Next());
  EXPECT_FALSE(listing.AnyMatch());
  EXPECT_EQ(listing.Next()->Name, Root() + u"/a.mp3");
  EXPECT_TRUE(listing.AnyMatch());
}
#endif

}  // namespace
}  // namespace kestrix
