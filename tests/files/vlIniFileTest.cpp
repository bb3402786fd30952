// Profile files: the platform's profile calls as vlIniFile relies on them, and vlIniFile.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include <cstring>
#include <string>
#include "testFs.h"
#include "vlIniFile.h"

namespace {
class ProfileCalls : public ::testing::Test {
 protected:
  std::string text() {
    std::string bytes;
    return readFile(ini, bytes) ? bytes : "(none)";
  }
  TempDir tmp;
  std::string ini = tmp / "t.ini";
};

const char* const sample =
    "; settings\r\n"
    "[Paths]\r\n"
    "Source=C:\\music\r\n"
    ";Dest=old\r\n"
    "Dest=D:\\out\r\n"
    "[Flags]\r\n"
    "Recursive=1\r\n";
}  // namespace

TEST_F(ProfileCalls, ReadsValuesAndDefaults) {
  writeFile(ini,
            "top=0\r\n[ Sec ]\r\n Key = some value \r\nQ=\"quoted\"\r\nE=a=b\r\nEmpty=\r\n"
            "key=second\r\n  [Jp] trailing\r\n\x93\xFA=\x96\x7B\x8C\xEA\r\n[sec]\r\nx=dup\r\n");
  struct Row {
    const char* section;
    const char* key;
    const char* defaultValue;
    DWORD size;
    DWORD result;
    const char* out;
  } rows[] = {
      /* 0 */ {"sec", "KEY", "d", 100, 10, "some value"},
      /* 1 */ {"  SEC ", " key ", "d", 100, 10, "some value"},  // first key and section win
      /* 2 */ {"Sec", "q", "d", 100, 6, "quoted"},
      /* 3 */ {"Sec", "E", "d", 100, 3, "a=b"},
      /* 4 */ {"Sec", "Empty", "d", 100, 0, ""},
      /* 5 */ {"Sec", "x", "dflt  ", 100, 4, "dflt"},
      /* 6 */ {"None", "Key", nullptr, 100, 0, ""},
      /* 7 */ {"", "top", "d", 100, 1, "0"},
      /* 8 */ {"jp", "\x93\xFA", "d", 100, 4, "\x96\x7B\x8C\xEA"},
      /* 9 */ {"Sec", "Key", "d", 11, 10, "some value"},  // exact fit
      /* 10 */ {"Sec", "Key", "d", 10, 9, "some valu"},  // one byte short
      /* 11 */ {"Sec", "Key", "d", 1, 0, ""},
      /* 12 */ {"jp", "\x93\xFA", "d", 5, 4, "\x96\x7B\x8C\xEA"},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const Row& r = rows[i];
    char out[128];
    std::memset(out, '#', sizeof out);
    DWORD got = GetPrivateProfileStringA(r.section, r.key, r.defaultValue, out, r.size, ini.c_str());
    EXPECT_EQ(got, r.result) << "row " << i;
    EXPECT_STREQ(out, r.out) << "row " << i;
    EXPECT_EQ(out[r.size], '#') << "row " << i << " wrote past the size";
  }
  char out[4] = "##";
  EXPECT_EQ(GetPrivateProfileStringA("Sec", "Key", "d", out, 0, ini.c_str()), 0u);
  EXPECT_EQ(out[0], '#');
}

TEST_F(ProfileCalls, MissingFileOrFolderGivesDefaults) {
  char out[16];
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "dflt", out, sizeof out, ini.c_str()), 4u);
  EXPECT_STREQ(out, "dflt");
  EXPECT_EQ(GetLastError(), 2u);
  SetLastError(0xdeadbeef);
  EXPECT_EQ(GetPrivateProfileIntA("s", "k", -7, (tmp / "no\\t.ini").c_str()), static_cast<UINT>(-7));
  EXPECT_EQ(GetLastError(), 3u);
}

TEST_F(ProfileCalls, ListsSectionsAndKeys) {
  writeFile(ini, sample);
  char out[64];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "d", out, sizeof out, ini.c_str()), 12u);
  EXPECT_EQ(std::string(out, 13), std::string("Paths\0Flags\0\0", 13));
  EXPECT_EQ(GetPrivateProfileStringA("paths", nullptr, "d", out, sizeof out, ini.c_str()), 12u);
  EXPECT_EQ(std::string(out, 13), std::string("Source\0Dest\0\0", 13));
  // A list that does not fit is cut and reported as size - 2.
  EXPECT_EQ(GetPrivateProfileStringA("paths", nullptr, "d", out, 8, ini.c_str()), 6u);
  EXPECT_STREQ(out, "Source");
  EXPECT_EQ(GetPrivateProfileStringA("none", nullptr, "d", out, sizeof out, ini.c_str()), 1u);
  EXPECT_STREQ(out, "d");
}

