#include "console/Options.h"

#include <array>
#include <optional>
#include <string_view>

#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::u16string_view EndOfOptions = u"--";
constexpr char16_t OptionMark = u'-';

constexpr std::array<std::u16string_view, 2> RecursiveNames = {u"--recursive", u"-r"};
constexpr std::u16string_view Utf8Name = u"--utf8";
constexpr std::array<std::u16string_view, 2> JobsNames = {u"-j", u"--jobs"};
constexpr int MaxJobCount = 256;
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

const TFormName* FindForm(std::u16string_view Argument) {
  for (const TFormName& form : FormNames) {
    if (Argument == form.Name) {
      return &form;
    }
  }
  return nullptr;
}

// A count of jobs: digits only, from 1 to MaxJobCount.
std::optional<int> JobCount(std::u16string_view Text) {
  constexpr std::size_t MaxDigits = 3;
  if (Text.empty() || Text.size() > MaxDigits) {
    return std::nullopt;
  }
  int count = 0;
  for (const char16_t c : Text) {
    if (c < u'0' || c > u'9') {
      return std::nullopt;
    }
    count = count * 10 + (c - u'0');
  }
  if (count < 1 || count > MaxJobCount) {
    return std::nullopt;
  }
  return count;
}

}  // namespace

TParsedOptions ParseOptions(const std::vector<std::u16string>& Arguments) {
  TParsedOptions parsed;
  TOptions& options = parsed.Options;
  const TFormName* chosenForm = nullptr;
  auto refuse = [&parsed](std::u16string Message) {
    if (!parsed.Refusal) {
      parsed.Refusal = TRefusal{std::move(Message)};
    }
  };

  bool onlyPaths = false;
  for (auto next = Arguments.begin(); next != Arguments.end(); ++next) {
    const std::u16string& argument = *next;
    if (onlyPaths || argument.empty() || argument.front() != OptionMark) {
      options.Paths.push_back(argument);
    } else if (argument == EndOfOptions) {
      onlyPaths = true;
    } else if (IsOneOf(argument, RecursiveNames)) {
      options.Recursive = true;
    } else if (IsOneOf(argument, JobsNames)) {
      const bool hasValue = next + 1 != Arguments.end();
      const std::optional<int> jobs = hasValue ? JobCount(*(next + 1)) : std::nullopt;
      if (jobs) {
        options.Jobs = *jobs;
      } else {
        refuse(FormatText(u"Option '%s' needs a number of files to check at once, from 1 to %d",
                          {argument, MaxJobCount}));
      }
      next += hasValue ? 1 : 0;
    } else if (argument == Utf8Name) {
      options.Utf8 = true;
    } else if (IsOneOf(argument, HelpNames)) {
      options.Help = true;
    } else if (const TFormName* form = FindForm(argument)) {
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
