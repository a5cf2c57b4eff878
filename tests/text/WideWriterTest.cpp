#include "text/WideWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "output/ReportPrinter.h"

namespace kestrix {
namespace {

// A printer handed a memory writer prints there and nowhere else: the text
// is what a redirected output would carry, before its encoding.
TEST(WideWriter, MemoryCollectsTheLinesAsARedirectedOutputCarriesThem) {
  std::u16string text;
  TWideStdOut output(text, TTextEncoding::Utf16LE);
  TTextWriter& writer = output;
  EXPECT_TRUE(writer.WriteLine(u"a\x1B"));
  EXPECT_TRUE(writer.WriteLine());
  EXPECT_TRUE(writer.WriteFormatLine(u"%d files", {3}));
  EXPECT_TRUE(writer.WriteUtf8Line("{\"k\":\"\xC3\xA9\xFF\"}", "\n"));
  PrintError(writer, std::runtime_error("Cannot open file /x"));
  EXPECT_EQ(text,
            u"a\x1B\r\n\r\n3 files\r\n{\"k\":\"\u00E9\uFFFD\"}\nERROR: Cannot open file /x\r\n");
  EXPECT_FALSE(output.IsConsole());
  EXPECT_FALSE(output.IsReaderClosed());
  EXPECT_FALSE(output.AnyWriteFailed());

  text.clear();
  output.UseEncoding(TTextEncoding::Utf8);
  writer.WriteLine(u"b");
  EXPECT_EQ(text, u"b\n") << "UTF-8 lines end in LF";
}

}  // namespace
}  // namespace kestrix
