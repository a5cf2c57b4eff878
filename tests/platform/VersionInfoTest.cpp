#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/TestFiles.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrix::platform {
namespace {

// The block format below is the POSIX build's own data block; on Windows
// the block is the system's VERSIONINFO (tests in platform/win32/).
#ifndef _WIN32

using test::TBytes;

// UTF-16LE bytes of a text with its NUL.
TBytes Utf16Le(const std::u16string& Text) {
  TBytes bytes;
  for (const char16_t unit : Text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

TBytes Entries(const std::vector<std::pair<std::u16string, std::u16string>>& Pairs) {
  TBytes block;
  for (const auto& [key, value] : Pairs) {
    const TBytes k = Utf16Le(key);
    const TBytes v = Utf16Le(value);
    block.insert(block.end(), k.begin(), k.end());
    block.insert(block.end(), v.begin(), v.end());
  }
  block.push_back(0);
  block.push_back(0);
  return block;
}

const std::u16string ProductKey = u"\\StringFileInfo\\080904E4\\ProductName";
const std::u16string TranslationKey = u"\\VarFileInfo\\Translation";

TBytes SampleBlock() {
  return Entries({{ProductKey, u"Kestrix"},
                  {u"\\StringFileInfo\\080904E4\\LegalCopyright", u""},
                  {TranslationKey, u"\x0809\x04E4"}});
}

TEST(VersionBlock, FindsValuesByExactKey) {
  const TVersionBlock block(SampleBlock());
  EXPECT_EQ(block.QueryValue(ProductKey),
            TBytes({'K', 0, 'e', 0, 's', 0, 't', 0, 'r', 0, 'i', 0, 'x', 0}));
  EXPECT_EQ(block.QueryValue(TranslationKey), TBytes({0x09, 0x08, 0xE4, 0x04}));
}

TEST(VersionBlock, EmptyValueIsPresentButEmpty) {
  const TVersionBlock block(SampleBlock());
  const auto value = block.QueryValue(u"\\StringFileInfo\\080904E4\\LegalCopyright");
  ASSERT_TRUE(value.has_value());
  EXPECT_TRUE(value->empty());
}

TEST(VersionBlock, NearMissesAreAbsent) {
  const TVersionBlock block(SampleBlock());
  EXPECT_FALSE(block.QueryValue(u"\\StringFileInfo\\080904E4\\Product"));
  EXPECT_FALSE(block.QueryValue(u"\\StringFileInfo\\080904E4\\ProductNameX"));
  EXPECT_FALSE(block.QueryValue(u"\\stringfileinfo\\080904e4\\productname"));
  EXPECT_FALSE(block.QueryValue(u"\\StringFileInfo\\00000000\\ProductName"));
  // A value is never taken for a key.
  EXPECT_FALSE(block.QueryValue(u"Kestrix"));
  // The empty key ends the block; it is not an entry.
  EXPECT_FALSE(block.QueryValue(u""));
}

TEST(VersionBlock, EntriesAfterTheEndMarkAreNotRead) {
  TBytes bytes = Entries({{u"A", u"1"}});
  const TBytes more = Entries({{u"B", u"2"}});
  bytes.insert(bytes.end(), more.begin(), more.end());
  const TVersionBlock block(bytes);
  EXPECT_TRUE(block.QueryValue(u"A"));
  EXPECT_FALSE(block.QueryValue(u"B"));
}

TEST(VersionBlock, MalformedBlocksGiveNothing) {
  EXPECT_FALSE(TVersionBlock({}).QueryValue(u"A"));
  // The value runs off the end without its NUL.
  EXPECT_FALSE(TVersionBlock({'A', 0, 0, 0, '1', 0}).QueryValue(u"A"));
  // An odd byte at the end cannot finish a unit.
  EXPECT_FALSE(TVersionBlock({'A', 0, 0, 0, '1'}).QueryValue(u"A"));
  // Key without any value at all.
  EXPECT_FALSE(TVersionBlock({'A', 0, 0, 0}).QueryValue(u"A"));
  // No end mark: a key that is not there is looked for to the end and no further.
  EXPECT_FALSE(TVersionBlock({'A', 0, 0, 0, '1', 0, 0, 0}).QueryValue(u"B"));
  EXPECT_TRUE(TVersionBlock({'A', 0, 0, 0, '1', 0, 0, 0}).QueryValue(u"A"));
}

// A minimal ELF file: a null section, the given sections, the section-name
// table, then the section headers.
struct TElfBuilder {
  bool Is64 = true;
  bool BigEndian = false;
  std::vector<std::pair<std::string, TBytes>> Sections;
  std::uint32_t NoBitsSection = 0;  // index of a section to mark SHT_NOBITS, 0 for none
  bool ExtendedNumbers = false;     // count and name-table index kept in section 0

  void Put(TBytes& Out, std::size_t At, std::uint64_t Value, std::size_t Width) const {
    for (std::size_t i = 0; i < Width; ++i) {
      const std::size_t shift = 8 * (BigEndian ? Width - 1 - i : i);
      Out[At + i] = static_cast<std::uint8_t>(Value >> shift);
    }
  }

  TBytes Build() const {
    const std::size_t headerSize = Is64 ? 64 : 52;
    const std::size_t entrySize = Is64 ? 64 : 40;
    const std::size_t word = Is64 ? 8 : 4;
    TBytes file(headerSize, 0);
    file[0] = 0x7F;
    file[1] = 'E';
    file[2] = 'L';
    file[3] = 'F';
    file[4] = Is64 ? 2 : 1;
    file[5] = BigEndian ? 2 : 1;
    file[6] = 1;

    std::vector<std::pair<std::string, TBytes>> all = Sections;
    TBytes names(1, 0);
    std::vector<std::uint32_t> nameOffsets;
    for (const auto& section : all) {
      nameOffsets.push_back(static_cast<std::uint32_t>(names.size()));
      names.insert(names.end(), section.first.begin(), section.first.end());
      names.push_back(0);
    }
    nameOffsets.push_back(static_cast<std::uint32_t>(names.size()));
    const std::string tableName = ".shstrtab";
    names.insert(names.end(), tableName.begin(), tableName.end());
    names.push_back(0);
    all.emplace_back(tableName, names);

    std::vector<std::pair<std::uint64_t, std::uint64_t>> placement;
    for (const auto& section : all) {
      placement.emplace_back(file.size(), section.second.size());
      file.insert(file.end(), section.second.begin(), section.second.end());
    }
    const std::size_t tableOffset = file.size();
    const std::size_t count = all.size() + 1;
    file.resize(tableOffset + count * entrySize, 0);
    for (std::size_t i = 0; i < all.size(); ++i) {
      const std::size_t at = tableOffset + (i + 1) * entrySize;
      Put(file, at, nameOffsets[i], 4);
      Put(file, at + 4, i + 1 == NoBitsSection ? 8 : 1, 4);
      Put(file, at + (Is64 ? 24 : 16), placement[i].first, word);
      Put(file, at + (Is64 ? 32 : 20), placement[i].second, word);
    }
    Put(file, Is64 ? 0x28 : 0x20, tableOffset, word);
    Put(file, Is64 ? 0x3A : 0x2E, entrySize, 2);
    if (ExtendedNumbers) {
      Put(file, Is64 ? 0x3C : 0x30, 0, 2);
      Put(file, Is64 ? 0x3E : 0x32, 0xFFFF, 2);
      Put(file, tableOffset + (Is64 ? 32 : 20), count, word);
      Put(file, tableOffset + (Is64 ? 40 : 24), count - 1, 4);
    } else {
      Put(file, Is64 ? 0x3C : 0x30, count, 2);
      Put(file, Is64 ? 0x3E : 0x32, count - 1, 2);
    }
    return file;
  }
};

std::optional<TBytes> ReadFrom(const test::TTempFolder& Folder, const TBytes& File,
                               const std::string& Name = "program") {
  const auto path = Folder.Write(Name, File);
  const auto block = ReadVersionBlock(test::ToU16(path));
  if (!block) {
    return std::nullopt;
  }
  // The whole block comes back through a query of its first key.
  return block->QueryValue(ProductKey);
}

TEST(ReadVersionBlock, FindsTheSectionInEveryClassAndByteOrder) {
  test::TTempFolder folder;
  for (const bool is64 : {true, false}) {
    for (const bool big : {false, true}) {
      TElfBuilder builder;
      builder.Is64 = is64;
      builder.BigEndian = big;
      builder.Sections = {
          {".text", TBytes(10, 0x90)}, {"kestrix_version", SampleBlock()}, {".data", TBytes(3, 1)}};
      const auto value = ReadFrom(folder, builder.Build());
      ASSERT_TRUE(value.has_value()) << "64-bit " << is64 << ", big-endian " << big;
      EXPECT_EQ(*value, TBytes({'K', 0, 'e', 0, 's', 0, 't', 0, 'r', 0, 'i', 0, 'x', 0}));
    }
  }
}

TEST(ReadVersionBlock, CountsKeptInTheFirstSectionHeader) {
  test::TTempFolder folder;
  for (const bool is64 : {true, false}) {
    TElfBuilder builder;
    builder.Is64 = is64;
    builder.ExtendedNumbers = true;
    builder.Sections = {{".text", TBytes(10, 0x90)}, {"kestrix_version", SampleBlock()}};
    EXPECT_TRUE(ReadFrom(folder, builder.Build())) << "64-bit " << is64;
  }
}

TEST(ReadVersionBlock, ReturnsTheSectionBytesUnchanged) {
  test::TTempFolder folder;
  TElfBuilder builder;
  const TBytes contents = {1, 2, 3, 4, 5};
  builder.Sections = {{"kestrix_version", contents}};
  const auto path = folder.Write("program", builder.Build());
  const auto block = ReadVersionBlock(test::ToU16(path));
  ASSERT_TRUE(block.has_value());
  // Malformed as a block, but the reader hands over what the file holds.
  EXPECT_FALSE(block->QueryValue(u"x"));
}

TEST(ReadVersionBlock, OnlyTheExactNameCounts) {
  test::TTempFolder folder;
  TElfBuilder builder;
  builder.Sections = {{"kestrix_versio", SampleBlock()}, {"kestrix_version2", SampleBlock()}};
  EXPECT_FALSE(ReadFrom(folder, builder.Build()));
}

TEST(ReadVersionBlock, SectionWithoutFileDataIsAbsent) {
  test::TTempFolder folder;
  TElfBuilder builder;
  builder.Sections = {{"kestrix_version", SampleBlock()}};
  builder.NoBitsSection = 1;
  EXPECT_FALSE(ReadFrom(folder, builder.Build()));
}

TEST(ReadVersionBlock, NotElfOrNoFileGivesNothing) {
  test::TTempFolder folder;
  EXPECT_FALSE(ReadFrom(folder, {}));
  EXPECT_FALSE(ReadFrom(folder, {0x7F, 'E', 'L', 'F'}));
  EXPECT_FALSE(ReadFrom(folder, TBytes(4096, 0xFF)));
  EXPECT_FALSE(ReadVersionBlock(test::ToU16(folder.Path() / "missing")));
  EXPECT_FALSE(ReadVersionBlock(test::ToU16(folder.Path())));
}

TEST(ReadVersionBlock, FifoIsNotOpenedForReading) {
  test::TTempFolder folder;
  const auto path = folder.Path() / "fifo";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  // Would block for ever if the reader waited for a writer.
  EXPECT_FALSE(ReadVersionBlock(test::ToU16(path)));
}

TEST(ReadVersionBlock, EveryTruncationGivesNothing) {
  test::TTempFolder folder;
  TElfBuilder builder;
  builder.Sections = {{"kestrix_version", SampleBlock()}};
  const TBytes whole = builder.Build();
  ASSERT_TRUE(ReadFrom(folder, whole));
  // Every cut inside the header, then a sample of the rest down to the last byte.
  std::vector<std::size_t> sizes;
  for (std::size_t size = 0; size < whole.size(); size += size < 64 ? 1 : 13) {
    sizes.push_back(size);
  }
  sizes.push_back(whole.size() - 1);
  for (const std::size_t size : sizes) {
    const TBytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(ReadFrom(folder, cut)) << "cut at " << size;
  }
}

TEST(ReadVersionBlock, OutOfRangeFieldsGiveNothing) {
  test::TTempFolder folder;
  TElfBuilder builder;
  builder.Sections = {{"kestrix_version", SampleBlock()}};
  const TBytes whole = builder.Build();
  const std::size_t table = whole.size() - 3 * 64;
  const std::size_t versionEntry = table + 64;

  struct TCase {
    const char* What;
    std::size_t At;
    std::size_t Width;
    std::uint64_t Value;
  };
  const TCase cases[] = {
      {"section offset past the end", versionEntry + 24, 8, whole.size()},
      {"huge section size", versionEntry + 32, 8, ~std::uint64_t{0}},
      {"offset plus size wraps around", versionEntry + 24, 8, ~std::uint64_t{0} - 2},
      {"section table past the end", 0x28, 8, whole.size() - 10},
      {"huge section table offset", 0x28, 8, ~std::uint64_t{0} - 100},
      {"no section table", 0x28, 8, 0},
      {"entry size too small", 0x3A, 2, 16},
      {"more sections than the file holds", 0x3C, 2, 0xFFF0},
      {"name table index out of range", 0x3E, 2, 50},
      {"name offset outside the name table", versionEntry, 4, 0xFFFFFF},
  };
  for (const TCase& c : cases) {
    TBytes file = whole;
    builder.Put(file, c.At, c.Value, c.Width);
    EXPECT_FALSE(ReadFrom(folder, file)) << c.What;
  }
}

TEST(ReadVersionBlock, DamagedBytesNeverCrash) {
  test::TTempFolder folder;
  TElfBuilder builder;
  builder.Is64 = false;
  builder.BigEndian = true;
  builder.Sections = {{"kestrix_version", SampleBlock()}};
  const TBytes whole = builder.Build();
  // The header and the section table; the data bytes are only copied.
  std::vector<std::size_t> places;
  const std::size_t table = whole.size() - 3 * 40;
  for (std::size_t at = 0; at < whole.size(); ++at) {
    if (at < 52 || at >= table) {
      places.push_back(at);
    }
  }
  for (const std::size_t at : places) {
    for (const std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
      TBytes file = whole;
      file[at] = value;
      (void)ReadFrom(folder, file);
    }
  }
}

TEST(ReadVersionBlock, TheTestProgramHasNoVersionSection) {
  char buffer[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  ASSERT_GT(length, 0);
  EXPECT_FALSE(
      ReadVersionBlock(test::ToU16(std::string(buffer, static_cast<std::size_t>(length)))));
}

#endif

}  // namespace
}  // namespace kestrix::platform
