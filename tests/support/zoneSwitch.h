// Switches the process's time zone for one test and puts the previous one back.
// Natively TZ takes effect at once; under Wine the zone is fixed from the host's TZ
// when Wine starts, so there only that zone is active.
#pragma once
#include <cstdlib>
#include <ctime>
#include <string>

class ZoneSwitch {
 public:
  explicit ZoneSwitch(const char* zone) {
    const char* current = std::getenv("TZ");
    hadZone = current != nullptr;
    if (hadZone) previous = current;
#ifdef _WIN32
    active = hadZone && previous == zone;
#else
    setenv("TZ", zone, 1);
    tzset();
    active = true;
#endif
  }
  ~ZoneSwitch() {
#ifndef _WIN32
    if (hadZone) setenv("TZ", previous.c_str(), 1);
    else unsetenv("TZ");
    tzset();
#endif
  }
  ZoneSwitch(const ZoneSwitch&) = delete;
  ZoneSwitch& operator=(const ZoneSwitch&) = delete;

  bool active = false;

 private:
  bool hadZone = false;
  std::string previous;
};
