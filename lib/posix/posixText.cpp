// iconv recoding with per-character substitution.
#include "posixText.h"
#include <cerrno>
#include <cstring>
#include <string_view>
#include <iconv.h>
#include <vector>

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

// Opening a conversion costs more than converting a path name, and the layer converts
// several for every file it copies: each thread keeps the conversions it has opened.
class Converters {
 public:
  ~Converters() {
    for (const Entry& e : entries) iconv_close(e.cd);
  }
  // The open conversion, reset to its initial state; (iconv_t)-1 when iconv lacks one.
  iconv_t get(const char* from, const char* to) {
    for (const Entry& e : entries)
      if (e.from == from && e.to == to) {
        iconv(e.cd, nullptr, nullptr, nullptr, nullptr);
        return e.cd;
      }
    iconv_t cd = iconv_open(to, from);
    if (cd != reinterpret_cast<iconv_t>(-1)) entries.push_back({from, to, cd});
    return cd;
  }

 private:
  struct Entry {
    std::string from, to;
    iconv_t cd;
  };
  std::vector<Entry> entries;
};

thread_local Converters converters;

bool isAsciiCompatible(const char* code) {
  return !std::strcmp(code, "CP932") || !std::strcmp(code, "UTF-8");
}

// Takes over the text's leading ASCII run without iconv where both encodings agree on
// ASCII: code page 932 and UTF-8 (0x5C and 0x7E included) keep it as it is, UTF-16
// widens it. Most names are all ASCII, and a log line starts with its file's name. The
// run ends before the first byte from 0x80, so it never ends inside a character. The
// number of bytes taken; 0 for other encodings.
size_t asciiRun(const char* fromCode, const char* toCode, const char* in, size_t len,
                std::string& out) {
  bool wide = !std::strcmp(toCode, "UTF-16LE");
  if (!isAsciiCompatible(fromCode) || !(wide || isAsciiCompatible(toCode))) return 0;
  size_t run = 0;
  while (run < len && static_cast<unsigned char>(in[run]) < 0x80) ++run;
  if (!wide) {
    out.assign(in, run);
    return run;
  }
  out.assign(2 * run, '\0');
  for (size_t i = 0; i < run; ++i) out[2 * i] = in[i];
  return run;
}

// Appends the conversion of in to out through iconv; false when it fails.
bool convert(const char* fromCode, const char* toCode, const char* in, size_t len,
             std::string& out, const char* substitute) {
  iconv_t cd = converters.get(fromCode, toCode);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char* src = const_cast<char*>(in);
  size_t left = len;
  char chunk[4096];
  while (left > 0) {
    char* dst = chunk;
    size_t room = sizeof chunk;
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(chunk, dst - chunk);
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (!substitute) return false;
    out += substitute;
    size_t skip = badCharLength(fromCode, reinterpret_cast<unsigned char*>(src), left);
    src += skip;
    left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* dst = chunk;
  size_t room = sizeof chunk;
  iconv(cd, nullptr, nullptr, &dst, &room);
  out.append(chunk, dst - chunk);
  return true;
}

// The last text that went through iconv on this thread, and what came of it. A log line
// ends in one of a few texts of the user's language, the same for file after file; a
// conversion depends on its input alone, as each starts from the initial state.
struct LastConversion {
  std::string from, to, substitute, input, output;
  bool substituting = false, converted = false;

  bool answers(const char* fromCode, const char* toCode, std::string_view text,
               const char* sub) const {
    return input == text && substituting == (sub != nullptr) && (!sub || substitute == sub) &&
           from == fromCode && to == toCode;
  }
  void keep(const char* fromCode, const char* toCode, std::string_view text, const char* sub,
            std::string_view result, bool ok) {
    from = fromCode;
    to = toCode;
    input = text;
    substituting = sub != nullptr;
    substitute = sub ? sub : "";
    output = result;
    converted = ok;
  }
};

thread_local LastConversion lastConversion;
}  // namespace

bool posixRecode(const char* fromCode, const char* toCode, const char* in, size_t len,
                 std::string& out, const char* substitute) {
  out.clear();
  size_t taken = asciiRun(fromCode, toCode, in, len, out);
  if (len > 0 && taken == len) return true;
  std::string_view rest(in + taken, len - taken);
  if (!lastConversion.answers(fromCode, toCode, rest, substitute)) {
    size_t start = out.size();
    bool ok = convert(fromCode, toCode, rest.data(), rest.size(), out, substitute);
    lastConversion.keep(fromCode, toCode, rest, substitute,
                        std::string_view(out).substr(start), ok);
    return ok;
  }
  out += lastConversion.output;
  return lastConversion.converted;
}
