#include "vlObject.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>

int vlObject::DisplayErrorLevel = 3;

namespace {
struct ErrorText {
  int code;
  const char* text;
};

const ErrorText table[] = {
    {-1, "エラーが発生しました"},
    {0, "正常終了"},
    {1, "無効な機能"},
    {2, "ファイルが見つからない"},
    {3, "パスが見つからない"},
    {4, "これ以上ファイルを開けない"},
    {5, "アクセスが拒否された"},
    {6, "無効なハンドル"},
    {7, "不安定な状態です"},
    {8, "メモリー不足"},
    {9, "不正なブロック"},
    {10, "不正な環境変数"},
    {11, "不正な形式"},
    {12, "不正なアクセス"},
    {13, "不正なデータ"},
    {15, "不正なドライブ"},
    {16, "カレントディレクトリのエラー"},
    {17, "同じデバイスでない"},
    {18, "これ以上ファイルはありません"},
    {19, "書き込み禁止です"},
    {20, "不正なユニットです"},
    {21, "装置が準備中"},
    {22, "不正なコマンド"},
    {23, "CRC エラー"},
    {24, "不正な長さ指定"},
    {25, "シークエラー"},
    {26, "DOS のディスクでない"},
    {27, "セクターが見つからない"},
    {28, "紙切れです"},
    {29, "書込失敗"},
    {30, "読込失敗"},
    {31, "生成失敗"},
    {32, "共有エラー"},
    {33, "ロックのエラー"},
    {34, "壊れたディスク名"},
    {67, "不正なネット名"},
    {85, "既に割付済み"},
    {87, "無効なパラメータ"},
    {123, "無効な名前"},
    {128, "待機プロセスがない"},
    {183, "既に存在する"},
    {288, "所有していない"},
    {1200, "不正なデバイス"},
    {2250, "接続していない"},
    {-9999, nullptr},
};

// Receives the fallback text; "<<error: -2147483648>>" is the longest.
char bufx[100];
}  // namespace

void (*dboutHook)(const char* line) = nullptr;

void dbout(const char* format, ...) {
  if (!dboutHook) return;
  char line[1000];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  dboutHook(line);
}

vlObject::vlObject(const char* name) : errorLevel(-1), owned(false), lastError(0) {
  className(name);
}

vlObject::~vlObject() = default;

const char* vlObject::name() { return objectName; }

const char* vlObject::name(const char* newName) { return className(newName); }

const char* vlObject::errorString(char* buffer) { return ErrorString(lastError, buffer); }

const char* vlObject::className(const char* name) {
  std::strncpy(objectName, name, 80);
  objectName[80] = 0;
  return objectName;
}

const char* vlObject::ErrorString(int code, char* buffer) {
  const char* text = nullptr;
  for (const ErrorText* e = table; e->text; ++e)
    if (e->code == code) text = e->text;  // the last match wins
  if (!text) {
    std::snprintf(bufx, sizeof bufx, "<<error: %d>>", code);
    text = bufx;
  }
  if (buffer) std::strcpy(buffer, text);
  return text;
}

int vlObject::viewError(int code, const char* where, int level) {
  if (!where) where = "error";
  lastError = code;
  if (code != 0 && level > viewErrorLevel())
    dbout("<<%s::%s %s>>\n", objectName, where, errorString(nullptr));
  return code;
}

int vlObject::ViewError(int code, const char* where, int level) {
  if (code == 0) return 0;
  if (!where) where = "error";
  if (level > DisplayErrorLevel) dbout("<<::%s %s>>\n", where, ErrorString(code, nullptr));
  return code;
}

int vlObject::viewErrorLevel() const { return errorLevel >= 0 ? errorLevel : DisplayErrorLevel; }

int vlObject::resetViewError() { return errorLevel = -1; }

int vlObject::ViewErrorLevel() { return DisplayErrorLevel; }

int vlObject::ViewErrorLevel(int level) { return DisplayErrorLevel = level; }

int vlObject::ResetViewError() { return DisplayErrorLevel = 3; }
