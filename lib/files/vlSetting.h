// vlSetting: where a settings file lives, a path and the file's base name.
#pragma once
#include <string>
#include "vlObject.h"
#include "vlPathname.h"

class vlSetting : public vlObject {
 public:
  vlSetting();
  ~vlSetting() override;

  // Stores path (completed to a full path); with takeName the path's base name becomes
  // settingName. 0, or 123 for a path that is refused (settingPath is left empty).
  virtual int setPath(const char* path, bool takeName);

  std::string settingName;
  vlPathname settingPath;
};
