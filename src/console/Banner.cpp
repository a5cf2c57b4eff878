#include "console/Banner.h"

#include "console/VerUtils.h"

namespace kestrix {

namespace {

constexpr const char16_t* UsageLines[] = {
    u"Usage: Kestrix [--recursive] <filename|folder>",
    u"       Wildcards are supported in the filename",
};

constexpr const char16_t* NoteLines[] = {
    u"Notes:",
    u"- The LAME version string in the LAME tag is only five characters",
    u"  long, so version numbers such as 3.93.1 are truncated.",
    u"- The preset field is only written by LAME version 3.93 and higher",
    u"  and some later compiles of version 3.90.3.  For files where the",
    u"  preset was not written by the encoder, an attempt will be made",
    u"  to guess the preset, based on the following fields: bitrate,",
    u"  quality, encoding method, noise shaping, stereo mode, ATH type",
    u"  and lowpass.",
    u"- The ReplayGain fields are only written by LAME version 3.94 and",
    u"  higher.",
    u"- The MP3Gain field in the LAME tag is not written by any current",
    u"  implementations of MP3Gain.",
};

constexpr const char16_t* OptionLines[] = {
    u"Options, with more than one argument (a single argument is always a path):",
    u"  -r, --recursive      look for the name in every folder below as well",
    u"  --utf8               write all output as UTF-8 with LF line ends",
    u"  --utf16              write redirected output as UTF-16LE with CR LF",
    u"  --json               print the fields of each file as JSON",
    u"  --csv                print one CSV row per file",
    u"  --verify             judge each file by its checksums and its frames",
    u"  -q, --quiet          with --verify: only the files that need attention",
    u"  --summary            with --verify or --json: what the files are made of",
    u"  --files-from FILE    also the paths in FILE, one a line (-: standard input)",
    u"  --files0-from FILE   the same, each path ended by a NUL byte",
    u"  -j, --jobs N         check N files at once (default: the processors, up to 16)",
    u"  --                   every argument after it is a path",
    u"  -h, --help           show this help",
    u"  --version            show the version and the license",
    u"Several paths are reported in the order given, under one banner.",
};

constexpr std::u16string_view ProgramName = u"kestrix";
constexpr std::u16string_view License = u"MIT";

// The executable's version strings, its version data read once.
class TVersionStrings {
 public:
  explicit TVersionStrings(const std::u16string& ExeName) : Block(GetVersionInfoBlock(ExeName)) {}
  std::u16string operator[](const char16_t* Key) const {
    return Block ? VersionBlockString(*Block, Key, 0, 0) : std::u16string();
  }

 private:
  std::optional<platform::TVersionBlock> Block;
};

}  // namespace

void ShowBanner(TTextWriter& Output, const std::u16string& ExeName) {
  const TVersionStrings strings(ExeName);
  Output.WriteFormatLine(u"%s - %s", {strings[u"ProductName"], strings[u"FileDescription"]});
  Output.WriteFormatLine(u"Copyright %s", {strings[u"LegalCopyright"]});
  Output.WriteFormatLine(u"Release %s, compiled %s",
                         {strings[u"ProductVersion"], strings[u"CompileDate"]});
}

void ShowVersion(TTextWriter& Output, const std::u16string& ExeName) {
  Output.WriteFormatLine(u"%s %s", {ProgramName, TVersionStrings(ExeName)[u"ProductVersion"]});
  Output.WriteFormatLine(u"License: %s", {License});
}

void ShowUsage(TTextWriter& Output) {
  for (const char16_t* line : UsageLines) {
    Output.WriteLine(line);
  }
}

void ShowNotes(TTextWriter& Output) {
  for (const char16_t* line : NoteLines) {
    Output.WriteLine(line);
  }
}

void ShowOptions(TTextWriter& Output) {
  for (const char16_t* line : OptionLines) {
    Output.WriteLine(line);
  }
}

}  // namespace kestrix
