#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "vlPathname.h"
#include "vlStream.h"

namespace {
// A stream over a byte string; writes append to `written` and fail once `failAfter`
// bytes have gone out.
class MemoryStream : public vlStream {
 public:
  explicit MemoryStream(const std::string& bytes = "") : data(bytes) { len = int(bytes.size()); }
  int readStream(void* buffer, int count, int* done) override {
    if (readFailure) return readFailure;
    int n = std::min(count, int(data.size()) - pos);
    data.copy(static_cast<char*>(buffer), n, pos);
    pos += n;
    if (done) *done = n;
    return 0;
  }
  int writeStream(const void* buffer, int count, int* done) override {
    if (int(written.size()) + count > failAfter) return 29;
    written.append(static_cast<const char*>(buffer), count);
    if (done) *done = count;
    return 0;
  }
  int setPath(vlPathname* p) override {
    attached = p;
    return 7;
  }
  using vlStream::setPath;
  std::string data, written;
  int failAfter = 1 << 30;
  int readFailure = 0;
  vlPathname* attached = nullptr;
};

std::vector<std::string> bufferLines(MemoryStream& s, int size) {
  std::vector<std::string> lines;
  std::vector<unsigned char> buffer(size);
  while (!s.eof()) {
    EXPECT_EQ(s.gets(buffer.data(), size), 0);
    lines.emplace_back(reinterpret_cast<char*>(buffer.data()));
  }
  return lines;
}
}  // namespace

TEST(vlStream, LineEndsAreCrLfLoneLfOrLoneCr) {
  struct Row {
    const char* bytes;
    std::vector<std::string> lines;
  } rows[] = {
      {"ab\r\ncd\ref\ngh", {"ab", "cd", "ef", "gh"}},
      {"x\r", {"x"}},
      {"\n\r\n", {"", ""}},
      {"a\r\rb\n", {"a", "", "b"}},
      {"\x82\xA0\r\n", {"\x82\xA0"}},
  };
  for (const Row& r : rows) {
    MemoryStream bytes(r.bytes);
    EXPECT_EQ(bufferLines(bytes, 1000), r.lines) << r.bytes;
    unsigned char buffer[8] = "junk";
    EXPECT_EQ(bytes.gets(buffer, 8), 0);
    EXPECT_EQ(buffer[0], 0);

    MemoryStream text(r.bytes);
    std::vector<std::string> lines;
    std::string line = "junk";
    int code;
    while ((code = text.gets(line)) == 0) lines.push_back(line);
    EXPECT_EQ(code, 1) << r.bytes;
    EXPECT_EQ(text.lastError, 1);
    EXPECT_EQ(line, "");
    EXPECT_EQ(lines, r.lines) << r.bytes;
  }
}

TEST(vlStream, LongLinesAreCutAtTheBufferSize) {
  // A line that just fills the buffer takes its line end along.
  MemoryStream s("abcdef\nabc\r\nd");
  EXPECT_EQ(bufferLines(s, 4), (std::vector<std::string>{"abc", "def", "abc", "d"}));

  unsigned char buffer[2] = {'x', 'x'};
  EXPECT_EQ(s.gets(buffer, 1), -1);
  EXPECT_EQ(buffer[0], 0);
  buffer[0] = 'x';
  EXPECT_EQ(s.gets(buffer, 0), -1);
  EXPECT_EQ(s.gets(nullptr, 10), -1);
  EXPECT_EQ(buffer[0], 'x');
}

