#pragma once

#include <string>

#include "analysis/FileCheck.h"

namespace kestrix {

// One judging output form of a run: it prints what the analysis found of
// each file, in the order of the walk, and never reads a file itself.
class TPrinter {
 public:
  virtual ~TPrinter() = default;

  // Before the first file of the run.
  virtual void Start() {}
  virtual void PrintFile(const std::u16string& FullName, const TFileCheck& Check) = 0;
  // After the last file of the run.
  virtual void Finish() {}
  // Some file was judged bad.
  virtual bool AnyBad() const = 0;
};

}  // namespace kestrix
