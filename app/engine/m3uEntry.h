// What one line of an M3U playlist gives for the file list: the path of an ".mp3" file
// in code page 932, as a DOS path that checkFilename (copyHelpers.h) resolves.
//
// Blank lines and lines starting with "#" (#EXTM3U, #EXTINF and any other directive)
// give nothing; trailing spaces and tabs are dropped. "/" becomes "\\". A path is
// absolute with a drive (C:\Music\a.mp3, C:/Music/a.mp3), a server (\\srv\m\a.mp3,
// //srv/m/a.mp3), rooted (/home/u/a.mp3, \Music\a.mp3: on the playlist's own drive or
// share), or relative to the playlist's folder. A file: URL gives its percent-decoded
// path (file:///C:/Music/a%20b.mp3 -> C:\Music\a b.mp3, file://localhost/home/a.mp3
// -> Z:\home\a.mp3 with root Z:, file://srv/m/a.mp3 -> \\srv\m\a.mp3); any other URL
// (http://...) gives nothing. A relative path holding %XX escapes is taken as written
// when that file exists under listDir, else decoded (players that write URLs encode
// relative paths too). Escapes stand for bytes of the playlist's text (UTF-8 in a UTF-16
// playlist). Only a path ending in ".mp3" without regard to ASCII case counts.
#pragma once
#include "m3uLines.h"

enum m3uResult {
  m3uNone,      // nothing to copy: a comment, a blank line, a URL, not an ".mp3" file
  m3uFile,      // out holds the entry
  m3uUnusable,  // an ".mp3" entry that does not fit the path buffers, holds a control
                // character or a character that code page 932 cannot hold, or is not
                // valid text; out holds as much of it as fits, each such character "?"
};

// The entry of line into out (300 bytes). root: the playlist's drive ("Z:") or server
// and share ("\\srv\m"); listDir: the folder relative entries are resolved against,
// ending with "\\".
m3uResult m3uEntry(const m3uLine& line, const char* root, const char* listDir, char* out);
