// Last-error state and the errno to Win32 error-code table.
#include <windows.h>
#include <cerrno>
#include "posixPath.h"

namespace {
thread_local DWORD lastErrorCode = 0;

struct ErrnoMap {
  int errnoValue;
  DWORD code;
};

// EIO is 21 (not ready), as under Wine; never 30, which a stream reports at the end of
// its data.
const ErrnoMap errnoTable[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},     {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES}, {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EACCES, ERROR_ACCESS_DENIED},      {EPERM, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_ACCESS_DENIED},       {EISDIR, ERROR_ACCESS_DENIED},
    {EBADF, ERROR_INVALID_HANDLE},      {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EEXIST, ERROR_FILE_EXISTS},        {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},          {EFBIG, ERROR_DISK_FULL},
    {EINVAL, ERROR_INVALID_PARAMETER},  {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},   {EBUSY, ERROR_SHARING_VIOLATION},
    {ETXTBSY, ERROR_SHARING_VIOLATION}, {EIO, ERROR_NOT_READY},
    {ELOOP, ERROR_PATH_NOT_FOUND},      {EXDEV, 17 /* ERROR_NOT_SAME_DEVICE */},
    {ENXIO, ERROR_NO_SUCH_DEVICE},  // a socket (or a device without a driver) cannot be opened
};
}  // namespace

DWORD GetLastError() { return lastErrorCode; }

void SetLastError(DWORD code) { lastErrorCode = code; }

DWORD posixErrorCode(int errnoValue, const char* hostPath) {
  if (errnoValue == ENOENT && hostPath)
    return posixIsFolder(posixParentOf(hostPath)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  for (const ErrnoMap& m : errnoTable)
    if (m.errnoValue == errnoValue) return m.code;
  return ERROR_INVALID_FUNCTION;
}

BOOL posixFail(int errnoValue, const char* hostPath) {
  SetLastError(posixErrorCode(errnoValue, hostPath));
  return FALSE;
}
