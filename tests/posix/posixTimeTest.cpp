// The time calls of the POSIX layer where only the host can set up a case: zones with
// other change-over rules, nanosecond file times, and two refusals in which Wine 8
// differs from Windows (it accepts 29 February of a common year and the year 30828);
// the layer refuses them as Windows does.
#include <gtest/gtest.h>
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <ctime>
#include <string>
#include "../../lib/posix/posixPath.h"
#include "testFs.h"
#include "zoneSwitch.h"

namespace {
uint64_t steps(const FILETIME& t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

FILETIME fileTime(uint64_t v) { return FILETIME{DWORD(v), DWORD(v >> 32)}; }

// month, weekday, week of the month and hour in one number, e.g. 3022 for the second
// Sunday of March at 2:00.
int rule(const SYSTEMTIME& t) { return t.wMonth * 1000 + t.wDayOfWeek * 100 + t.wDay * 10 + t.wHour; }
}  // namespace

TEST(PosixTime, ZoneRulesAsWineReportsThem) {
  struct Row {
    const char* zone;
    LONG bias;
    int summerStarts, summerEnds;  // 0: no summer time
    const char* standardName;
  } rows[] = {
      {"Asia/Tokyo", -540, 0, 0, "JST"},
      {"UTC", 0, 0, 0, "UTC"},
      {"America/New_York", 300, 3022, 11012, "EST"},
      {"Australia/Sydney", -600, 10012, 4013, "AEST"},
      {"Europe/London", 0, 3051, 10052, "GMT"},
  };
  for (const Row& r : rows) {
    ZoneSwitch use(r.zone);
    TIME_ZONE_INFORMATION info;
    DWORD kind = GetTimeZoneInformation(&info);
    EXPECT_EQ(info.Bias, r.bias) << r.zone;
    EXPECT_EQ(info.StandardBias, 0) << r.zone;
    EXPECT_EQ(info.DaylightBias, -60) << r.zone;
    EXPECT_EQ(rule(info.DaylightDate), r.summerStarts) << r.zone;
    EXPECT_EQ(rule(info.StandardDate), r.summerEnds) << r.zone;
    std::string name;
    for (const WCHAR* p = info.StandardName; *p; ++p) name += char(*p);
    EXPECT_EQ(name, r.standardName);
    if (!r.summerStarts) {
      EXPECT_EQ(kind, DWORD(TIME_ZONE_ID_UNKNOWN)) << r.zone;
      continue;
    }
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    EXPECT_EQ(kind, DWORD(local.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD));
  }
  SetLastError(0);
  EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(PosixTime, ClocksFollowTheHost) {
  ZoneSwitch use("Asia/Tokyo");
  SYSTEMTIME utc, local;
  GetSystemTime(&utc);
  GetLocalTime(&local);
  time_t now = time(nullptr);
  struct tm expected;
  gmtime_r(&now, &expected);
  EXPECT_EQ(utc.wYear, expected.tm_year + 1900);
  EXPECT_EQ(utc.wDayOfWeek, expected.tm_wday);
  FILETIME u, l;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &u));
  ASSERT_TRUE(SystemTimeToFileTime(&local, &l));
  EXPECT_NEAR(double(steps(l) - steps(u)), 9 * 36000000000.0, 20000000.0);
}

TEST(PosixTime, FieldsOutOfRangeAsWindowsRefusesThem) {
  SYSTEMTIME rows[] = {{2023, 2, 0, 29, 0, 0, 0, 0}, {1900, 2, 0, 29, 0, 0, 0, 0},
                       {30828, 1, 0, 1, 0, 0, 0, 0}};
  for (const SYSTEMTIME& t : rows) {
    FILETIME out = fileTime(77);
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&t, &out)) << t.wYear;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(steps(out), 77u);
  }
}

TEST(PosixTime, FileTimesInHundredNanosecondSteps) {
  TempDir dir;
  writeFile(dir / "n.txt", "x");
  std::string host;
  ASSERT_TRUE(posixHostPath((dir / "n.txt").c_str(), host));
  // 1950-06-01 00:00:00.123456789 UTC: before 1970, with nanoseconds.
  struct timespec times[2] = {{-617846400, 123456789}, {-617846400, 987654321}};
  ASSERT_EQ(utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
  HANDLE h = CreateFileA((dir / "n.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const uint64_t base = (uint64_t(-617846400 + 11644473600ll)) * 10000000ull;
  FILETIME access, write;
  ASSERT_TRUE(GetFileTime(h, nullptr, &access, &write));
  EXPECT_EQ(steps(access), base + 1234567);
  EXPECT_EQ(steps(write), base + 9876543);
  FILETIME next = fileTime(base + 42);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &next));
  CloseHandle(h);
  struct stat st;
  ASSERT_EQ(stat(host.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, -617846400);
  EXPECT_EQ(st.st_mtim.tv_nsec, 4200);
  EXPECT_EQ(st.st_atim.tv_nsec, 123456789);
}
