// Clock, time-zone and file-time calls over clock_gettime, localtime_r and futimens.
#include <windows.h>
#include <sys/stat.h>
#include <cerrno>
#include <ctime>

namespace {
const int64_t stepsPerSecond = 10000000;
const int64_t stepsPerDay = stepsPerSecond * 86400;
const int64_t daysFrom1601To1970 = 134774;

uint64_t toSteps(const FILETIME& t) {
  return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

FILETIME fromSteps(uint64_t steps) {
  return FILETIME{static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
}

BOOL refuse() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int monthLength(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

// Days since 1601-01-01 of a Gregorian date from 1601 on.
int64_t daysFromCivil(int year, int month, int day) {
  int64_t y = year - (month <= 2 ? 1 : 0);
  int64_t era = y / 400, yearOfEra = y % 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468 + daysFrom1601To1970;
}

// The date of a day counted from 1601-01-01 (a Monday).
void civilFromDays(int64_t days, SYSTEMTIME& out) {
  out.wDayOfWeek = static_cast<WORD>((days + 1) % 7);
  int64_t z = days - daysFrom1601To1970 + 719468;
  int64_t era = z / 146097, dayOfEra = z % 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t shifted = (5 * dayOfYear + 2) / 153;
  int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  out.wDay = static_cast<WORD>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  out.wMonth = static_cast<WORD>(month);
  out.wYear = static_cast<WORD>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool validFields(const SYSTEMTIME& t) {
  return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 &&
         t.wDay >= 1 && t.wDay <= monthLength(t.wYear, t.wMonth) && t.wHour <= 23 &&
         t.wMinute <= 59 && t.wSecond <= 59 && t.wMilliseconds <= 999;
}

// The local time's offset from UTC in force at the given moment, in seconds east;
// TZ is read again so that a changed zone counts at once.
long offsetAt(time_t moment, bool& summer) {
  tzset();
  struct tm local;
  if (!localtime_r(&moment, &local)) {
    summer = false;
    return 0;
  }
  summer = local.tm_isdst > 0;
  return local.tm_gmtoff;
}

uint64_t offsetStepsNow() {
  bool summer;
  return static_cast<uint64_t>(static_cast<int64_t>(offsetAt(time(nullptr), summer)) *
                               stepsPerSecond);
}

uint64_t nowSteps() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<uint64_t>((now.tv_sec + daysFrom1601To1970 * 86400) * stepsPerSecond +
                               now.tv_nsec / 100);
}

void fillSystemTime(uint64_t steps, SYSTEMTIME* out) {
  FILETIME t = fromSteps(steps);
  FileTimeToSystemTime(&t, out);
}

void copyName(const char* name, WCHAR (&out)[32]) {
  int n = 0;
  for (; name && name[n] && n < 31; ++n) out[n] = static_cast<unsigned char>(name[n]);
  out[n] = 0;
}

// The change-over that happens in the second before `after`, as the rule Windows keeps:
// month, weekday, week of the month (5 = the last), and the local time before it.
SYSTEMTIME changeRule(time_t after, long offsetBefore) {
  time_t localBefore = after + offsetBefore;
  struct tm t;
  gmtime_r(&localBefore, &t);
  SYSTEMTIME rule{};
  rule.wMonth = static_cast<WORD>(t.tm_mon + 1);
  rule.wDayOfWeek = static_cast<WORD>(t.tm_wday);
  bool lastWeek = t.tm_mday + 7 > monthLength(t.tm_year + 1900, t.tm_mon + 1);
  rule.wDay = static_cast<WORD>(lastWeek ? 5 : (t.tm_mday - 1) / 7 + 1);
  rule.wHour = static_cast<WORD>(t.tm_hour);
  rule.wMinute = static_cast<WORD>(t.tm_min);
  rule.wSecond = static_cast<WORD>(t.tm_sec);
  return rule;
}

// The first second in (from, to] whose summer-time flag differs from that at from.
time_t firstChange(time_t from, time_t to) {
  bool start, summer;
  offsetAt(from, start);
  while (to - from > 1) {
    time_t middle = from + (to - from) / 2;
    offsetAt(middle, summer);
    (summer == start ? from : to) = middle;
  }
  return to;
}

struct ZoneYear {
  bool hasSummer = false;
  long standardOffset = 0, summerOffset = 0;
  SYSTEMTIME toStandard{}, toSummer{};
};

// Walks this year day by day for the summer-time change-overs.
ZoneYear scanYear(time_t now) {
  struct tm today;
  gmtime_r(&now, &today);
  time_t start = now - (static_cast<time_t>(today.tm_yday) * 86400 + today.tm_hour * 3600L);
  ZoneYear zone;
  bool summer, previous;
  zone.standardOffset = offsetAt(start, previous);
  for (time_t day = start; day < start + 366L * 86400; day += 86400) {
    long before = offsetAt(day, previous);
    offsetAt(day + 86400, summer);
    if (summer == previous) continue;
    time_t change = firstChange(day, day + 86400);
    long after = offsetAt(change, summer);
    zone.hasSummer = true;
    (summer ? zone.toSummer : zone.toStandard) = changeRule(change, before);
    zone.standardOffset = summer ? before : after;
    zone.summerOffset = summer ? after : before;
  }
  return zone;
}
}  // namespace

void GetSystemTime(LPSYSTEMTIME time) {
  if (time) fillSystemTime(nowSteps(), time);
}

void GetLocalTime(LPSYSTEMTIME time) {
  if (time) fillSystemTime(nowSteps() + offsetStepsNow(), time);
}

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION zone) {
  if (!zone) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  time_t now = time(nullptr);
  bool summerNow;
  long offsetNow = offsetAt(now, summerNow);
  ZoneYear year = scanYear(now);
  *zone = TIME_ZONE_INFORMATION{};
  copyName(tzname[0], zone->StandardName);
  copyName(tzname[1], zone->DaylightName);
  zone->DaylightBias = -60;  // what the platform reports also for zones without summer time
  if (!year.hasSummer) {
    zone->Bias = -offsetNow / 60;
    return TIME_ZONE_ID_UNKNOWN;
  }
  zone->Bias = -year.standardOffset / 60;
  zone->DaylightBias = -(year.summerOffset - year.standardOffset) / 60;
  zone->StandardDate = year.toStandard;
  zone->DaylightDate = year.toSummer;
  return summerNow ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, LPFILETIME fileTime) {
  if (!time || !fileTime || !validFields(*time)) return refuse();
  int64_t steps = daysFromCivil(time->wYear, time->wMonth, time->wDay) * stepsPerDay +
                  ((time->wHour * 60 + time->wMinute) * 60 + time->wSecond) * stepsPerSecond +
                  time->wMilliseconds * int64_t{10000};
  *fileTime = fromSteps(static_cast<uint64_t>(steps));
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME time) {
  if (!fileTime || !time) return refuse();
  uint64_t steps = toSteps(*fileTime);
  if (steps >> 63) return refuse();
  int64_t inDay = static_cast<int64_t>(steps % stepsPerDay);
  civilFromDays(static_cast<int64_t>(steps / stepsPerDay), *time);
  time->wHour = static_cast<WORD>(inDay / (3600 * stepsPerSecond));
  time->wMinute = static_cast<WORD>(inDay / (60 * stepsPerSecond) % 60);
  time->wSecond = static_cast<WORD>(inDay / stepsPerSecond % 60);
  time->wMilliseconds = static_cast<WORD>(inDay / 10000 % 1000);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) {
  if (!utc || !local) return refuse();
  *local = fromSteps(toSteps(*utc) + offsetStepsNow());
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc) {
  if (!local || !utc) return refuse();
  *utc = fromSteps(toSteps(*local) - offsetStepsNow());
  return TRUE;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return FALSE;
  if (creation) *creation = info.ftCreationTime;
  if (lastAccess) *lastAccess = info.ftLastAccessTime;
  if (lastWrite) *lastWrite = info.ftLastWriteTime;
  return TRUE;
}

namespace {
// The time to set, UTIME_OMIT for a time left alone; false for a refused value.
bool hostTime(const FILETIME* t, struct timespec& out) {
  uint64_t steps = t ? toSteps(*t) : 0;
  out = {0, UTIME_OMIT};
  if (steps == 0 || steps == ~uint64_t{0}) return true;
  if (steps >> 63) return false;
  out.tv_sec = static_cast<time_t>(steps / stepsPerSecond) - daysFrom1601To1970 * 86400;
  out.tv_nsec = static_cast<long>(steps % stepsPerSecond) * 100;
  return true;
}
}  // namespace

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  PosixFile* open = posixHandleAs<PosixFile>(file);
  if (!open) return FALSE;
  struct timespec times[2];
  if (!hostTime(lastAccess, times[0]) || !hostTime(lastWrite, times[1])) return refuse();
  if (futimens(open->fd, times) != 0) return posixFail(errno);
  return TRUE;
}
