// The progress line of a copy on a terminal: files done of the total, bytes, rate and
// the current file, redrawn in place on standard error. The totals come first from a
// dry run of the same job, with the progress as its observer.
#pragma once
#include <chrono>
#include <string>
#include "copyEngine.h"

class cliProgress : public copyObserver {
 public:
  // width: the terminal's columns; the line stays shorter so that it never wraps.
  explicit cliProgress(int width);
  ~cliProgress() override;

  // Ends the counting dry run: from now on files are copied and the line is drawn.
  void startShowing();

  // A file starts: the line shows it (at most ten redraws a second).
  void fileStarts(const char* source) override;
  // A file ends: counted into the totals, or into what is done.
  void fileEnds(const char* source, bool copied) override;

  // Blanks the line, so that a log line on the same terminal starts at its left edge;
  // the next file draws it again.
  void clear();

 private:
  // The line (code page 932) before it is cut to the width.
  std::string line(const char* current) const;
  void draw(const char* current);

  int width;
  bool showing = false;
  bool drawn = false;
  int files = 0, totalFiles = 0;
  unsigned long long bytes = 0, totalBytes = 0;
  std::chrono::steady_clock::time_point start, lastDraw;
};
