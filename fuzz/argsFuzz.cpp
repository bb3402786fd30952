// libFuzzer target over command-line splitting (vlApp::xSetupArgs): the arguments must
// be those of a simple model of the documented rules, in blocks that AddressSanitizer
// watches. Rules: separators 0x01-0x20; a quoted argument runs to its closing quote, ""
// in it is one quote, a two-byte character is taken whole; elsewhere quotes are dropped.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "vlApp.h"

namespace {
void check(bool ok) {
  if (!ok) __builtin_trap();
}

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::vector<std::string> model(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0, n = line.size();
  auto at = [&](size_t k) { return k < n ? static_cast<unsigned char>(line[k]) : 0; };
  for (;;) {
    while (at(i) >= 0x01 && at(i) <= 0x20) ++i;
    if (!at(i)) return args;
    std::string arg;
    if (at(i) == '"') {
      for (++i; at(i);) {
        if (at(i) == '"') {
          if (at(i + 1) != '"') {
            ++i;
            break;
          }
          arg += '"';
          i += 2;
        } else if (isLead(at(i)) && at(i + 1)) {
          arg += line.substr(i, 2);
          i += 2;
        } else {
          arg += line[i++];
        }
      }
    } else {
      for (; at(i) > 0x20; ++i)
        if (at(i) != '"') arg += line[i];
    }
    args.push_back(arg);
  }
}
}  // namespace

// The application's own main(), which the library's start-up calls; never run here.
int vlApp::main() { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vlApp app;
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find('\0'));
  int argc = app.xSetupArgs(line.c_str());
  std::vector<std::string> expected = model(line);
  check(argc == static_cast<int>(expected.size()) + 1 && argc == app.argc);
  for (int i = 1; i < argc; ++i) check(app.argv[i] == expected[i - 1]);
  app.freeArgs();
  return 0;
}
