#include "console/Options.h"

#include <array>
#include <string_view>

#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::u16string_view EndOfOptions = u"--";
constexpr char16_t OptionMark = u'-';

constexpr std::array<std::u16string_view, 2> RecursiveNames = {u"--recursive", u"-r"};

struct TEncodingName {
  std::u16string_view Name;
  platform::TTextEncoding Encoding;
};
constexpr std::array<TEncodingName, 2> EncodingNames = {{
    {u"--utf8", platform::TTextEncoding::Utf8},
    {u"--utf16", platform::TTextEncoding::Utf16LE},
}};
// The help words that look like options, and the short form users try first.
constexpr std::array<std::u16string_view, 4> HelpNames = {u"--help", u"-help", u"-?", u"-h"};

struct TFormName {
  std::u16string_view Name;
  TOutputForm Form;
};
constexpr std::array<TFormName, 3> FormNames = {{
    {u"--json", TOutputForm::Json},
    {u"--csv", TOutputForm::Csv},
    {u"--verify", TOutputForm::Verify},
}};

template <std::size_t N>
bool IsOneOf(std::u16string_view Argument, const std::array<std::u16string_view, N>& Names) {
  for (const std::u16string_view name : Names) {
    if (Argument == name) {
      return true;
    }
  }
  return false;
}

template <typename TNamed, std::size_t N>
const TNamed* FindNamed(std::u16string_view Argument, const std::array<TNamed, N>& Table) {
  for (const TNamed& entry : Table) {
    if (Argument == entry.Name) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace

TParsedOptions ParseOptions(const std::vector<std::u16string>& Arguments) {
  TParsedOptions parsed;
  TOptions& options = parsed.Options;
  const TFormName* chosenForm = nullptr;
  const TEncodingName* chosenEncoding = nullptr;
  auto refuse = [&parsed](std::u16string Message) {
    if (!parsed.Refusal) {
      parsed.Refusal = TRefusal{std::move(Message)};
    }
  };

  bool onlyPaths = false;
  for (const std::u16string& argument : Arguments) {
    if (onlyPaths || argument.empty() || argument.front() != OptionMark) {
      options.Paths.push_back(argument);
    } else if (argument == EndOfOptions) {
      onlyPaths = true;
    } else if (IsOneOf(argument, RecursiveNames)) {
      options.Recursive = true;
    } else if (const TEncodingName* encoding = FindNamed(argument, EncodingNames)) {
      if (chosenEncoding != nullptr && chosenEncoding->Encoding != encoding->Encoding) {
        refuse(FormatText(u"Options '%s' and '%s' cannot be used together",
                          {chosenEncoding->Name, encoding->Name}));
      } else {
        chosenEncoding = encoding;
        options.Encoding = encoding->Encoding;
      }
    } else if (IsOneOf(argument, HelpNames)) {
      options.Help = true;
    } else if (const TFormName* form = FindNamed(argument, FormNames)) {
      options.MachineReadable = options.MachineReadable || form->Form == TOutputForm::Json ||
                                form->Form == TOutputForm::Csv;
      if (chosenForm != nullptr && chosenForm->Form != form->Form) {
        refuse(FormatText(u"Options '%s' and '%s' cannot be used together",
                          {chosenForm->Name, form->Name}));
      } else {
        chosenForm = form;
        options.Form = form->Form;
      }
    } else {
      refuse(FormatText(u"Unknown option: '%s'", {argument}));
    }
  }
  if (options.Help) {
    parsed.Refusal.reset();
  }
  return parsed;
}

}  // namespace kestrix
