#include "vlSetting.h"

vlSetting::vlSetting() : vlObject("vlSetting") {}

vlSetting::~vlSetting() {}

int vlSetting::setPath(const char* path, bool takeName) {
  int code = settingPath.storeName(path);
  if (takeName) settingName = settingPath.baseName;
  return viewError(code, "setPath", 5);
}
