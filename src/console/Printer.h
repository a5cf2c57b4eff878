#pragma once

#include <exception>
#include <string>

namespace kestrix {

// One output form of a run. The walk hands every matching file to the
// printer by its full path; when PrintFile raises, the walk hands the
// failure to PrintFailure and goes on with the next file.
class TPrinter {
 public:
  virtual ~TPrinter() = default;

  // Before the first file of the run.
  virtual void Start() {}
  virtual void PrintFile(const std::u16string& FullName) = 0;
  virtual void PrintFailure(const std::u16string& FullName, const std::exception& Error) = 0;
  // After the last file of the run.
  virtual void Finish() {}
  // Some file was judged bad (a CRC or its length); only the forms that
  // judge files say so.
  virtual bool AnyBad() const { return false; }
};

// The fixed report: the path, the report lines and an empty line per file;
// a failure is an "ERROR: " line before the empty line.
class TReportPrinter final : public TPrinter {
 public:
  void PrintFile(const std::u16string& FullName) override;
  void PrintFailure(const std::u16string& FullName, const std::exception& Error) override;
};

}  // namespace kestrix
