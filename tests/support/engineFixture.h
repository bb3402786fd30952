// A copy engine that writes into a recorded log, beside a fresh temporary folder.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "copyEngine.h"
#include "logSink.h"
#include "testFs.h"

class recordSink : public logSink {
 public:
  void addList(const char* text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() : engine(std::make_unique<copyEngine>(log)) {}

  // Runs one job as the dialog does after reading its controls; returns its log.
  std::vector<std::string> runJob(int method, bool recursive, const std::string& source,
                                  const std::string& dest) {
    log.lines.clear();
    std::strcpy(method == 0 ? engine->sourceFolder : engine->fileList, source.c_str());
    std::strcpy(engine->destFolder, dest.c_str());
    engine->copyMethod = method;
    engine->recursive = recursive;
    engine->copyJob();
    return log.lines;
  }

  TempDir tmp;
  recordSink log;
  std::unique_ptr<copyEngine> engine;
  const std::string done = "--- 処理は終了しました ---";
};
