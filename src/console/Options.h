#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/StdOutput.h"

namespace kestrix {

// What each matched file becomes on standard output.
enum class TOutputForm { Report, Json, Csv, Verify };

// How a file list separates its names: a line each ("--files-from"), or a
// NUL byte after each ("--files0-from").
enum class TListSeparator { Line, Nul };

// A list of paths to check, named on the command line; "-" is standard
// input.
struct TFileListName {
  std::u16string Name;
  TListSeparator Separator = TListSeparator::Line;

  bool operator==(const TFileListName& Other) const {
    return Name == Other.Name && Separator == Other.Separator;
  }
};

struct TOptions {
  bool Recursive = false;
  // "--utf8" or "--utf16": the encoding of redirected text; none: the
  // system's own.
  std::optional<platform::TTextEncoding> Encoding;
  bool Help = false;     // a help word stood among the options
  bool Version = false;  // "--version": the version and license instead of a run
  bool Quiet = false;    // "--verify" prints no line for an intact file or one that is no MP3
  bool Summary = false;  // "--verify" and "--json" end with what the library is made of
  TOutputForm Form = TOutputForm::Report;
  // "--json" or "--csv" stood among the options, also in a refused line:
  // then standard output carries nothing but that form.
  bool MachineReadable = false;
  int Jobs = 0;  // files analysed at once; 0: as many as the processors, at most 16
  std::vector<std::u16string> Paths;  // in the order given
  // Read after Paths, in the order given.
  std::vector<TFileListName> FileLists;
};

// Why a command line was refused: the line that says so, printed before
// the usage.
struct TRefusal {
  std::u16string Message;
};

struct TParsedOptions {
  TOptions Options;  // also filled as far as it goes when refused
  std::optional<TRefusal> Refusal;
};

// Reads the arguments after the program, where a known option counts
// wherever it stands, up to "--", after which every argument is a path.
// An option that takes a value takes the next argument, or what follows
// "=" in its own ("--files-from=list.txt"). Any other argument beginning
// with "-" is refused, and so are two different output forms, and an
// option of one form with another. A help or version request wins over a
// refusal.
TParsedOptions ParseOptions(const std::vector<std::u16string>& Arguments);

}  // namespace kestrix
