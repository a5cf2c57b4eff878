#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrix::platform {

// A copy of an executable's version data, owned by the caller.
class TVersionBlock {
 public:
  explicit TVersionBlock(std::vector<std::uint8_t> Bytes) : Data(std::move(Bytes)) {}
  // The raw bytes stored under SubBlock, such as
  // "\StringFileInfo\080904E4\ProductName" (UTF-16LE text) or
  // "\VarFileInfo\Translation" (pairs of 16-bit numbers); none when absent.
  std::optional<std::vector<std::uint8_t>> QueryValue(const std::u16string& SubBlock) const;

 private:
  std::vector<std::uint8_t> Data;
};

// The version data of the executable at FileName; none when it has none.
std::optional<TVersionBlock> ReadVersionBlock(const std::u16string& FileName);

}  // namespace kestrix::platform
