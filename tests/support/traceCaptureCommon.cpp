#include "traceCapture.h"
#include "vlObject.h"

std::vector<std::string> traced;

namespace {
void collect(const char* line) { traced.push_back(line); }
}  // namespace

void TraceTest::SetUp() {
  traced.clear();
  dboutHook = collect;
}

void TraceTest::TearDown() { dboutHook = nullptr; }
