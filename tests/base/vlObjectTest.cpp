#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "traceCapture.h"
#include "vlObject.h"

namespace {
class Traced : public TraceTest {
 protected:
  void SetUp() override {
    TraceTest::SetUp();
    vlObject::ResetViewError();
  }
  void TearDown() override {
    TraceTest::TearDown();
    vlObject::ResetViewError();
  }
};
}  // namespace

TEST(vlObject, NameIsCutAt80Bytes) {
  std::string longName(100, 'n');
  vlObject o(longName.c_str());
  EXPECT_EQ(std::string(o.name()), std::string(80, 'n'));
  o.name("vlFind");
  EXPECT_STREQ(o.name(), "vlFind");
  EXPECT_EQ(o.lastError, 0);
  EXPECT_EQ(o.errorLevel, -1);
  EXPECT_FALSE(o.owned);
}

TEST(vlObject, ErrorStringTableAndFallback) {
  struct Row {
    int code;
    const char* text;
  } rows[] = {
      {-1, "エラーが発生しました"}, {0, "正常終了"},        {2, "ファイルが見つからない"},
      {18, "これ以上ファイルはありません"}, {23, "CRC エラー"}, {2250, "接続していない"},
      {14, "<<error: 14>>"},  {-5, "<<error: -5>>"},  {-2147483647 - 1, "<<error: -2147483648>>"},
  };
  for (const Row& r : rows) {
    char buffer[64] = "junk";
    EXPECT_STREQ(vlObject::ErrorString(r.code, buffer), r.text) << "code " << r.code;
    EXPECT_STREQ(buffer, r.text) << "code " << r.code;
    EXPECT_STREQ(vlObject::ErrorString(r.code, nullptr), r.text) << "code " << r.code;
  }
}

TEST_F(Traced, ViewErrorStoresAndTracesAboveThreshold) {
  vlObject o("vlFind");
  EXPECT_EQ(o.viewError(0, "store", 5), 0);
  EXPECT_TRUE(traced.empty());
  EXPECT_EQ(o.viewError(5, nullptr, 5), 5);
  EXPECT_EQ(o.lastError, 5);
  ASSERT_EQ(traced.size(), 1u);
  EXPECT_EQ(traced[0], "<<vlFind::error アクセスが拒否された>>\n");
  EXPECT_STREQ(o.errorString(nullptr), "アクセスが拒否された");
  o.viewError(2, "open", 3);  // not strictly above the threshold 3
  EXPECT_EQ(traced.size(), 1u);
  EXPECT_EQ(o.lastError, 2);
}

TEST_F(Traced, ThresholdsGlobalAndPerObject) {
  vlObject o("x");
  EXPECT_EQ(vlObject::ViewErrorLevel(10), 10);
  o.viewError(5, "w", 5);
  EXPECT_TRUE(traced.empty());
  EXPECT_EQ(vlObject::ResetViewError(), 3);
  EXPECT_EQ(vlObject::ViewErrorLevel(), 3);
  o.errorLevel = 7;
  EXPECT_EQ(o.viewErrorLevel(), 7);
  o.viewError(5, "w", 5);
  EXPECT_TRUE(traced.empty());
  EXPECT_EQ(o.resetViewError(), -1);
  EXPECT_EQ(o.viewErrorLevel(), 3);
}

TEST_F(Traced, StaticViewError) {
  EXPECT_EQ(vlObject::ViewError(0, "x", 9), 0);
  EXPECT_EQ(vlObject::ViewError(3, nullptr, 5), 3);
  ASSERT_EQ(traced.size(), 1u);
  EXPECT_EQ(traced[0], "<<::error パスが見つからない>>\n");
  EXPECT_EQ(vlObject::ViewError(3, "y", 3), 3);
  EXPECT_EQ(traced.size(), 1u);
}
