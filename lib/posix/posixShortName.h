// The 8.3 alias that a long file name gets, made as Wine makes it: up to four
// characters of the name, "~" padding, a three-character hash and up to three
// characters of the extension. Searches match a pattern against both names, so
// "*.mp3" also finds "a.mp3x" (alias "A~~~~XYZ.MP3"), as it does on Windows.
#pragma once
#include <string>

// The alias of a host (UTF-8) name, or "" when the name is a legal 8.3 name itself.
std::string posixShortName(const std::string& hostName);
