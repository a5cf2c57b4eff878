#include "console/VerUtils.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/KestrixError.h"
#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::size_t TranslationSize = 4;

std::u16string TextFromBytes(const std::vector<std::uint8_t>& Bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < Bytes.size(); i += 2) {
    const auto c = static_cast<char16_t>(Bytes[i] | (Bytes[i + 1] << 8));
    if (c == 0) {
      break;  // the value ends at its first NUL
    }
    text += c;
  }
  return text;
}

}  // namespace

void CheckCondition(bool Condition, const std::u16string& Message) {
  if (!Condition) {
    throw EKestrixError(platform::Narrow(Message));
  }
}

void CheckFileExists(const std::u16string& FileName) {
  CheckCondition(platform::IsExistingFile(FileName),
                 u"Internal Error: File does not exist: " + FileName);
}

std::optional<platform::TVersionBlock> GetVersionInfoBlock(const std::u16string& FileName) {
  CheckFileExists(FileName);
  return platform::ReadVersionBlock(FileName);
}

std::uint32_t VersionBlockTranslation(const platform::TVersionBlock& Block) {
  const auto value = Block.QueryValue(u"\\VarFileInfo\\Translation");
  if (!value || value->size() < TranslationSize) {
    return 0;
  }
  const auto& b = *value;
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::u16string VersionBlockString(const platform::TVersionBlock& Block, const std::u16string& Key,
                                  std::uint16_t Lang, std::uint16_t CodePage) {
  if (Lang == 0 || CodePage == 0) {
    const std::uint32_t translation = VersionBlockTranslation(Block);
    Lang = static_cast<std::uint16_t>(translation & 0xFFFF);
    CodePage = static_cast<std::uint16_t>(translation >> 16);
  }
  const std::u16string subBlock =
      FormatText(u"%s\\%.4x%.4x\\%s", {std::string("\\StringFileInfo"), Lang, CodePage, Key});
  const auto value = Block.QueryValue(subBlock);
  return value ? TextFromBytes(*value) : std::u16string();
}

std::uint32_t GetVersionTranslation(const std::u16string& FileName) {
  const auto block = GetVersionInfoBlock(FileName);
  return block ? VersionBlockTranslation(*block) : 0;
}

std::u16string GetVersionInfoString(const std::u16string& Key, const std::u16string& FileName,
                                    std::uint16_t Lang, std::uint16_t CodePage) {
  const auto block = GetVersionInfoBlock(FileName);
  return block ? VersionBlockString(*block, Key, Lang, CodePage) : std::u16string();
}

}  // namespace kestrix
