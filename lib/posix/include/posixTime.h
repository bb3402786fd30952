// Clock, time zone and file times: GetSystemTime, GetLocalTime, GetTimeZoneInformation,
// SystemTimeToFileTime, FileTimeToSystemTime, FileTimeToLocalFileTime,
// LocalFileTimeToFileTime, GetFileTime and SetFileTime.
//
// Contracts kept as Windows and Wine keep them:
// - A FILETIME counts 100-ns steps since 1601-01-01 UTC; the local time is the system's
//   time zone (TZ), read again at every call.
// - SystemTimeToFileTime refuses with 87 years outside 1601..30827, months outside
//   1..12, days outside their month, hours above 23, minutes and seconds above 59,
//   milliseconds above 999; the day of the week is ignored. Nothing is written then.
// - FileTimeToSystemTime refuses values from 2^63 on with 87; it fills the day of the
//   week. Nanoseconds below 100 ns are lost; milliseconds are cut, not rounded.
// - FileTimeToLocalFileTime and LocalFileTimeToFileTime apply the offset in force now
//   (summer time included, whatever the date converted) and never fail: the result
//   wraps around 2^64 as the platform's does.
// - GetTimeZoneInformation: Bias in minutes (UTC = local + Bias) of standard time,
//   DaylightBias the extra summer-time bias, the two change-over rules of this year as
//   month / weekday / week-of-month (5 = last) / local time, and the result 0 without
//   summer time, else 1 (standard time now) or 2 (summer time now). The names are the
//   system's zone abbreviations, where Windows has its own long names.
// - GetFileTime: any of the three pointers may be null; 6 for a stale handle.
// - SetFileTime: a null time, 0, or all bits set leaves that time alone; another value
//   from 2^63 on refuses the call with 87. The creation time cannot be set on Linux and
//   is accepted and ignored, whatever its value: as with Wine, a file's creation time
//   reads back as its last-write time. Any open handle may set the times (Wine asks no access right).
//   Times beyond what the file system stores are clamped by it.
#pragma once
#include "posixTypes.h"

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;  // 0 = Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
typedef SYSTEMTIME* LPSYSTEMTIME;
typedef FILETIME* LPFILETIME;

struct TIME_ZONE_INFORMATION {
  LONG Bias;
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};
typedef TIME_ZONE_INFORMATION* LPTIME_ZONE_INFORMATION;

#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2
#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)

void GetSystemTime(LPSYSTEMTIME time);
void GetLocalTime(LPSYSTEMTIME time);
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION zone);
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, LPFILETIME fileTime);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME time);
BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc);
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite);
