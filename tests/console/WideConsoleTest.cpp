#include "console/WideConsole.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(PrintOperations, WriteNothingWithoutAWriter) {
  ASSERT_EQ(StdOut, nullptr);
  EXPECT_FALSE(PrintLine(u"x"));
  EXPECT_FALSE(PrintFormatLine(u"%d", {1}));
}

}  // namespace
}  // namespace kestrix