TEST_F(ProfileCalls, ReadsIntegers) {
  writeFile(ini, "[n]\r\na=0x10\r\nb=-5\r\nc=12abc\r\nd=abc\r\ne=\r\nf=4294967295\r\n"
                 "g=0X1f\r\nh=\"12\"\r\ni=0b101\r\nj=99999999999\r\n");
  struct Row {
    const char* key;
    int result;
  } rows[] = {{"a", 16}, {"b", -5},        {"c", 12}, {"d", 0},  {"e", 42}, {"f", -1},
              {"g", 0},  {"h", 12},        {"i", 5},  {"j", 1215752191},   {"zz", 42}};
  for (const Row& r : rows)
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("N", r.key, 42, ini.c_str())), r.result) << r.key;
}

TEST_F(ProfileCalls, WritesInPlaceAndKeepsOtherLines) {
  writeFile(ini, sample);
  struct Step {
    const char* section;
    const char* key;
    const char* value;
    const char* file;
  } steps[] = {
      {"PATHS", "dest", "E:\\new",
       "; settings\r\n[Paths]\r\nSource=C:\\music\r\n;Dest=old\r\nDest=E:\\new\r\n[Flags]\r\nRecursive=1\r\n"},
      {"Paths", "Added", "  x",
       "; settings\r\n[Paths]\r\nSource=C:\\music\r\n;Dest=old\r\nDest=E:\\new\r\nAdded=x\r\n"
       "[Flags]\r\nRecursive=1\r\n"},
      {"paths", "SOURCE", nullptr,
       "; settings\r\n[Paths]\r\n;Dest=old\r\nDest=E:\\new\r\nAdded=x\r\n[Flags]\r\nRecursive=1\r\n"},
      {"Paths", nullptr, nullptr, "; settings\r\n[Flags]\r\nRecursive=1\r\n"},
      {"\x93\xFA\x96\x7B", "\x8C\xEA", "\x83\x5C\x83\x93",
       "; settings\r\n[Flags]\r\nRecursive=1\r\n[\x93\xFA\x96\x7B]\r\n\x8C\xEA=\x83\x5C\x83\x93\r\n"},
      {"gone", "k", nullptr,  // deleting what is not there changes nothing
       "; settings\r\n[Flags]\r\nRecursive=1\r\n[\x93\xFA\x96\x7B]\r\n\x8C\xEA=\x83\x5C\x83\x93\r\n"},
  };
  for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
    const Step& s = steps[i];
    EXPECT_TRUE(WritePrivateProfileStringA(s.section, s.key, s.value, ini.c_str())) << "step " << i;
    EXPECT_EQ(text(), s.file) << "step " << i;
  }
}

TEST_F(ProfileCalls, CreatesFileAndReplacesSpacedValues) {
  EXPECT_TRUE(WritePrivateProfileStringA("s", "k", nullptr, ini.c_str()));
  EXPECT_FALSE(pathExists(ini));
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "v", ini.c_str()));
  EXPECT_EQ(text(), "[s]\r\nk=v\r\n");
  writeFile(ini, "[ s ]\r\n  k  =  old value  \r\nm = 2\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("S", "K", "new", ini.c_str()));
  char out[32];
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", out, sizeof out, ini.c_str()), 3u);
  EXPECT_STREQ(out, "new");
  EXPECT_EQ(GetPrivateProfileIntA("s", "m", 0, ini.c_str()), 2u);
}

TEST_F(ProfileCalls, LongValuesRoundTrip) {
  std::string value(5000, 'v');
  value += "\x95\x5C";
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", value.c_str(), ini.c_str()));
  std::string out(6000, '#');
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", &out[0], 6000, ini.c_str()), 5002u);
  EXPECT_EQ(out.c_str(), value);
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", &out[0], 100, ini.c_str()), 99u);
}

TEST_F(ProfileCalls, FailuresAreReported) {
  struct Row {
    const char* section;
    std::string file;
    DWORD error;
  } rows[] = {{"s", tmp / "missing\\t.ini", 3}, {"s", tmp.path(), 5}, {nullptr, ini, 2}};
  for (const Row& r : rows) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA(r.section, "k", "v", r.file.c_str())) << r.file;
    EXPECT_EQ(GetLastError(), r.error) << r.file;
  }
  // Only a flush: the platform reports it as FALSE.
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str()));
  EXPECT_FALSE(pathExists(ini));
}

namespace {
class vlIniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ini.setPath((tmp / "app.exe").c_str(), true), 0);
    ini.sectionName = "S";
  }
  std::string text() {
    std::string bytes;
    return readFile(tmp / "app.INI", bytes) ? bytes : "(none)";
  }
  TempDir tmp;
  vlIniFile ini;
};

