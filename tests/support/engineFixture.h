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

// Counts the files a job tells its observer of, as the progress totals count them.
class countObserver : public copyObserver {
 public:
  void fileStarts(const char*) override {}
  void fileEnds(const char*, bool copied) override {
    ++files;
    copiedFiles += copied ? 1 : 0;
  }
  int files = 0, copiedFiles = 0;
};

// A dry run's log line in the copy's words: "name  コピーします" as "name  成功",
// "name  続きをコピーします" as "name  続きをコピーしました", each "name  ... (失敗)" as
// "name  失敗"; other lines as they are.
inline std::string asCopied(const std::string& line) {
  const std::string would = "  コピーします", wouldFinish = "  続きをコピーします", failed = " (失敗)";
  auto endsWith = [&line](const std::string& end) {
    return line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
  };
  if (endsWith(would)) return line.substr(0, line.size() - would.size()) + "  成功";
  if (endsWith(wouldFinish))
    return line.substr(0, line.size() - wouldFinish.size()) + "  続きをコピーしました";
  if (endsWith(failed)) return line.substr(0, line.rfind("  ")) + "  失敗";
  return line;
}

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

  struct observed {
    std::vector<std::string> log;  // a dry run's in the copy's words
    int failures, files, copied;
  };
  observed runObserved(bool dry, int method, bool recursive, const std::string& source,
                       const std::string& dest) {
    countObserver counter;
    engine->dryRun = dry;
    engine->observer = &counter;
    // A braced list is evaluated in order: the counts are read after the job.
    observed o{runJob(method, recursive, source, dest), engine->jobFailures, counter.files,
               counter.copiedFiles};
    engine->dryRun = false;
    engine->observer = nullptr;
    if (dry)
      for (std::string& line : o.log) line = asCopied(line);
    return o;
  }

  // Makes each path under base in order: a folder when it ends in "\\", else a file
  // holding its own name.
  static void makeTree(const std::string& base, const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
      if (p.back() == '\\')
        makeDir(base + "\\" + p.substr(0, p.size() - 1));
      else
        writeFile(base + "\\" + p, p);
    }
  }

  // Runs the job as a dry run, then for real on the same tree: the dry run foresees the
  // copy's log line for line, its failures (the exit status) and the files counted for
  // the progress.
  void expectDryRunForesees(const std::string& row, int method, bool recursive,
                            const std::string& source, const std::string& dest) {
    observed dry = runObserved(true, method, recursive, source, dest);
    observed real = runObserved(false, method, recursive, source, dest);
    EXPECT_EQ(dry.log, real.log) << row;
    EXPECT_EQ(dry.failures, real.failures) << row;
    EXPECT_EQ(dry.files, real.files) << row;
    EXPECT_EQ(dry.copied, real.copied) << row;
  }

  TempDir tmp;
  recordSink log;
  std::unique_ptr<copyEngine> engine;
  const std::string done = "--- 処理は終了しました ---";
};
