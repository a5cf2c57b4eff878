#include "console/FileList.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

using TNames = std::vector<std::string>;

// The names of a list whose bytes arrive Piece bytes at a time.
TNames Split(std::string_view Bytes, TListSeparator Separator, std::size_t Piece) {
  TNameSplitter splitter(Separator);
  TNames names;
  for (std::size_t at = 0; at < Bytes.size(); at += Piece) {
    splitter.Add(Bytes.substr(at, Piece));
    while (const std::optional<std::string> name = splitter.Next()) {
      names.push_back(*name);
    }
  }
  splitter.End();
  while (const std::optional<std::string> name = splitter.Next()) {
    names.push_back(*name);
  }
  EXPECT_FALSE(splitter.HeldNul());
  return names;
}

TEST(NameSplitter, LinesInAnyPiecesCrLfAndEmptyLines) {
  const std::string list = "a.mp3\r\n\n\nsub dir/b.mp3\n \r\n\r\nlast";
  for (const std::size_t piece : {1u, 2u, 7u, 100u}) {
    EXPECT_EQ(Split(list, TListSeparator::Line, piece),
              (TNames{"a.mp3", "sub dir/b.mp3", " ", "last"}))
        << piece;
  }
}

TEST(NameSplitter, NulSeparatedNamesKeepLineEnds) {
  const std::string list("x\ny\0\0z\r\0", 8);
  EXPECT_EQ(Split(list, TListSeparator::Nul, 3), (TNames{"x\ny", "z\r"}));
}

TEST(NameSplitter, NulInAListOfLinesIsNoticed) {
  TNameSplitter splitter(TListSeparator::Line);
  splitter.Add("a\n");
  EXPECT_FALSE(splitter.HeldNul());
  splitter.Add(std::string_view("b\0c\n", 4));
  EXPECT_TRUE(splitter.HeldNul());
}

}  // namespace
}  // namespace kestrix
