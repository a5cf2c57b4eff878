#pragma once

#include <memory>
#include <string>

#include "analysis/FileCheck.h"
#include "output/Printer.h"
#include "text/WideWriter.h"

namespace kestrix {

// What a run makes of each matching file: what the analysis must find of
// it, and how its findings are printed. It never reads a file; the walk
// has each file analysed, then hands the findings over in walk order.
class TFileAction {
 public:
  virtual ~TFileAction() = default;
  // Before the first file and after the last one of the run.
  virtual void Start() {}
  virtual void Finish() {}
  // Some file was judged bad; only the forms that judge files say so.
  virtual bool AnyBad() const { return false; }
  // What the analysis of every file must find for this form.
  virtual const TAnalysisNeeds& Needs() const = 0;
  // Prints a file's findings (an error verdict when it could not be read);
  // false when it could not be read.
  virtual bool Print(const std::u16string& FullName, const TFileCheck& Check) = 0;
  // A folder of the walk could not be listed; true when the form says so.
  virtual bool FolderFailed(const std::u16string& Folder, const std::string& Message) = 0;
};

// The fixed report: the path, the report of the file's tag and an empty
// line; a file that could not be read gets an "ERROR: " line instead of
// the report.
class TReportAction final : public TFileAction {
 public:
  explicit TReportAction(TTextWriter& Output);
  const TAnalysisNeeds& Needs() const override { return ReportNeeds; }
  bool Print(const std::u16string& FullName, const TFileCheck& Check) override;
  // The report passes over such a folder without a word.
  bool FolderFailed(const std::u16string&, const std::string&) override { return false; }

 private:
  TTextWriter& Output;
  TAnalysisNeeds ReportNeeds;
};

// A judging form: every file is judged, then printed by the form's printer.
class TCheckAction final : public TFileAction {
 public:
  explicit TCheckAction(std::unique_ptr<TPrinter> Printer) : Printer(std::move(Printer)) {}
  void Start() override { Printer->Start(); }
  void Finish() override { Printer->Finish(); }
  bool AnyBad() const override { return Printer->AnyBad(); }
  const TAnalysisNeeds& Needs() const override { return JudgeNeeds; }
  bool Print(const std::u16string& FullName, const TFileCheck& Check) override;
  // An error entry for the folder.
  bool FolderFailed(const std::u16string& Folder, const std::string& Message) override;

 private:
  std::unique_ptr<TPrinter> Printer;
  TAnalysisNeeds JudgeNeeds;
};

}  // namespace kestrix
