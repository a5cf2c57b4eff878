#include "console/Options.h"

#include <array>
#include <string_view>

#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::u16string_view EndOfOptions = u"--";
constexpr char16_t OptionMark = u'-';
constexpr char16_t ValueMark = u'=';

constexpr std::array<std::u16string_view, 2> RecursiveNames = {u"--recursive", u"-r"};
// The help words that look like options, and the short form users try first.
constexpr std::array<std::u16string_view, 4> HelpNames = {u"--help", u"-help", u"-?", u"-h"};
constexpr std::u16string_view VersionName = u"--version";
constexpr std::array<std::u16string_view, 2> QuietNames = {u"--quiet", u"-q"};
constexpr std::u16string_view SummaryName = u"--summary";
constexpr std::array<std::u16string_view, 2> JobsNames = {u"-j", u"--jobs"};
constexpr int MaxJobCount = 256;

struct TEncodingName {
  std::u16string_view Name;
  platform::TTextEncoding Encoding;
};
constexpr std::array<TEncodingName, 2> EncodingNames = {{
    {u"--utf8", platform::TTextEncoding::Utf8},
    {u"--utf16", platform::TTextEncoding::Utf16LE},
}};

struct TFormName {
  std::u16string_view Name;
  TOutputForm Form;
};
constexpr std::array<TFormName, 3> FormNames = {{
    {u"--json", TOutputForm::Json},
    {u"--csv", TOutputForm::Csv},
    {u"--verify", TOutputForm::Verify},
}};

struct TListName {
  std::u16string_view Name;
  TListSeparator Separator;
};
constexpr std::array<TListName, 2> ListNames = {{
    {u"--files-from", TListSeparator::Line},
    {u"--files0-from", TListSeparator::Nul},
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

// The arguments read one at a time, an option's value with its option.
class TOptionParser {
 public:
  explicit TOptionParser(const std::vector<std::u16string>& Arguments) : Arguments(Arguments) {}

  TParsedOptions Parse() {
    while (Next < Arguments.size()) {
      Take(Arguments[Next++]);
    }
    CheckFormOptions();
    if (Options().Help || Options().Version) {
      Parsed.Refusal.reset();
    }
    return Parsed;
  }

 private:
  TOptions& Options() { return Parsed.Options; }

  void Refuse(std::u16string Message) {
    if (!Parsed.Refusal) {
      Parsed.Refusal = TRefusal{std::move(Message)};
    }
  }

  void Take(const std::u16string& Argument) {
    if (OnlyPaths || Argument.empty() || Argument.front() != OptionMark) {
      Options().Paths.push_back(Argument);
    } else if (Argument == EndOfOptions) {
      OnlyPaths = true;
    } else if (!TakeSwitch(Argument) && !TakeChoice(Argument) && !TakeValue(Argument)) {
      Refuse(FormatText(u"Unknown option: '%s'", {Argument}));
    }
  }

  // An option that stands alone and only turns something on.
  bool TakeSwitch(std::u16string_view Argument) {
    if (IsOneOf(Argument, RecursiveNames)) {
      Options().Recursive = true;
    } else if (IsOneOf(Argument, HelpNames)) {
      Options().Help = true;
    } else if (Argument == VersionName) {
      Options().Version = true;
    } else if (IsOneOf(Argument, QuietNames)) {
      Options().Quiet = true;
      QuietName = Argument;
    } else if (Argument == SummaryName) {
      Options().Summary = true;
    } else {
      return false;
    }
    return true;
  }

  // One of several options that exclude each other: an encoding, a form.
  bool TakeChoice(std::u16string_view Argument) {
    if (const TEncodingName* encoding = FindNamed(Argument, EncodingNames)) {
      if (Choose(Encoding, encoding)) {
        Options().Encoding = encoding->Encoding;
      }
    } else if (const TFormName* form = FindNamed(Argument, FormNames)) {
      Options().MachineReadable = Options().MachineReadable || form->Form == TOutputForm::Json ||
                                  form->Form == TOutputForm::Csv;
      if (Choose(Form, form)) {
        Options().Form = form->Form;
      }
    } else {
      return false;
    }
    return true;
  }

  // False, with a refusal, when another of the choices was made before.
  template <typename TNamed>
  bool Choose(const TNamed*& Chosen, const TNamed* Choice) {
    if (Chosen != nullptr && Chosen->Name != Choice->Name) {
      Refuse(FormatText(u"Options '%s' and '%s' cannot be used together",
                        {Chosen->Name, Choice->Name}));
      return false;
    }
    Chosen = Choice;
    return true;
  }

  // An option with a value: the next argument, or the text after "=".
  bool TakeValue(std::u16string_view Argument) {
    const std::u16string_view name = Argument.substr(0, Argument.find(ValueMark));
    const TListName* list = FindNamed(name, ListNames);
    if (list == nullptr && !IsOneOf(name, JobsNames)) {
      return false;
    }
    std::u16string value;
    if (name.size() < Argument.size()) {
      value = Argument.substr(name.size() + 1);
    } else if (Next < Arguments.size()) {
      value = Arguments[Next++];
    }
    if (list == nullptr) {
      TakeJobs(name, value);
    } else if (value.empty()) {
      Refuse(FormatText(u"Option '%s' needs the name of a file list", {name}));
    } else {
      Options().FileLists.push_back({value, list->Separator});
    }
    return true;
  }

  void TakeJobs(std::u16string_view Name, std::u16string_view Value) {
    if (const std::optional<int> jobs = JobCount(Value)) {
      Options().Jobs = *jobs;
    } else {
      Refuse(FormatText(u"Option '%s' needs a number of files to check at once, from 1 to %d",
                        {Name, MaxJobCount}));
    }
  }

  // Options that belong to one output form.
  void CheckFormOptions() {
    if (Options().Quiet && Options().Form != TOutputForm::Verify) {
      Refuse(FormatText(u"Option '%s' works only with '--verify'", {QuietName}));
    }
    const TOutputForm form = Options().Form;
    if (Options().Summary && form != TOutputForm::Verify && form != TOutputForm::Json) {
      Refuse(FormatText(u"Option '%s' works only with '--verify' or '--json'", {SummaryName}));
    }
  }

  const std::vector<std::u16string>& Arguments;
  std::size_t Next = 0;
  TParsedOptions Parsed;
  bool OnlyPaths = false;
  const TEncodingName* Encoding = nullptr;
  const TFormName* Form = nullptr;
  std::u16string_view QuietName;
};

}  // namespace

TParsedOptions ParseOptions(const std::vector<std::u16string>& Arguments) {
  return TOptionParser(Arguments).Parse();
}

}  // namespace kestrix
