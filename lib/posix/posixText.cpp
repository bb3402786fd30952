// iconv recoding with per-character substitution.
#include "posixText.h"
#include <cerrno>
#include <iconv.h>

namespace {
// Length of the input character that iconv could not take, by encoding family, so
// that it can be skipped as one unit.
size_t badCharLength(const std::string& code, const unsigned char* p, size_t left) {
  size_t n = 1;
  if (code == "UTF-8") {
    if (p[0] >= 0xF0) n = 4;
    else if (p[0] >= 0xE0) n = 3;
    else if (p[0] >= 0xC0) n = 2;
    // A truncated or broken sequence is skipped one byte at a time.
    for (size_t i = 1; i < n; ++i)
      if (i >= left || (p[i] & 0xC0) != 0x80) return 1;
  } else if (code == "UTF-16LE") {
    n = (left >= 4 && (p[1] & 0xFC) == 0xD8 && (p[3] & 0xFC) == 0xDC) ? 4 : 2;
  } else if (code == "CP932") {
    n = (posixIsLead(p[0]) && left >= 2) ? 2 : 1;
  }
  return n < left ? n : left;
}

class Converter {
 public:
  Converter(const char* from, const char* to) : cd(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd);
  }
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
  iconv_t cd;
};
}  // namespace

bool posixRecode(const char* fromCode, const char* toCode, const char* in, size_t len,
                 std::string& out, const char* substitute) {
  out.clear();
  Converter conv(fromCode, toCode);
  if (!conv.ok()) return false;
  char* src = const_cast<char*>(in);
  size_t left = len;
  char chunk[4096];
  while (left > 0) {
    char* dst = chunk;
    size_t room = sizeof chunk;
    size_t r = iconv(conv.cd, &src, &left, &dst, &room);
    out.append(chunk, dst - chunk);
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (!substitute) return false;
    out += substitute;
    size_t skip = badCharLength(fromCode, reinterpret_cast<unsigned char*>(src), left);
    src += skip;
    left -= skip;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* dst = chunk;
  size_t room = sizeof chunk;
  iconv(conv.cd, nullptr, nullptr, &dst, &room);
  out.append(chunk, dst - chunk);
  return true;
}
