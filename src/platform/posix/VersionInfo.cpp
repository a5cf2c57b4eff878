#include "platform/VersionInfo.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/posix/PosixFile.h"

namespace kestrix::platform {

namespace {

constexpr char VersionSectionName[] = "kestrix_version";
constexpr unsigned BitsPerByte = 8;

// The parts of the ELF format this reader needs.
namespace elf {
constexpr std::array<std::uint8_t, 4> Magic = {0x7F, 'E', 'L', 'F'};
constexpr std::size_t ClassIndex = 4;
constexpr std::size_t DataIndex = 5;
constexpr std::uint8_t Class32 = 1;
constexpr std::uint8_t Class64 = 2;
constexpr std::uint8_t LittleEndian = 1;
constexpr std::uint8_t BigEndian = 2;
constexpr std::uint32_t SectionNoBits = 8;
constexpr std::uint64_t UndefinedSection = 0;
constexpr std::uint64_t ExtendedIndex = 0xFFFF;  // the real index is in section 0

// Where the fields sit, for one of the two classes.
struct TLayout {
  std::size_t HeaderSize;
  std::size_t SectionTableOffset, SectionTableWidth;
  std::size_t SectionEntrySize, SectionCount, NameTableIndex;  // 2 bytes each
  std::size_t EntrySize;                                       // least size of a section header
  std::size_t Type, Link, Offset, Size, AddressWidth;
};
constexpr TLayout Layout32 = {52, 0x20, 4, 0x2E, 0x30, 0x32, 40, 4, 24, 16, 20, 4};
constexpr TLayout Layout64 = {64, 0x28, 8, 0x3A, 0x3C, 0x3E, 64, 4, 40, 24, 32, 8};
constexpr std::size_t NameField = 0;  // 4 bytes in both classes
constexpr std::size_t WordWidth = 4;
constexpr std::size_t HalfWidth = 2;
}  // namespace elf

using TBytes = std::vector<std::uint8_t>;

class TElfFile {
 public:
  explicit TElfFile(const std::u16string& FileName)
      : File(::open(posix::ToSystemPath(FileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    struct stat status {};
    if (File.IsOpen() && ::fstat(File.Get(), &status) == 0 && S_ISREG(status.st_mode)) {
      FileSize = static_cast<std::uint64_t>(status.st_size);
    }
  }

  std::optional<TBytes> FindSection(std::string_view Name) {
    if (!ReadHeader() || !ReadSectionTable()) {
      return std::nullopt;
    }
    const std::optional<TBytes> names = SectionData(NameTableIndex);
    if (!names) {
      return std::nullopt;
    }
    for (std::uint64_t index = 0; index < SectionCount; ++index) {
      if (NameAt(*names, EntryField(index, elf::NameField, elf::WordWidth)) == Name) {
        return SectionData(index);
      }
    }
    return std::nullopt;
  }

 private:
  // Count bytes at Offset, none when they do not all lie inside the file.
  std::optional<TBytes> ReadAt(std::uint64_t Offset, std::uint64_t Count) const {
    if (Offset > FileSize || Count > FileSize - Offset) {
      return std::nullopt;
    }
    TBytes bytes(static_cast<std::size_t>(Count));
    if (!posix::ReadFully(File.Get(), static_cast<std::int64_t>(Offset), bytes.data(),
                          bytes.size())) {
      return std::nullopt;
    }
    return bytes;
  }

  std::uint64_t Field(const TBytes& Bytes, std::size_t At, std::size_t Width) const {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < Width; ++i) {
      const std::size_t index = Big ? At + i : At + Width - 1 - i;
      value = (value << BitsPerByte) | Bytes[index];
    }
    return value;
  }

  bool ReadHeader() {
    const std::optional<TBytes> ident =
        ReadAt(0, std::min<std::uint64_t>(FileSize, elf::Layout64.HeaderSize));
    if (!ident || ident->size() <= elf::DataIndex ||
        !std::equal(elf::Magic.begin(), elf::Magic.end(), ident->begin())) {
      return false;
    }
    const std::uint8_t fileClass = (*ident)[elf::ClassIndex];
    const std::uint8_t data = (*ident)[elf::DataIndex];
    if ((fileClass != elf::Class32 && fileClass != elf::Class64) ||
        (data != elf::LittleEndian && data != elf::BigEndian)) {
      return false;
    }
    Layout = fileClass == elf::Class64 ? &elf::Layout64 : &elf::Layout32;
    Big = data == elf::BigEndian;
    if (ident->size() < Layout->HeaderSize) {
      return false;
    }
    const TBytes& header = *ident;
    TableOffset = Field(header, Layout->SectionTableOffset, Layout->SectionTableWidth);
    EntrySize = Field(header, Layout->SectionEntrySize, elf::HalfWidth);
    SectionCount = Field(header, Layout->SectionCount, elf::HalfWidth);
    NameTableIndex = Field(header, Layout->NameTableIndex, elf::HalfWidth);
    if (TableOffset == 0 || EntrySize < Layout->EntrySize) {
      return false;
    }
    return ReadExtendedNumbers();
  }

  // Files with very many sections keep the count and the name table's index
  // in the first section header.
  bool ReadExtendedNumbers() {
    if (SectionCount != 0 && NameTableIndex != elf::ExtendedIndex) {
      return true;
    }
    const std::optional<TBytes> first = ReadAt(TableOffset, EntrySize);
    if (!first) {
      return false;
    }
    if (SectionCount == 0) {
      SectionCount = Field(*first, Layout->Size, Layout->AddressWidth);
    }
    if (NameTableIndex == elf::ExtendedIndex) {
      NameTableIndex = Field(*first, Layout->Link, elf::WordWidth);
    }
    return true;
  }

  // The whole table, which must lie inside the file.
  bool ReadSectionTable() {
    if (SectionCount == 0 || SectionCount > FileSize / EntrySize ||
        NameTableIndex == elf::UndefinedSection || NameTableIndex >= SectionCount) {
      return false;
    }
    std::optional<TBytes> table = ReadAt(TableOffset, SectionCount * EntrySize);
    if (!table) {
      return false;
    }
    Table = std::move(*table);
    return true;
  }

  std::uint64_t EntryField(std::uint64_t Index, std::size_t At, std::size_t Width) const {
    return Field(Table, static_cast<std::size_t>(Index * EntrySize) + At, Width);
  }

  std::optional<TBytes> SectionData(std::uint64_t Index) const {
    if (EntryField(Index, Layout->Type, elf::WordWidth) == elf::SectionNoBits) {
      return std::nullopt;
    }
    return ReadAt(EntryField(Index, Layout->Offset, Layout->AddressWidth),
                  EntryField(Index, Layout->Size, Layout->AddressWidth));
  }

  static std::string_view NameAt(const TBytes& Names, std::uint64_t Offset) {
    if (Offset >= Names.size()) {
      return {};
    }
    const auto* start = reinterpret_cast<const char*>(Names.data()) + Offset;
    const std::size_t room = Names.size() - static_cast<std::size_t>(Offset);
    return std::string_view(start, strnlen(start, room));
  }

  posix::TFileDescriptor File;
  std::uint64_t FileSize = 0;
  const elf::TLayout* Layout = nullptr;
  bool Big = false;
  std::uint64_t TableOffset = 0;
  std::uint64_t EntrySize = 0;
  std::uint64_t SectionCount = 0;
  std::uint64_t NameTableIndex = 0;
  TBytes Table;
};

// The block's text is UTF-16LE, whatever the reading system's byte order.
constexpr std::size_t UnitSize = 2;

// Reads one NUL-terminated UTF-16LE text at Position and moves past its NUL;
// none when the block ends first.
std::optional<std::u16string> ReadText(const std::vector<std::uint8_t>& Data,
                                       std::size_t& Position) {
  std::u16string text;
  while (Position + UnitSize <= Data.size()) {
    const auto unit = static_cast<char16_t>(Data[Position] | (Data[Position + 1] << BitsPerByte));
    Position += UnitSize;
    if (unit == u'\0') {
      return text;
    }
    text.push_back(unit);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> TVersionBlock::QueryValue(
    const std::u16string& SubBlock) const {
  std::size_t position = 0;
  for (;;) {
    const std::optional<std::u16string> key = ReadText(Data, position);
    if (!key || key->empty()) {
      return std::nullopt;
    }
    const std::size_t valueStart = position;
    if (!ReadText(Data, position)) {
      return std::nullopt;
    }
    if (*key == SubBlock) {
      const auto first = Data.begin() + static_cast<std::ptrdiff_t>(valueStart);
      const auto last = Data.begin() + static_cast<std::ptrdiff_t>(position - UnitSize);
      return std::vector<std::uint8_t>(first, last);
    }
  }
}

std::optional<TVersionBlock> ReadVersionBlock(const std::u16string& FileName) {
  TElfFile file(FileName);
  std::optional<TBytes> section = file.FindSection(VersionSectionName);
  if (!section) {
    return std::nullopt;
  }
  return TVersionBlock(std::move(*section));
}

}  // namespace kestrix::platform
