#include "platform/VersionInfo.h"

#include <cwctype>

#include "platform/win32/Win32File.h"

namespace kestrix::platform {

namespace {

constexpr std::u16string_view StringTablePath = u"\\StringFileInfo\\";
constexpr std::size_t UnitSize = sizeof(char16_t);

// VerQueryValueW counts string values in characters and all else in bytes.
bool IsStringValue(const std::u16string& SubBlock) {
  if (SubBlock.size() < StringTablePath.size()) {
    return false;
  }
  for (std::size_t i = 0; i < StringTablePath.size(); ++i) {
    if (std::towlower(SubBlock[i]) != std::towlower(StringTablePath[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> TVersionBlock::QueryValue(
    const std::u16string& SubBlock) const {
  if (Data.empty() || win32::HoldsZero(SubBlock)) {
    return std::nullopt;
  }
  void* value = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(Data.data(), win32::Wide(SubBlock), &value, &length) == 0) {
    return std::nullopt;
  }
  const auto* first = static_cast<const std::uint8_t*>(value);
  const std::uint8_t* end = Data.data() + Data.size();
  std::size_t bytes = IsStringValue(SubBlock) ? std::size_t{length} * UnitSize : length;
  // The value must lie inside the block the system filled.
  if (first == nullptr || first < Data.data() || first > end) {
    return std::vector<std::uint8_t>();
  }
  bytes = std::min(bytes, static_cast<std::size_t>(end - first));
  return std::vector<std::uint8_t>(first, first + bytes);
}

std::optional<TVersionBlock> ReadVersionBlock(const std::u16string& FileName) {
  if (FileName.empty() || win32::HoldsZero(FileName)) {
    return std::nullopt;
  }
  const std::u16string path = win32::ToSystemPath(FileName);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(win32::Wide(path), &ignored);
  if (size == 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> block(size);
  if (::GetFileVersionInfoW(win32::Wide(path), 0, size, block.data()) == 0) {
    return std::nullopt;
  }
  return TVersionBlock(std::move(block));
}

}  // namespace kestrix::platform
