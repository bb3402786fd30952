#include "cliMessages.h"
#include <cstring>
#include "cliPlatform.h"

namespace {
struct translation {
  const char* msgid;
  const char* text;
};

// Generated from po/ja.po at build time, so that no installed catalog is needed.
const translation japanese[] = {
#include "cliJapanese.inc"
};
}  // namespace

const char* tr(const char* msgid) {
  static const bool inJapanese = cliJapanese();
  if (inJapanese)
    for (const translation& entry : japanese)
      if (!std::strcmp(entry.msgid, msgid)) return entry.text;
  return msgid;
}
