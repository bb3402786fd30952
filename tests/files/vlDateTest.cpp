#include <gtest/gtest.h>
#include <windows.h>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>
#include "testFs.h"
#include "traceCapture.h"
#include "zoneSwitch.h"
#include "vlDate.h"
#include "vlFileStream.h"

namespace {
// Day of the week by a closed formula of its own (0 = Sunday).
int weekday(int y, int m, int d) {
  static const int shift[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) --y;
  return (y + y / 4 - y / 100 + y / 400 + shift[m - 1] + d) % 7;
}

struct Fields {
  int y, mo, d, h, mi, s, ms;
};

Fields fieldsOf(vlDate& date) {
  Fields f;
  date.getDate(&f.y, &f.mo, &f.d, &f.h, &f.mi, &f.s, &f.ms);
  return f;
}

std::string show(const Fields& f) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", f.y, f.mo, f.d, f.h, f.mi,
                f.s, f.ms);
  return text;
}

void setFields(vlDate& date, const Fields& f) {
  date.setDate(f.y, f.mo, f.d);
  date.setTime(f.h, f.mi, f.s, f.ms);
}

uint64_t steps(const FILETIME& t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

FILETIME fileTime(uint64_t v) { return FILETIME{DWORD(v), DWORD(v >> 32)}; }

SYSTEMTIME* const none = nullptr;  // a date with every field 0
const uint64_t newYear2024 = 133485408000000000ull;  // 2024-01-01 00:00 UTC
const uint64_t stepsPerMinute = 600000000ull;

// The bias of the platform's time zone is read once; tests that need another value set
// it and put the old state back.
class BiasGuard {
 public:
  BiasGuard() : bias(vlDate::tzBias), getted(vlDate::timeZoneGetted) {}
  ~BiasGuard() {
    vlDate::tzBias = bias;
    vlDate::timeZoneGetted = getted;
  }

 private:
  int bias;
  bool getted;
};
}  // namespace

TEST(vlDate, LeapYearsAndMonthLengths) {
  struct Row {
    int year;
    bool leap;
  } rows[] = {{2000, true}, {1900, false}, {2024, true}, {2023, false}, {1600, true}, {4, true}, {1, false}};
  vlDate date(none, false);
  for (const Row& r : rows) {
    EXPECT_EQ(vlDate::LeapYear(r.year), r.leap) << r.year;
    EXPECT_EQ(date.mday(2, r.year), r.leap ? 29 : 28) << r.year;
  }
  EXPECT_EQ(date.mday(12, 2023), 31);
  EXPECT_EQ(date.mday(13, 2023), 0);
  date.setDate(2024, 40, 1);  // unchecked, yet never read past the month table
  EXPECT_LT(date.dayOfWeek(), 7);
}

TEST(vlDate, DaysOfTheWeekFromYear1To9999) {
  vlDate date(none, false);
  int wrong = 0;
  for (int y = 1; y <= 9999; ++y)
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= date.mday(m, y); ++d) {
        date.setDate(y, m, d);
        if (date.dayOfWeek() != weekday(y, m, d) && ++wrong < 5)
          ADD_FAILURE() << y << "-" << m << "-" << d << ": " << date.dayOfWeek();
      }
  EXPECT_EQ(wrong, 0);
  // The platform's own calendar agrees from 1601 on.
  for (int y = 1601; y <= 9999; y += 7)
    for (int m = 1; m <= 12; ++m) {
      SYSTEMTIME in{WORD(y), WORD(m), 0, 13, 0, 0, 0, 0}, out{};
      FILETIME t;
      ASSERT_TRUE(SystemTimeToFileTime(&in, &t)) << y << "-" << m;
      ASSERT_TRUE(FileTimeToSystemTime(&t, &out));
      date.setDate(y, m, 13);
      EXPECT_EQ(out.wDayOfWeek, date.dayOfWeek()) << y << "-" << m;
      EXPECT_EQ(out.wYear * 10000 + out.wMonth * 100 + out.wDay, y * 10000 + m * 100 + 13);
    }
  date.setDate(2024, 1, 1);
  EXPECT_STREQ(date.dayOfWeekStr(), "月");
  date.setDate(2023, 12, 31);
  EXPECT_STREQ(date.dayOfWeekStr(), "日");
  date.setDate(2024, 1, 6);
  EXPECT_STREQ(date.dayOfWeekStr(), "土");
}

