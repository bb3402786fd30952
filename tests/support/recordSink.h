// A log sink for tests: keeps every line the copy engine writes.
#pragma once
#include <string>
#include <vector>
#include "logSink.h"

class recordSink : public logSink {
 public:
  void addList(const char* text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};
