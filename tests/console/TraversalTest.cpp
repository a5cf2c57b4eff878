#include "console/Traversal.h"

#include <gtest/gtest.h>

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
#endif

}  // namespace
}  // namespace kestrix