TEST(vlDate, ArithmeticCarriesBothWays) {
  struct Row {
    Fields start;
    int sign;
    int amounts[7];  // years .. milliseconds
    Fields expected;
  } rows[] = {
      {{2023, 1, 31, 0, 0, 0, 0}, 1, {0, 0, 30, 0, 0, 0, 0}, {2023, 3, 2, 0, 0, 0, 0}},
      {{2024, 1, 31, 0, 0, 0, 0}, 1, {0, 0, 30, 0, 0, 0, 0}, {2024, 3, 1, 0, 0, 0, 0}},
      {{2023, 12, 15, 0, 0, 0, 0}, 1, {0, 1, 0, 0, 0, 0, 0}, {2024, 1, 15, 0, 0, 0, 0}},
      {{2024, 3, 15, 0, 0, 0, 0}, -1, {0, 12, 0, 0, 0, 0, 0}, {2023, 3, 15, 0, 0, 0, 0}},
      {{2024, 1, 15, 0, 0, 0, 0}, -1, {0, 12, 0, 0, 0, 0, 0}, {2023, 1, 15, 0, 0, 0, 0}},
      {{2023, 12, 15, 0, 0, 0, 0}, 1, {0, 13, 0, 0, 0, 0, 0}, {2025, 1, 15, 0, 0, 0, 0}},
      {{2024, 2, 15, 0, 0, 0, 0}, -1, {0, 25, 0, 0, 0, 0, 0}, {2022, 1, 15, 0, 0, 0, 0}},
      {{2023, 1, 31, 0, 0, 0, 0}, 1, {0, 1, 0, 0, 0, 0, 0}, {2023, 3, 3, 0, 0, 0, 0}},
      {{2024, 1, 1, 10, 0, 0, 0}, -1, {0, 0, 0, 0, 0, 0, 1000}, {2024, 1, 1, 9, 59, 59, 0}},
      {{2024, 1, 1, 10, 0, 0, 0}, -1, {0, 0, 0, 0, 0, 60, 0}, {2024, 1, 1, 9, 59, 0, 0}},
      {{2024, 1, 1, 0, 0, 0, 0}, -1, {0, 0, 1, 0, 0, 0, 0}, {2023, 12, 31, 0, 0, 0, 0}},
      {{2024, 1, 1, 0, 0, 0, 0}, -1, {0, 0, 0, 0, 0, 0, 1}, {2023, 12, 31, 23, 59, 59, 999}},
      {{2023, 12, 31, 23, 0, 0, 0}, 1, {0, 0, 0, 25, 0, 0, 0}, {2024, 1, 2, 0, 0, 0, 0}},
      {{2024, 3, 1, 0, 0, 0, 0}, -1, {0, 0, 1, 0, 0, 0, 0}, {2024, 2, 29, 0, 0, 0, 0}},
      {{1900, 2, 28, 0, 0, 0, 0}, 1, {0, 0, 1, 0, 0, 0, 0}, {1900, 3, 1, 0, 0, 0, 0}},
      {{2024, 1, 1, 0, 0, 0, 0}, 1, {1, -1, 0, 0, 0, 0, -1}, {2024, 11, 30, 23, 59, 59, 999}},
      {{2024, 1, 1, 0, 0, 0, 0}, 1, {0, 0, 0, 0, 0, 0, -86400000}, {2023, 12, 31, 0, 0, 0, 0}},
      {{2024, 1, 1, 0, 0, 0, 0}, 1, {0, 0, 3 * 146097 + 1, 0, 0, 0, 0}, {3224, 1, 2, 0, 0, 0, 0}},
      {{2024, 3, 1, 0, 0, 0, 0}, -1, {0, 0, 146098, 0, 0, 0, 0}, {1624, 2, 29, 0, 0, 0, 0}},
      {{2024, 5, 31, 12, 0, 0, 0}, 1, {0, 0, 0, 0, -720, 0, 0}, {2024, 5, 31, 0, 0, 0, 0}},
  };
  for (const Row& r : rows) {
    vlDate date(none, false);
    setFields(date, r.start);
    const int* a = r.amounts;
    if (r.sign > 0) date.addDate(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
    else date.subDate(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
    Fields got = fieldsOf(date);
    EXPECT_EQ(show(got), show(r.expected)) << "from " << show(r.start);
    EXPECT_EQ(date.dayOfWeek(), weekday(got.y, got.mo, got.d)) << show(got);
  }
}

TEST(vlDate, ExtremeAmountsStayInRange) {
  for (int amount : {INT_MAX, INT_MIN})
    for (int sign : {1, -1}) {
      vlDate date(none, false);
      setFields(date, {2000, 6, 15, 12, 30, 30, 500});
      if (sign > 0) date.addDate(0, amount, amount, amount, amount, amount, amount);
      else date.subDate(0, amount, amount, amount, amount, amount, amount);
      const int* w = date.work;
      EXPECT_TRUE(w[1] >= 1 && w[1] <= 12 && w[2] >= 1 && w[2] <= date.mday(w[1], w[0]) &&
                  w[3] >= 0 && w[3] < 24 && w[4] >= 0 && w[4] < 60 && w[5] >= 0 && w[5] < 60 &&
                  w[6] >= 0 && w[6] < 1000)
          << amount << " " << sign;
    }
}

TEST(vlDate, RecordsAndGetters) {
  SYSTEMTIME record{2024, 2, 9, 29, 23, 58, 57, 956};  // day of the week as given
  vlDate date(&record, true);
  EXPECT_STREQ(date.dayOfWeekStr(), "火");  // taken modulo 7, never read past the names
  int y = -1, d = -1, s = -1;
  date.getDate(&y, nullptr, &d, nullptr, nullptr, &s, nullptr);
  EXPECT_EQ(y * 10000 + d * 100 + s, 20242957);
  EXPECT_FALSE(date.setTime(none));
  EXPECT_EQ(show(fieldsOf(date)), "2024-02-29 23:58:57.956");
  vlDate empty(static_cast<FILETIME*>(nullptr), false);
  EXPECT_EQ(show(fieldsOf(empty)), "0000-00-00 00:00:00.000");
}

TEST(vlDate, CompareFieldByField) {
  struct Row {
    Fields a, b;
    int expected;
  } rows[] = {
      {{2024, 3, 1, 0, 0, 0, 0}, {2024, 2, 29, 0, 0, 0, 0}, 1},
      {{2024, 3, 1, 9, 59, 59, 999}, {2024, 3, 1, 9, 59, 59, 999}, 0},
      {{2024, 3, 1, 10, 0, 0, 5}, {2024, 3, 1, 10, 0, 0, 0}, 5},
      {{2020, 12, 31, 0, 0, 0, 0}, {2024, 1, 1, 0, 0, 0, 0}, -4},
  };
  for (const Row& r : rows) {
    vlDate a(none, false), b(none, true);
    setFields(a, r.a);
    setFields(b, r.b);
    EXPECT_EQ(a.comp(&b), r.expected) << show(r.a) << " vs " << show(r.b);
  }
  vlDate a(none, false), b(none, false);
  setFields(a, {2024, 3, 1, 0, 0, 0, 0});
  setFields(b, {2024, 2, 29, 0, 0, 0, 0});
  a.comp(&b);
  const int differences[7] = {0, 1, -28, 0, 0, 0, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(a.work[i], differences[i]) << i;
  EXPECT_EQ(a.comp(static_cast<vlDate*>(nullptr)), 2024);

  FILETIME t = fileTime(newYear2024), later = fileTime(newYear2024 + 10000);
  vlDate utc(&t, false), local(&t, true);
  EXPECT_EQ(utc.comp(&t), 0);
  EXPECT_EQ(utc.comp(&later), -1);
  EXPECT_EQ(local.comp(&t), 0);  // the file time is taken in the date's own kind
}

class vlDateTrace : public TraceTest {};

TEST_F(vlDateTrace, BiasIsReadOnceAndTraced) {
  BiasGuard guard;
  TIME_ZONE_INFORMATION zone;
  ASSERT_NE(GetTimeZoneInformation(&zone), TIME_ZONE_ID_INVALID);
  vlDate::timeZoneGetted = false;
  vlDate::tzBias = -540;
  SYSTEMTIME record{2024, 1, 1, 1, 0, 0, 0, 0};
  FILETIME t = fileTime(newYear2024);
  vlDate fromRecord(&record, true), fromFile(&t, true);
  EXPECT_EQ(vlDate::TimeZoneBias(), -540);  // only a date of the current time asks
  vlDate now(true), again(false);
  EXPECT_EQ(vlDate::TimeZoneBias(), int(zone.Bias));
  ASSERT_EQ(traced.size(), 1u);
  EXPECT_EQ(traced[0], "Time Zone Bias = " + std::to_string(zone.Bias) + " 分\n");
  EXPECT_TRUE(now.local && !again.local);
}

TEST(vlDate, LocalTimeShiftsByTheBias) {
  BiasGuard guard;
  vlDate::timeZoneGetted = true;
  vlDate::tzBias = -540;
  vlDate date(none, true);
  setFields(date, {2024, 1, 1, 9, 0, 0, 0});
  date.localTime(false);
  EXPECT_FALSE(date.local);
  EXPECT_EQ(show(fieldsOf(date)), "2024-01-01 00:00:00.000");
  date.localTime(false);  // already UTC: no change
  EXPECT_EQ(show(fieldsOf(date)), "2024-01-01 00:00:00.000");
  date.localTime(true);
  EXPECT_TRUE(date.local);
  EXPECT_EQ(show(fieldsOf(date)), "2024-01-01 09:00:00.000");
  vlDate::tzBias = 300;
  date.localTime(false);
  EXPECT_EQ(show(fieldsOf(date)), "2024-01-01 14:00:00.000");
}

TEST(vlDate, FileTimeRefusals) {
  struct Row {
    SYSTEMTIME fields;
    bool converts;
  } rows[] = {
      {{1600, 12, 0, 31, 23, 59, 59, 999}, false},
      {{1601, 1, 0, 1, 0, 0, 0, 0}, true},
      {{30827, 12, 0, 31, 23, 59, 59, 999}, true},
      {{2024, 0, 0, 1, 0, 0, 0, 0}, false},
      {{2024, 13, 0, 1, 0, 0, 0, 0}, false},
      {{2024, 1, 0, 0, 0, 0, 0, 0}, false},
      {{2024, 4, 0, 31, 0, 0, 0, 0}, false},
      {{2024, 2, 0, 29, 0, 0, 0, 0}, true},
      {{2024, 1, 0, 1, 24, 0, 0, 0}, false},
      {{2024, 1, 0, 1, 0, 60, 0, 0}, false},
      {{2024, 1, 0, 1, 0, 0, 60, 0}, false},
      {{2024, 1, 0, 1, 0, 0, 0, 1000}, false},
      {{2024, 1, 7, 1, 0, 0, 0, 0}, true},  // the day of the week is not checked
  };
  for (const Row& r : rows) {
    SYSTEMTIME fields = r.fields;
    vlDate date(&fields, false);
    FILETIME out = fileTime(77);
    FILETIME* result = date.getFileTime(&out);
    EXPECT_EQ(result != nullptr, r.converts) << fields.wYear << "-" << fields.wMonth << "-" << fields.wDay;
    if (!result) EXPECT_EQ(steps(out), 77u);
    else EXPECT_EQ(steps(*result), steps(out));
  }
  SYSTEMTIME first{1601, 1, 1, 1, 0, 0, 0, 0};
  vlDate date(&first, false);
  ASSERT_NE(date.getFileTime(nullptr), nullptr);
  EXPECT_EQ(steps(date.fileTime), 0u);

  FILETIME tooLate = fileTime(1ull << 63);
  EXPECT_FALSE(date.setFileTime(&tooLate));
  EXPECT_FALSE(date.setFileTime(nullptr));
  EXPECT_EQ(show(fieldsOf(date)), "1601-01-01 00:00:00.000");
  FILETIME last = fileTime((1ull << 63) - 1);
  EXPECT_TRUE(date.setFileTime(&last));
  EXPECT_EQ(show(fieldsOf(date)), "30828-09-14 02:48:05.477");
  EXPECT_EQ(date.dayOfWeek(), 4);
}

namespace {
SYSTEMTIME record(int y, int mo, int d, int h, int mi, int s, int ms) {
  return SYSTEMTIME{WORD(y), WORD(mo), 0, WORD(d), WORD(h), WORD(mi), WORD(s), WORD(ms)};
}

FILETIME writeTimeOf(const std::string& path) {
  vlFileStream file(path.c_str());
  vlDate written(none, false);
  EXPECT_EQ(file.getTime(&written, nullptr, nullptr), 0) << path;
  FILETIME t{};
  written.getFileTime(&t);
  return t;
}
}  // namespace

TEST(vlFileStreamTime, SetAndReadBackOnARealFile) {
  TempDir dir;
  const std::string path = dir / "a.txt";
  writeFile(path, "abc");
  SYSTEMTIME w = record(2009, 10, 14, 13, 20, 0, 123), a = record(2006, 8, 14, 3, 33, 20, 7),
             c = record(2001, 1, 1, 0, 0, 1, 0);
  vlDate write(&w, false), access(&a, false), creation(&c, false);
  vlFileStream file(path.c_str());
  EXPECT_EQ(file.setTime(&write, &access, &creation), 0);
  EXPECT_EQ(file.mode, 0);  // opened and closed again

  vlDate w2(none, false), access2(none, false),
      c2(none, false);
  EXPECT_EQ(file.getTime(&w2, &access2, &c2), 0);
  EXPECT_EQ(file.mode, 0);
  EXPECT_EQ(w2.comp(&write), 0);
  EXPECT_EQ(access2.comp(&access), 0);
  // Linux keeps no settable creation time: as under Wine, the reference, it reads back
  // as the last-write time.
  EXPECT_EQ(c2.comp(&write), 0);

  // Only the dates given change; one that cannot be converted leaves the file's time.
  SYSTEMTIME w3 = record(2010, 5, 6, 7, 8, 9, 10), early = record(1600, 12, 31, 0, 0, 0, 0);
  vlDate write3(&w3, false), tooEarly(&early, false);
  EXPECT_EQ(file.setTime(&write3, nullptr, nullptr), 0);
  EXPECT_EQ(file.setTime(nullptr, &tooEarly, nullptr), 0);
  EXPECT_EQ(file.getTime(&w2, &access2, nullptr), 0);
  EXPECT_EQ(w2.comp(&write3), 0);
  EXPECT_EQ(access2.comp(&access), 0);

  // Local dates round trip as local dates, in any time zone; an open stream stays open.
  SYSTEMTIME lw = record(2024, 7, 1, 23, 30, 0, 500);
  vlDate localWrite(&lw, true), localBack(none, true);
  ASSERT_EQ(file.openFile('r', nullptr), 0);
  EXPECT_EQ(file.setTime(&localWrite, nullptr, nullptr), 0);
  EXPECT_EQ(file.getTime(&localBack, nullptr, nullptr), 0);
  EXPECT_EQ(file.mode, 'r');
  EXPECT_EQ(localBack.comp(&localWrite), 0);
  EXPECT_EQ(file.close(), 0);
  std::string bytes;
  ASSERT_TRUE(readFile(path, bytes));
  EXPECT_EQ(bytes, "abc");
}

TEST(vlFileStreamTime, MissingFilesAndCopies) {
  TempDir dir;
  SYSTEMTIME kept = record(2020, 2, 29, 12, 0, 0, 0);
  vlDate date(&kept, false);
  vlFileStream missing((dir / "missing.txt").c_str());
  EXPECT_EQ(missing.getTime(&date, &date, &date), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(show(fieldsOf(date)), "2020-02-29 12:00:00.000");
  vlFileStream noFolder((dir / "no\\missing.txt").c_str());
  EXPECT_EQ(noFolder.setTime(&date, nullptr, nullptr), ERROR_PATH_NOT_FOUND);
  // A stale handle: the error, and no date set from information that was not read.
  vlFileStream stale(reinterpret_cast<void*>(0x1234), 'r', false);
  EXPECT_EQ(stale.getTime(&date, nullptr, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(show(fieldsOf(date)), "2020-02-29 12:00:00.000");
  // Setting times creates a missing file, as its update mode does.
  EXPECT_EQ(missing.setTime(&date, nullptr, nullptr), 0);
  EXPECT_TRUE(pathExists(dir / "missing.txt"));
  EXPECT_EQ(steps(writeTimeOf(dir / "missing.txt")), steps(*date.getFileTime(nullptr)));

  // The copy engine's CopyFileA keeps the write time.
  ASSERT_TRUE(CopyFileA((dir / "missing.txt").c_str(), (dir / "copy.txt").c_str(), TRUE));
  EXPECT_EQ(steps(writeTimeOf(dir / "copy.txt")), steps(*date.getFileTime(nullptr)));
}

TEST(FileTimeCalls, SetFileTimeLeavesZeroAndAllOnesAlone) {
  TempDir dir;
  writeFile(dir / "t.txt", "x");
  HANDLE h = CreateFileA((dir / "t.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const uint64_t write = 129000000001234567ull, access = 128000000000000000ull;
  FILETIME w = fileTime(write), a = fileTime(access), zero = fileTime(0),
           ones = fileTime(~0ull), minusTwo = fileTime(~1ull);
  ASSERT_TRUE(SetFileTime(h, nullptr, &a, &w));
  struct Row {
    const FILETIME* creation;
    const FILETIME* access;
    const FILETIME* write;
    bool ok;
  } rows[] = {
      {&zero, &zero, &zero, true},
      {&ones, &ones, &ones, true},
      {nullptr, nullptr, nullptr, true},
      {&minusTwo, nullptr, nullptr, true},  // the creation time is never looked at
      {nullptr, &minusTwo, nullptr, false},
      {nullptr, nullptr, &minusTwo, false},
  };
  for (const Row& r : rows) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetFileTime(h, r.creation, r.access, r.write), r.ok ? TRUE : FALSE);
    if (!r.ok) {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
    FILETIME c = fileTime(1), a2 = fileTime(1), w2 = fileTime(1);
    ASSERT_TRUE(GetFileTime(h, &c, &a2, &w2));
    EXPECT_EQ(steps(w2), write);
    EXPECT_EQ(steps(a2), access);
    EXPECT_EQ(steps(c), write);  // creation reads back as the last-write time
  }
  EXPECT_TRUE(GetFileTime(h, nullptr, nullptr, nullptr));
  CloseHandle(h);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir / "t.txt").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  FindClose(search);
  EXPECT_EQ(steps(found.ftCreationTime), write);  // a search reports it the same way
  EXPECT_EQ(steps(found.ftLastWriteTime), write);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(GetFileTime(h, &w, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(SetFileTime(h, nullptr, nullptr, &w));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(FileTimeCalls, LocalConversionsWrapInsteadOfFailing) {
  TIME_ZONE_INFORMATION zone;
  DWORD kind = GetTimeZoneInformation(&zone);
  ASSERT_NE(kind, TIME_ZONE_ID_INVALID);
  long long east = -(zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0));
  uint64_t shift = uint64_t(east) * stepsPerMinute;
  for (uint64_t t : {uint64_t(0), newYear2024, ~uint64_t(0)}) {
    FILETIME in = fileTime(t), local, back;
    ASSERT_TRUE(FileTimeToLocalFileTime(&in, &local));
    EXPECT_EQ(steps(local), t + shift);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(steps(back), t);
  }
}

namespace {
struct Zone {
  const char* name;
  int bias;
  bool summerTime;  // the rules of Central Europe: last Sunday of March and October
};
}  // namespace

TEST(vlDateZones, LocalAndUtcRoundTripsInTwoZones) {
  const Zone zones[] = {{"Asia/Tokyo", -540, false}, {"Europe/Berlin", -60, true}};
  const uint64_t summer2024 = newYear2024 + 182ull * 1440 * stepsPerMinute +
                              (12 * 3600 + 34 * 60 + 56) * 10000000ull + 7890000ull;
  int tested = 0;
  for (const Zone& z : zones) {
    ZoneSwitch use(z.name);
    if (!use.active) continue;
    ++tested;
    TIME_ZONE_INFORMATION info;
    DWORD kind = GetTimeZoneInformation(&info);
    EXPECT_EQ(info.Bias, z.bias) << z.name;
    if (z.summerTime) {
      EXPECT_TRUE(kind == TIME_ZONE_ID_STANDARD || kind == TIME_ZONE_ID_DAYLIGHT) << z.name;
      EXPECT_EQ(info.DaylightBias, -60);
      const SYSTEMTIME& on = info.DaylightDate;
      const SYSTEMTIME& off = info.StandardDate;
      EXPECT_EQ(on.wMonth * 1000 + on.wDayOfWeek * 100 + on.wDay * 10 + on.wHour, 3052);
      EXPECT_EQ(off.wMonth * 1000 + off.wDayOfWeek * 100 + off.wDay * 10 + off.wHour, 10053);
    } else {
      EXPECT_EQ(kind, DWORD(TIME_ZONE_ID_UNKNOWN)) << z.name;
    }
    int east = -(info.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? info.DaylightBias : 0));

    // A file time read as local time is the UTC time plus the offset in force now.
    for (uint64_t t : {newYear2024, summer2024}) {
      FILETIME ft = fileTime(t), back = fileTime(1);
      vlDate utc(&ft, false), local(&ft, true);
      vlDate expected(&utc.time, true);
      expected.addDate(0, 0, 0, 0, east, 0, 0);
      EXPECT_EQ(show(fieldsOf(local)), show(fieldsOf(expected))) << z.name;
      ASSERT_NE(local.getFileTime(&back), nullptr);
      EXPECT_EQ(steps(back), t) << z.name;
      ASSERT_NE(utc.getFileTime(&back), nullptr);
      EXPECT_EQ(steps(back), t) << z.name;
    }

    // The bias read for dates of the current time is the zone's.
    BiasGuard guard;
    vlDate::timeZoneGetted = false;
    vlDate now(false);
    EXPECT_EQ(vlDate::TimeZoneBias(), z.bias) << z.name;

    // East of UTC the first local hours of 1601 lie before the first file time.
    SYSTEMTIME first = record(1601, 1, 1, 0, 30, 0, 0);
    vlDate localFirst(&first, true), utcFirst(&first, false);
    FILETIME untouched = fileTime(77);
    EXPECT_EQ(localFirst.getFileTime(&untouched), nullptr) << z.name;
    EXPECT_EQ(steps(untouched), 77u);
    EXPECT_NE(utcFirst.getFileTime(nullptr), nullptr);
    FILETIME zero = fileTime(0);
    vlDate atZero(&zero, true);
    EXPECT_EQ(show(fieldsOf(atZero)).substr(0, 13), "1601-01-01 0" + std::to_string(east / 60))
        << z.name;
  }
  if (!tested) GTEST_SKIP() << "Wine takes its zone from the host's TZ, which is neither zone";
}
