// Tests that replace the POSIX layer's system calls to inject faults; the real calls
// stay reachable through savedCalls and come back after each test.
#pragma once
#include <gtest/gtest.h>
#include "../../lib/posix/posixCalls.h"

extern PosixCalls savedCalls;

class PosixFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { savedCalls = posixCalls; }
  void TearDown() override { posixCalls = savedCalls; }
};
