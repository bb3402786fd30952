// Tests that read the trace lines which dbout drops in the program.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Every line traced since the running test began.
extern std::vector<std::string> traced;

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
