#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/VersionInfo.h"

// Lookups in the version data that an executable carries.
namespace kestrix {

// The value stored under Key, or empty. Lang or CodePage 0: both are taken
// from the file's first translation.
std::u16string GetVersionInfoString(const std::u16string& Key, const std::u16string& FileName,
                                    std::uint16_t Lang, std::uint16_t CodePage);
// The first translation: language in the low 16 bits, code page in the
// high 16 bits; 0 when there is none.
std::uint32_t GetVersionTranslation(const std::u16string& FileName);
// Raises when FileName is not an existing file; none when it carries no
// version data.
std::optional<platform::TVersionBlock> GetVersionInfoBlock(const std::u16string& FileName);

// The same lookups in a block already read, so that several keys cost one
// read of the file.
std::uint32_t VersionBlockTranslation(const platform::TVersionBlock& Block);
std::u16string VersionBlockString(const platform::TVersionBlock& Block, const std::u16string& Key,
                                  std::uint16_t Lang, std::uint16_t CodePage);

void CheckFileExists(const std::u16string& FileName);
void CheckCondition(bool Condition, const std::u16string& Message);

}  // namespace kestrix