std::string padded(size_t length) { return std::string(length, 'k'); }
}  // namespace

TEST(vlIniFile, SetPathNamesTheIniFile) {
  TempDir tmp;
  struct Row {
    const char* earlierName;
    const char* path;
    bool takeName;
    const char* file;
    const char* name;
  } rows[] = {
      {"", "tool.exe", true, "tool.INI", "tool"},
      {"", "SONDRIX.INI", true, "SONDRIX.INI", "SONDRIX"},
      {"", "song.ini", true, "song.INI", "song"},
      {"APP", "sub\\x.exe", false, "sub\\APP.INI", "APP"},
      {"", "x.exe", false, ".INI", ""},
  };
  for (const Row& r : rows) {
    vlIniFile ini;
    ini.settingName = r.earlierName;
    EXPECT_EQ(ini.setPath((tmp / r.path).c_str(), r.takeName), 0) << r.path;
    EXPECT_EQ(std::string(ini.settingPath.path), tmp / r.file) << r.path;
    EXPECT_EQ(ini.settingName, r.name) << r.path;
    EXPECT_STREQ(ini.vlObject::name(), "vlSetting");
  }
}

TEST(vlIniFile, RefusedPathLeavesNoFile) {
  TempDir tmp;
  vlIniFile ini("S");
  ini.settingName = "APP";
  EXPECT_EQ(ini.setPath((tmp / padded(280)).c_str(), false), 123);
  EXPECT_EQ(ini.lastError, 123);
  EXPECT_STREQ(ini.settingPath.path, "");
  EXPECT_EQ(ini.setPath(nullptr, false), 0);  // no folder: no file in the working folder
  EXPECT_STREQ(ini.settingPath.path, "");
  EXPECT_EQ(ini.getInt("k", 7, 0, 10), 7);
  EXPECT_FALSE(ini.putInt("k", 1, "%d"));
}

TEST_F(vlIniFileTest, IntegersAreBounded) {
  ASSERT_TRUE(ini.putInt("big", 150, "%d"));
  ASSERT_TRUE(ini.putIntIndex("item%d", 3, -4, "%d"));
  EXPECT_EQ(text(), "[S]\r\nbig=150\r\nitem3=-4\r\n");
  struct Row {
    const char* key;
    int defaultValue, min, max, result;
  } rows[] = {{"big", 0, 0, 100, 100},  {"none", -5, 0, 100, 0}, {"big", 0, 200, 100, 100},
              {"item3", 0, -10, 10, -4}, {"none", 50, 0, 100, 50}};
  for (const Row& r : rows)
    EXPECT_EQ(ini.getInt(r.key, r.defaultValue, r.min, r.max), r.result) << r.key;
  EXPECT_EQ(ini.getIntIndex("item%d", 3, 9), -4);
  EXPECT_EQ(ini.getIntIndex("item%d", 4, 9), 9);
  EXPECT_EQ(ini.getIntIndex("item%d", 3, 9, 0, 5), 0);
  EXPECT_TRUE(ini.dirty);
  ini.flush();
  EXPECT_FALSE(ini.dirty);
}

TEST_F(vlIniFileTest, FloatsAreBounded) {
  ASSERT_TRUE(ini.putFloat("f", 2.5f, "%g"));
  ASSERT_TRUE(ini.putFloatIndex("f%d", 1, -0.25f, "%.2f"));
  ASSERT_TRUE(ini.writeString("S", "empty", ""));
  ASSERT_TRUE(ini.writeString("S", "word", "abc"));
  ASSERT_TRUE(ini.writeString("S", "nan", "nan"));
  ASSERT_TRUE(ini.writeString("S", "huge", "1e300"));
  ASSERT_TRUE(ini.writeString("S", "long", ("1" + std::string(90, '0')).c_str()));
  EXPECT_EQ(ini.getFloat("f", 0), 2.5f);
  EXPECT_EQ(ini.getFloat("f", 0, 0, 1), 1.0f);
  EXPECT_EQ(ini.getFloatIndex("f%d", 1, 0), -0.25f);
  EXPECT_EQ(ini.getFloatIndex("f%d", 1, 0, 0, 1), 0.0f);
  EXPECT_EQ(ini.getFloat("empty", 7.5f), 7.5f);
  EXPECT_EQ(ini.getFloat("empty", 7.5f, 0, 1), 1.0f);
  EXPECT_EQ(ini.getFloat("word", 7.5f), 0.0f);
  EXPECT_TRUE(std::isnan(ini.getFloat("nan", 0, 0, 1)));
  EXPECT_TRUE(std::isinf(ini.getFloat("huge", 0)));
  EXPECT_EQ(ini.getFloat("long", 3.0f), 3.0f);  // too long to read whole
}

