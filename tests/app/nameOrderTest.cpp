#include <gtest/gtest.h>
#include "nameOrder.h"

namespace {
int sign(int n) { return (n > 0) - (n < 0); }

struct OrderRow {
  const char* a;
  const char* b;
  int bytes;    // sign of the byte-order comparison of a with b
  int natural;  // sign of the natural-order comparison
};

const OrderRow orderRows[] = {
    /* 0 */ {"10.mp3", "9.mp3", -1, 1},
    /* 1 */ {"2.mp3", "10.mp3", 1, -1},
    /* 2 */ {"01.mp3", "1.mp3", -1, -1},  // equal values fall back to byte order
    /* 3 */ {"007", "7", -1, -1},
    /* 4 */ {"a2b", "a10b", 1, -1},
    /* 5 */ {"track 9 part 2", "track 9 part 10", 1, -1},
    /* 6 */ {"B.mp3", "a.mp3", -1, -1},  // no case folding
    /* 7 */ {"ソ.mp3", "z.mp3", 1, 1},   // a double-byte character after every ASCII byte
    /* 8 */ {"表2.mp3", "表10.mp3", 1, -1},
    /* 9 */ {"abc", "abcd", -1, -1},
    /* 10 */ {"", "a", -1, -1},
    /* 11 */ {"99999999999999999999.mp3", "100000000000000000000.mp3", 1, -1},  // no overflow
    /* 12 */ {"x1y", "x1y", 0, 0},
    /* 13 */ {"1a", "1", 1, 1},
};
}  // namespace

TEST(NameOrder, ByteAndNaturalOrderBothWays) {
  for (size_t i = 0; i < sizeof orderRows / sizeof orderRows[0]; ++i) {
    const OrderRow& row = orderRows[i];
    SCOPED_TRACE(testing::Message() << "row " << i << ": " << row.a << " / " << row.b);
    EXPECT_EQ(sign(nameCompareBytes(row.a, row.b)), row.bytes);
    EXPECT_EQ(sign(nameCompareBytes(row.b, row.a)), -row.bytes);
    EXPECT_EQ(sign(nameCompareNatural(row.a, row.b)), row.natural);
    EXPECT_EQ(sign(nameCompareNatural(row.b, row.a)), -row.natural);
    EXPECT_EQ(sign(nameCompare(row.a, row.b, false)), row.bytes);
    EXPECT_EQ(sign(nameCompare(row.a, row.b, true)), row.natural);
  }
}
