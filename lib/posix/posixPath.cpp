// DOS to host path mapping.
#include "posixPath.h"
#include <windows.h>
#include <cctype>
#include <cstring>
#include "posixText.h"

namespace {
// Copies text with every separator turned into "/", skipping trail bytes.
std::string withSlashes(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (posixIsLead(*p) && p[1]) {
      out += static_cast<char>(*p++);
      out += static_cast<char>(*p);
    } else {
      out += (*p == '\\') ? '/' : static_cast<char>(*p);
    }
  }
  return out;
}

bool fail(DWORD code) {
  SetLastError(code);
  return false;
}
}  // namespace

bool posixHostPath(const char* dosPath, std::string& hostPath) {
  const char* rest = dosPath;
  if (posixIsSeparator(rest[0]) && posixIsSeparator(rest[1])) return fail(ERROR_BAD_NETPATH);
  if (rest[0] && rest[1] == ':') {
    if (std::toupper(static_cast<unsigned char>(rest[0])) != 'Z')
      return fail(ERROR_PATH_NOT_FOUND);
    rest += 2;  // "Z:name" is relative to the working folder, "Z:\name" to the root
  }
  std::string slashed = withSlashes(rest);
  if (!posixRecode("CP932", "UTF-8", slashed.data(), slashed.size(), hostPath, nullptr))
    return fail(ERROR_INVALID_NAME);
  return true;
}

std::string posixDosName(const char* hostName) {
  std::string out;
  posixRecode("UTF-8", "CP932", hostName, std::strlen(hostName), out, "?");
  return out;
}
