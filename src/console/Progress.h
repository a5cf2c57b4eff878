#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kestrix {

// One line on standard error that shows a long redirected run is alive:
// files reported, megabytes read and the folder being read. Drawn from the
// first half second on, at most ten times a second, erased at the end.
class TProgress {
 public:
  using TClock = std::chrono::steady_clock;
  using TWriter = std::function<void(const std::u16string&)>;
  using TNow = std::function<TClock::time_point()>;

  // Columns is the console's width, 0 when unknown.
  TProgress(TWriter Writer, int Columns, TNow Now = TClock::now);
  ~TProgress();
  TProgress(const TProgress&) = delete;
  TProgress& operator=(const TProgress&) = delete;

  void EnterFolder(const std::u16string& Path);
  void FileReported(std::int64_t Size);
  // Erases the line if it was drawn; nothing is drawn after it.
  void Finish();

 private:
  void Update();
  std::u16string LineText() const;

  TWriter Writer;
  std::size_t Width;
  TNow Now;
  TClock::time_point Start;
  std::optional<TClock::time_point> LastDraw;
  std::size_t DrawnLength = 0;
  bool Finished = false;
  std::int64_t Files = 0;
  std::int64_t Bytes = 0;
  std::u16string Folder;
};

// The progress line of a run: none unless standard output is redirected
// and standard error is a console.
std::unique_ptr<TProgress> StartProgress(bool StdOutIsConsole);

}  // namespace kestrix
