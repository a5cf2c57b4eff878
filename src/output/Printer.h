#pragma once

#include <optional>
#include <string>

#include "analysis/FileCheck.h"
#include "output/LibrarySummary.h"
#include "text/WideWriter.h"

namespace kestrix {

// One judging output form of a run: it prints what the analysis found of
// each file, in the order of the walk, and never reads a file itself.
class TPrinter {
 public:
  explicit TPrinter(TTextWriter& Output) : Writer(Output) {}
  virtual ~TPrinter() = default;

  // Before the first file of the run.
  virtual void Start() {}
  // Also sums up what the files are made of, for the form's summary.
  void KeepLibrarySummary() { Library.emplace(); }
  // Prints the file, then counts its verdict.
  void PrintFile(const std::u16string& FullName, const TFileCheck& Check) {
    Print(FullName, Check);
    Counts.Count(Check.Verdict.Kind);
    if (Library) {
      Library->Add(Check);
    }
  }
  // After the last file of the run.
  virtual void Finish() {}
  // Some file was judged bad.
  bool AnyBad() const { return Counts.Of(TVerdictKind::Bad) > 0; }

 protected:
  // The verdicts of the files printed so far.
  const TTally& Tally() const { return Counts; }
  // What the files printed so far are made of, when it is kept.
  const std::optional<TLibrarySummary>& LibrarySummary() const { return Library; }
  // Where the form's lines go.
  TTextWriter& Output() const { return Writer; }

 private:
  virtual void Print(const std::u16string& FullName, const TFileCheck& Check) = 0;

  TTextWriter& Writer;
  TTally Counts;
  std::optional<TLibrarySummary> Library;
};

}  // namespace kestrix