TEST(vlStream, PushBackIsAStackOfNineBytes) {
  MemoryStream s("0123456789abc");
  EXPECT_EQ(s.unreadb('z'), 30);  // position 0
  char buffer[10];
  ASSERT_EQ(s.read(buffer, 10, nullptr), 0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(s.unreadb(static_cast<unsigned char>('A' + i)), 0);
  EXPECT_EQ(s.unreadb('!'), 30);
  EXPECT_EQ(s.lastError, 30);
  EXPECT_EQ(s.position(), 1);

  // Pushed-back bytes come first, last pushed first, then the stream goes on.
  char out[12] = {};
  int done = 0;
  EXPECT_EQ(s.read(out, 11, &done), 0);
  EXPECT_EQ(done, 11);
  EXPECT_EQ(std::string(out, 11), "IHGFEDCBAab");
  EXPECT_EQ(s.position(), 12);

  EXPECT_EQ(s.read(out, 5, &done), 0);  // a short read is no failure
  EXPECT_EQ(done, 1);
  // At the end the pushed-back bytes still arrive, and the missing rest shows as 30.
  ASSERT_EQ(s.unreadb('q'), 0);
  EXPECT_EQ(s.read(out, 5, &done), 30);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(out[0], 'q');
}

TEST(vlStream, CharacterPushBackIsAllOrNothing) {
  MemoryStream s("\x82\xA0\x41\x42\x43\x44\x45\x46\x47\x48");
  unsigned short c = 0;
  ASSERT_EQ(s.getj(c), 0);
  EXPECT_EQ(s.unreadj(0x82A0), 0);
  EXPECT_EQ(s.getj(c), 0);
  EXPECT_EQ(c, 0x82A0);

  char skip[8];
  ASSERT_EQ(s.read(skip, 8, nullptr), 0);
  for (int i = 0; i < 8; ++i) ASSERT_EQ(s.unreadb('x'), 0);
  EXPECT_EQ(s.unreadj(0x82A0), 30);  // one byte of room left: nothing is pushed
  EXPECT_EQ(s.unreadCount, 8);
  EXPECT_EQ(s.unreadj(0x41), 0);
  EXPECT_EQ(s.unreadCount, 9);
}

TEST(vlStream, WordAndCharacterReading) {
  struct Row {
    std::string bytes;
    bool word;  // getwi, else getj
    int code;
    unsigned short value;
  } rows[] = {
      {"\x12\x34", true, 0, 0x1234},
      {"\x12", true, 30, 0xBEEF},  // a lone last byte is no word
      {"", true, 30, 0xBEEF},
      {"\x82\xA0", false, 0, 0x82A0},
      {"\x41\x82", false, 0, 0x41},
      {"\xB1\x41", false, 0, 0xB141},  // half-width katakana still takes the next byte
      {"\x82", false, 30, 0xBEEF},
  };
  for (const Row& r : rows) {
    MemoryStream s(r.bytes);
    unsigned short value = 0xBEEF;
    EXPECT_EQ(r.word ? s.getwi(value) : s.getj(value), r.code) << r.bytes;
    EXPECT_EQ(value, r.value) << r.bytes;
  }
}

TEST(vlStream, TextOutput) {
  MemoryStream s;
  EXPECT_EQ(s.putsln("x"), 0);
  EXPECT_EQ(s.putj(0x41), 0);
  EXPECT_EQ(s.putj(0x82A0), 0);
  EXPECT_EQ(s.putwi(0x0041), 0);
  std::string withZero("ab\0cd", 5);
  EXPECT_EQ(s.puts(&withZero), 0);
  s.lineEnd = 0x0A;
  EXPECT_EQ(s.putsln(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(s.formatln("%d-%s", 12, "z"), 0);
  EXPECT_EQ(s.written, std::string("x\r\nA\x82\xA0\0Aab\n12-z\n", 16));

  s.lastError = 99;
  EXPECT_EQ(s.puts(""), 0);
  EXPECT_EQ(s.puts(static_cast<std::string*>(nullptr)), 0);
  EXPECT_EQ(s.lastError, 99);
}

TEST(vlStream, OutputStopsAtTheFirstFailedByte) {
  MemoryStream s;
  s.failAfter = 2;
  EXPECT_EQ(s.putsln("abc"), 29);
  EXPECT_EQ(s.written, "ab");
  EXPECT_EQ(s.lastError, 29);
  s.written.clear();
  s.failAfter = 0;
  EXPECT_EQ(s.putj(0x82A0), 29);
  EXPECT_EQ(s.written, "");
}

TEST(vlStream, FormatRefusesTextsThatDoNotFit) {
  MemoryStream s;
  std::string fits(vlStream::FormatMax - 1, 'a');
  EXPECT_EQ(s.format("%s", fits.c_str()), 0);
  EXPECT_EQ(s.written, fits);
  s.written.clear();
  EXPECT_EQ(s.format("%s!", fits.c_str()), -1);
  EXPECT_EQ(s.formatln("%s!", fits.c_str()), -1);
  EXPECT_EQ(s.lastError, -1);
  EXPECT_EQ(s.written, "");
}

TEST(vlStream, ReadFailuresAndPlainStreamDefaults) {
  MemoryStream failing("abc");
  failing.readFailure = 5;
  unsigned char b;
  EXPECT_EQ(failing.getb(b), 5);
  EXPECT_EQ(failing.lastError, 5);
  unsigned char line[10];
  EXPECT_EQ(failing.gets(line, 10), 5);

  vlStream plain;
  EXPECT_STREQ(plain.name(), ":Stream");
  EXPECT_STREQ(plain.objectName, "vlStream");
  EXPECT_TRUE(plain.eof());
  EXPECT_EQ(plain.getb(b), -1);
  EXPECT_EQ(plain.lastError, -1);
  char buffer[4];
  EXPECT_EQ(plain.read(buffer, 0, nullptr), 0);
  for (int code : {plain.ropen(), plain.wopen(), plain.aopen(), plain.uopen(), plain.close(),
                   plain.seek(0, 0), plain.setPath("x"), plain.setData("x", 1, false),
                   plain.write("x", 1, nullptr)})
    EXPECT_EQ(code, -1);
  EXPECT_EQ(plain.getPath(), nullptr);
  EXPECT_EQ(plain.dataAddress(), nullptr);

  // The reference overload goes through the virtual pointer slot.
  vlPathname p;
  MemoryStream s;
  EXPECT_EQ(s.setPath(p), 7);
  EXPECT_EQ(s.attached, &p);
}

TEST(vlStream, ErrorTexts) {
  char buffer[64];
  EXPECT_STREQ(vlStream::ErrorString(131, buffer), "負のファイル位置です");
  EXPECT_STREQ(buffer, "負のファイル位置です");
  EXPECT_STREQ(vlStream::ErrorString(30, nullptr), "読込失敗");
  EXPECT_STREQ(vlStream::ErrorString(14, nullptr), "<<error: 14>>");
  vlStream s;
  s.lastError = 131;
  EXPECT_STREQ(s.errorString(nullptr), "負のファイル位置です");
  EXPECT_STREQ(s.errorString(-1, nullptr), "エラーが発生しました");
}
