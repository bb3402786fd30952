// Where a copy job writes its log: the dialog's list box, or the command line.
#pragma once

class logSink {
 public:
  virtual ~logSink() = default;
  // Appends one log line (code page 932) after the lines written before.
  virtual void addList(const char* text) = 0;
};
