// Win32 base types with their Windows sizes (LONG and DWORD are 32-bit everywhere).
#pragma once
#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef void* HANDLE;
typedef void* HINSTANCE;
typedef void* HMODULE;
typedef void* HACCEL;
typedef char CHAR;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef wchar_t WCHAR_UNUSED;
typedef uint16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef void* LPVOID;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef intptr_t LRESULT;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
