// vlDate: one point in time as calendar fields, marked as local time or UTC. Converts
// to and from the platform's file time, switches between local time and UTC with the
// time-zone bias, adds and subtracts mixed amounts with full normalisation, compares
// field by field and names the day of the week in Japanese.
//
// The calendar is the proleptic Gregorian one (1 January of year 1 is a Monday). The
// setters and the arithmetic take any values; adjustDate() makes every field but the
// year valid again. File-time conversions fail for what the platform refuses (years
// before 1601, fields out of range).
#pragma once
#include <windows.h>
#include "vlObject.h"

class vlDate : public vlObject {
 public:
  // The current time, local or UTC; reads the time-zone bias first (preGetTimeZone).
  explicit vlDate(bool local);
  // An unchanged copy of the record; a null pointer leaves every field 0.
  vlDate(SYSTEMTIME* record, bool local);
  // The given file time in the kind asked for, as setFileTime.
  // A null pointer, or a file time that cannot be converted, leaves every field 0.
  vlDate(FILETIME* fileTime, bool local);
  ~vlDate() override;

  static bool LeapYear(int year);
  // Days of the month (1-12) of the year.
  int mday(int month, int year);
  // Asks the platform once per process for the bias and traces it.
  void preGetTimeZone();
  // Minutes, so that UTC = local time + bias; -540 until the platform was asked.
  static int TimeZoneBias();
  void checkWeekDay();

  // No range checks: adjustDate() or a file-time conversion sorts the values out.
  void setDate(int year, int month, int day);
  void setTime(int hour, int minute, int second, int millisecond);
  // Copies the whole record; false for a null pointer.
  bool setTime(SYSTEMTIME* record);
  // Each pointer may be null; only the given ones are written.
  void getDate(int* year, int* month, int* day, int* hour, int* minute, int* second,
               int* millisecond);
  void getTime(int* hour, int* minute, int* second, int* millisecond);

  // The date as a UTC file time, also into out when given; null when the platform
  // refuses the conversion (out is then not written).
  FILETIME* getFileTime(FILETIME* out);
  // Loads a UTC file time in this date's kind; false for null or a refused conversion.
  bool setFileTime(FILETIME* fileTime);

  void setWorkData();
  // Normalises work (carries rounded toward minus infinity) and writes it back to time.
  void adjustDate();
  void addDate(int years, int months, int days, int hours, int minutes, int seconds,
               int milliseconds);
  void subDate(int years, int months, int days, int hours, int minutes, int seconds,
               int milliseconds);
  // Converts to local time (true) or UTC (false) with the bias.
  void localTime(bool toLocal);
  // First non-zero field difference (this minus other), year down to millisecond.
  int comp(vlDate* other);
  // comp with the file time expressed in this date's kind.
  int comp(FILETIME* fileTime);
  int dayOfWeek();  // 0 = Sunday
  const char* dayOfWeekStr();

  enum { Year, Month, Day, Hour, Minute, Second, Millisecond, WorkFields };

  bool local;
  SYSTEMTIME time;
  FILETIME fileTime;
  int work[WorkFields];

  static const int mday0[12];
  static int tzBias;
  static bool timeZoneGetted;
  static const char* const jWeek[7];

 private:
  void shiftWork(const int amounts[WorkFields], int sign);
  void carry(int field, int unit);
  void stepMonth(int step);
};
