#include "vlDate.h"
#include <climits>

const int vlDate::mday0[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
int vlDate::tzBias = -540;
bool vlDate::timeZoneGetted = false;
const char* const vlDate::jWeek[7] = {"日", "月", "火", "水", "木", "金", "土"};

namespace {
const int daysPer400Years = 146097;  // also 4800 months: the calendar repeats

// Division and remainder rounded toward minus infinity.
long long floorDiv(long long value, long long unit) {
  return value / unit - (value % unit < 0 ? 1 : 0);
}

long long floorMod(long long value, long long unit) { return value - floorDiv(value, unit) * unit; }

// Extreme amounts saturate instead of overflowing.
int clampInt(long long value) {
  return static_cast<int>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
}

// Year down to millisecond, the day of the week left out.
void fieldsOf(const SYSTEMTIME& t, int out[vlDate::WorkFields]) {
  const WORD fields[vlDate::WorkFields] = {t.wYear,   t.wMonth,  t.wDay,         t.wHour,
                                           t.wMinute, t.wSecond, t.wMilliseconds};
  for (int i = 0; i < vlDate::WorkFields; ++i) out[i] = fields[i];
}
}  // namespace

vlDate::vlDate(bool localTime) : vlObject("vlDate"), local(localTime), time{}, fileTime{}, work{} {
  preGetTimeZone();
  if (local) GetLocalTime(&time);
  else GetSystemTime(&time);
}

vlDate::vlDate(SYSTEMTIME* record, bool localTime)
    : vlObject("vlDate"), local(localTime), time{}, fileTime{}, work{} {
  setTime(record);
}

vlDate::vlDate(FILETIME* given, bool localTime)
    : vlObject("vlDate"), local(localTime), time{}, fileTime{}, work{} {
  setFileTime(given);
}

vlDate::~vlDate() = default;

bool vlDate::LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// 0 for a month outside 1-12, which setDate lets through.
int vlDate::mday(int month, int year) {
  if (month < 1 || month > 12) return 0;
  return month == 2 && LeapYear(year) ? 29 : mday0[month - 1];
}

void vlDate::preGetTimeZone() {
  if (timeZoneGetted) return;
  TIME_ZONE_INFORMATION zone;
  if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID) tzBias = zone.Bias;
  dbout("Time Zone Bias = %d 分\n", tzBias);
  timeZoneGetted = true;
}

int vlDate::TimeZoneBias() { return tzBias; }

void vlDate::checkWeekDay() {
  int y = time.wYear - 1;
  int days = (y + y / 4 + y / 400 - y / 100) % 7;
  for (int month = 1; month < time.wMonth && month <= 12; ++month) days += mday(month, time.wYear);
  days += time.wDay;
  time.wDayOfWeek = static_cast<WORD>(floorMod(days, 7));
}

void vlDate::setDate(int year, int month, int day) {
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  checkWeekDay();
}

void vlDate::setTime(int hour, int minute, int second, int millisecond) {
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  time.wSecond = static_cast<WORD>(second);
  time.wMilliseconds = static_cast<WORD>(millisecond);
}

bool vlDate::setTime(SYSTEMTIME* record) {
  if (!record) return false;
  time = *record;
  return true;
}

void vlDate::getDate(int* year, int* month, int* day, int* hour, int* minute, int* second,
                     int* millisecond) {
  if (year) *year = time.wYear;
  if (month) *month = time.wMonth;
  if (day) *day = time.wDay;
  getTime(hour, minute, second, millisecond);
}

void vlDate::getTime(int* hour, int* minute, int* second, int* millisecond) {
  if (hour) *hour = time.wHour;
  if (minute) *minute = time.wMinute;
  if (second) *second = time.wSecond;
  if (millisecond) *millisecond = time.wMilliseconds;
}

// The platform's local conversion wraps around instead of failing: a local time whose
// UTC time lies before 1601 would come back as a time far in the future.
FILETIME* vlDate::getFileTime(FILETIME* out) {
  FILETIME converted, utc;
  if (!SystemTimeToFileTime(&time, &converted)) return nullptr;
  if (!local) utc = converted;
  else if (!LocalFileTimeToFileTime(&converted, &utc) || (utc.dwHighDateTime >> 31))
    return nullptr;
  fileTime = utc;
  if (out) *out = fileTime;
  return &fileTime;
}

