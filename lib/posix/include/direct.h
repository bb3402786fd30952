// The CRT's folder functions (<direct.h> on Windows) over the POSIX layer.
#pragma once

// Creates one folder; 0 on success, -1 with errno set (EEXIST, ENOENT, ...).
int _mkdir(const char* path);
