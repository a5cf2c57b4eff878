#pragma once

#include <exception>
#include <memory>
#include <string>

#include "output/Printer.h"
#include "platform/FileStream.h"
#include "text/WideWriter.h"

namespace kestrix {

// What a walk does with each matching file. Reading happens here, in the
// front end; the output forms only print what was read.
class TFileAction {
 public:
  virtual ~TFileAction() = default;
  // Before the first file and after the last one of the run.
  virtual void Start() {}
  virtual void Finish() {}
  // Some file was judged bad; only the forms that judge files say so.
  virtual bool AnyBad() const { return false; }
  // False when the file could not be read (its error was printed).
  virtual bool Process(const std::u16string& FullName) = 0;
  // When Process raised: prints the failure in the form of the run.
  virtual void Fail(const std::u16string& FullName, const std::exception& Error) = 0;
  // A folder of the walk could not be listed; true when the form says so.
  virtual bool FolderFailed(const std::u16string& Folder, const std::string& Message) = 0;
};

// The fixed report: the path, the report of the file's own reader and an
// empty line; a failure is an "ERROR: " line before the empty line.
class TReportAction final : public TFileAction {
 public:
  explicit TReportAction(TTextWriter& Output) : Output(Output) {}
  bool Process(const std::u16string& FullName) override;
  void Fail(const std::u16string& FullName, const std::exception& Error) override;
  // The report passes over such a folder without a word.
  bool FolderFailed(const std::u16string&, const std::string&) override { return false; }

 private:
  TTextWriter& Output;
  platform::TReadBuffer Buffer;  // every file of the run is read through it
};

// A judging form: the file is read once by the analysis, then printed.
class TCheckAction final : public TFileAction {
 public:
  explicit TCheckAction(std::unique_ptr<TPrinter> Printer) : Printer(std::move(Printer)) {}
  void Start() override { Printer->Start(); }
  void Finish() override { Printer->Finish(); }
  bool AnyBad() const override { return Printer->AnyBad(); }
  bool Process(const std::u16string& FullName) override;
  void Fail(const std::u16string& FullName, const std::exception& Error) override;
  // An error entry for the folder.
  bool FolderFailed(const std::u16string& Folder, const std::string& Message) override;

 private:
  std::unique_ptr<TPrinter> Printer;
  platform::TReadBuffer Buffer;  // every file of the run is read through it
};

}  // namespace kestrix