bool vlDate::setFileTime(FILETIME* given) {
  if (!given) return false;
  fileTime = *given;
  FILETIME converted = fileTime;
  if (local && !FileTimeToLocalFileTime(&fileTime, &converted)) return false;
  SYSTEMTIME fields;
  if (!FileTimeToSystemTime(&converted, &fields)) return false;
  time = fields;
  return true;
}

void vlDate::setWorkData() { fieldsOf(time, work); }

// The next larger field takes what does not fit into 0 .. unit - 1.
void vlDate::carry(int field, int unit) {
  work[field - 1] = clampInt(work[field - 1] + floorDiv(work[field], unit));
  work[field] = static_cast<int>(floorMod(work[field], unit));
}

void vlDate::stepMonth(int step) {
  work[Month] += step;
  if (work[Month] < 1 || work[Month] > 12) {
    work[Year] = clampInt(static_cast<long long>(work[Year]) + step);
    work[Month] = step > 0 ? 1 : 12;
  }
}

void vlDate::adjustDate() {
  long long months = static_cast<long long>(work[Month]) - 1;
  work[Year] = clampInt(work[Year] + floorDiv(months, 12));
  work[Month] = static_cast<int>(floorMod(months, 12)) + 1;
  carry(Millisecond, 1000);
  carry(Second, 60);
  carry(Minute, 60);
  carry(Hour, 24);
  // Whole 400-year spans first, so that extreme amounts cannot loop for long.
  long long day = work[Day];
  long long spans = day > daysPer400Years    ? (day - 1) / daysPer400Years
                    : day < -daysPer400Years ? -(-day / daysPer400Years)
                                             : 0;
  work[Day] = static_cast<int>(day - spans * daysPer400Years);
  work[Year] = clampInt(work[Year] + spans * 400);
  while (work[Day] < 1) {
    stepMonth(-1);
    work[Day] += mday(work[Month], work[Year]);
  }
  while (work[Day] > mday(work[Month], work[Year])) {
    work[Day] -= mday(work[Month], work[Year]);
    stepMonth(1);
  }
  WORD* fields[WorkFields] = {&time.wYear,   &time.wMonth,  &time.wDay,         &time.wHour,
                              &time.wMinute, &time.wSecond, &time.wMilliseconds};
  for (int i = 0; i < WorkFields; ++i) *fields[i] = static_cast<WORD>(work[i]);
  checkWeekDay();
}

void vlDate::shiftWork(const int amounts[WorkFields], int sign) {
  setWorkData();
  for (int i = 0; i < WorkFields; ++i)
    work[i] = clampInt(work[i] + static_cast<long long>(sign) * amounts[i]);
  adjustDate();
}

void vlDate::addDate(int years, int months, int days, int hours, int minutes, int seconds,
                     int milliseconds) {
  const int amounts[WorkFields] = {years, months, days, hours, minutes, seconds, milliseconds};
  shiftWork(amounts, 1);
}

void vlDate::subDate(int years, int months, int days, int hours, int minutes, int seconds,
                     int milliseconds) {
  const int amounts[WorkFields] = {years, months, days, hours, minutes, seconds, milliseconds};
  shiftWork(amounts, -1);
}

void vlDate::localTime(bool toLocal) {
  if (local && !toLocal) addDate(0, 0, 0, 0, tzBias, 0, 0);
  if (!local && toLocal) subDate(0, 0, 0, 0, tzBias, 0, 0);
  local = toLocal;
}

// A null date counts as one whose fields are all 0.
int vlDate::comp(vlDate* other) {
  int theirs[WorkFields] = {};
  if (other) fieldsOf(other->time, theirs);
  setWorkData();
  for (int i = 0; i < WorkFields; ++i) work[i] -= theirs[i];
  for (int difference : work)
    if (difference) return difference;
  return 0;
}

int vlDate::comp(FILETIME* given) {
  vlDate other(true);
  other.localTime(local);
  other.setFileTime(given);
  return comp(&other);
}

int vlDate::dayOfWeek() { return time.wDayOfWeek; }

// A record copied in whole may carry any day of the week; it is taken modulo 7.
const char* vlDate::dayOfWeekStr() { return jWeek[dayOfWeek() % 7]; }
