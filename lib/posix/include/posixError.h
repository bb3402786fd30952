// Last-error codes: GetLastError/SetLastError per thread, and the one table that
// turns errno values into Win32 error codes.
#pragma once
#include "posixTypes.h"

#define ERROR_SUCCESS 0
#define ERROR_INVALID_FUNCTION 1
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_TOO_MANY_OPEN_FILES 4
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_NOT_READY 21
#define ERROR_NO_MORE_FILES 18
#define ERROR_WRITE_FAULT 29
#define ERROR_READ_FAULT 30
#define ERROR_SHARING_VIOLATION 32
#define ERROR_BAD_NETPATH 53
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_DISK_FULL 112
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_INVALID_NAME 123
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_NEGATIVE_SEEK 131
#define ERROR_DIR_NOT_EMPTY 145
#define ERROR_ALREADY_EXISTS 183
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_NO_SUCH_DEVICE 433
#define ERROR_NO_UNICODE_TRANSLATION 1113
#define WAIT_TIMEOUT 258

DWORD GetLastError();
void SetLastError(DWORD code);

// The one translation of a failed system call into a Win32 code, used by every call of
// the layer. hostPath is the path the call failed on, null for a call on a descriptor.
// ENOENT on a path is 2 when the folder that should hold its last component exists and 3
// when a folder on the way is missing, as Windows and Wine tell them apart; other values
// come from one table, and unknown ones give ERROR_INVALID_FUNCTION.
DWORD posixErrorCode(int errnoValue, const char* hostPath = nullptr);
// Sets the last error as posixErrorCode does and returns FALSE, the usual failure result.
BOOL posixFail(int errnoValue, const char* hostPath = nullptr);
