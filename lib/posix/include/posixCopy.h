// File copy: CopyFileA. With failIfExists the destination is created exclusively, so
// an existing file (also one that appears while copying) is never replaced (error 80).
// A failed copy leaves no partial destination. Codes: 2, 3, 5, 80, 112 (disk full).
#pragma once
#include "posixTypes.h"

BOOL CopyFileA(const char* source, const char* destination, BOOL failIfExists);
