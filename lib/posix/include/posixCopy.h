// File copy: CopyFileA. With failIfExists the destination is created exclusively, so
// an existing file (also one that appears while copying) is never replaced (error 80).
// A failed copy leaves no partial destination. Codes: 2, 3, 5, 80, 112 (disk full).
// Only regular files are copied, and never with a wait: a source that is a pipe, socket
// or device fails at once with 87, as under Wine; a link is copied as what it points to,
// a dangling link fails with 2.
#pragma once
#include "posixTypes.h"

BOOL CopyFileA(const char* source, const char* destination, BOOL failIfExists);

// Removes the file that CopyFileA is writing at this moment, if any. It makes only
// async-signal-safe calls: it is for an interrupt handler that then ends the program
// (the copy itself would go on into the removed file). One copy at a time is tracked.
void posixAbandonCopy();

// Writes out everything cached for the file system that holds folder (a DOS path), so
// that what was copied there is on the device (syncfs). One call covers every file
// copied onto that volume. FALSE with the last error set when the folder cannot be opened
// or the device reports a failed write (21 for an I/O error: some data may be lost).
BOOL posixFlushVolume(const char* folder);