TEST_F(vlIniFileTest, KeysAndValuesMustFitTheirBuffers) {
  std::string pattern = padded(78) + "%d";  // 79 bytes with one digit, 80 with two
  EXPECT_TRUE(ini.putIntIndex(pattern.c_str(), 5, 1, "%d"));
  EXPECT_FALSE(ini.putIntIndex(pattern.c_str(), 10, 2, "%d"));
  EXPECT_FALSE(ini.putFloatIndex(pattern.c_str(), 10, 2, "%g"));
  EXPECT_FALSE(ini.putInt("k", 1, "%80d"));
  EXPECT_FALSE(ini.putFloat("k", 1, "%100f"));
  EXPECT_EQ(text(), "[S]\r\n" + padded(78) + "5=1\r\n");
  EXPECT_EQ(ini.getIntIndex(pattern.c_str(), 5, 9), 1);
  EXPECT_EQ(ini.getIntIndex(pattern.c_str(), 10, 9), 9);
  EXPECT_EQ(ini.getIntIndex(pattern.c_str(), 10, 9, 0, 5), 5);
  EXPECT_EQ(ini.getFloatIndex(pattern.c_str(), 10, 9, 0, 5), 5.0f);
}

TEST_F(vlIniFileTest, WriteStringRefusesTextThatBreaksLines) {
  const char* rows[][3] = {{"S", "k", "a\r\n[X]\r\nk=b"}, {"S\n", "k", "v"}, {"S", "a=b", "v"},
                           {"S", " [x]", "v"},           {"S", "k\r", "v"}};
  for (auto& r : rows) {
    ini.lastError = 0;
    EXPECT_FALSE(ini.writeString(r[0], r[1], r[2])) << r[1];
    EXPECT_EQ(ini.lastError, 87) << r[1];
  }
  EXPECT_EQ(text(), "(none)");
  char out[8] = "#";
  EXPECT_EQ(ini.readString("S", "k", out, "d", 0), 0);
  EXPECT_EQ(ini.readString("S", "k", out, "d", -1), 0);
  EXPECT_EQ(out[0], '#');
}

TEST_F(vlIniFileTest, FontsRoundTrip) {
  LOGFONTA font = {-12, 5, 900, 450, 700, 1, 0, 1, 128, 3, 2, 200, 49, "\x82\x6C\x82\x72 Gothic"};
  ASSERT_TRUE(ini.saveFont("main", &font));
  LOGFONTA back;
  std::memset(&back, 0x55, sizeof back);
  ASSERT_TRUE(ini.loadFont("MAIN", &back, nullptr));
  EXPECT_EQ(std::memcmp(&back, &font, offsetof(LOGFONTA, lfFaceName)), 0);
  EXPECT_STREQ(back.lfFaceName, font.lfFaceName);
  EXPECT_EQ(ini.getInt("mainlfQuality", 0, 0, 1000), 200);

  // A face name filling its field without a terminator is cut to fit when read back.
  std::memset(font.lfFaceName, 'F', sizeof font.lfFaceName);
  ASSERT_TRUE(ini.saveFont("main", &font));
  ASSERT_TRUE(ini.loadFont("main", &back, nullptr));
  EXPECT_EQ(std::string(back.lfFaceName), std::string(31, 'F'));
}

TEST_F(vlIniFileTest, FontWithoutFaceNameTakesTheFallback) {
  LOGFONTA empty = {};
  LOGFONTA fallback = {20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Fallback"};
  ASSERT_TRUE(ini.saveFont("f", &empty));
  EXPECT_EQ(text(), "[S]\r\nflfFaceName=\r\n");
  LOGFONTA font = {};
  EXPECT_FALSE(ini.loadFont("f", &font, &fallback));
  EXPECT_EQ(std::memcmp(&font, &fallback, sizeof font), 0);

  ASSERT_TRUE(ini.writeString("S", "flfFaceName", "Only"));
  std::memset(&font, 0x55, sizeof font);
  ASSERT_TRUE(ini.loadFont("f", &font, &fallback));
  LOGFONTA expected = {16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Only"};
  EXPECT_EQ(std::memcmp(&font, &expected, offsetof(LOGFONTA, lfFaceName)), 0);

  // A prefix that leaves no room for the longest key writes and reads nothing.
  std::string prefix = padded(64);  // + "lfPitchAndFamily" would need 81 bytes
  EXPECT_FALSE(ini.saveFont(prefix.c_str(), &fallback));
  EXPECT_FALSE(ini.loadFont(prefix.c_str(), &font, &fallback));
  EXPECT_EQ(std::memcmp(&font, &fallback, sizeof font), 0);
  EXPECT_TRUE(ini.saveFont(padded(63).c_str(), &fallback));
  EXPECT_TRUE(ini.loadFont(padded(63).c_str(), &font, nullptr));
}
