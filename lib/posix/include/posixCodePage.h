// Code-page conversion: MultiByteToWideChar / WideCharToMultiByte for code page 932
// (also CP_ACP, which is 932 here) and CP_UTF8, with flags 0.
//
// Contract, as on Windows:
// - a source length of -1 converts up to and including the terminating zero, and the
//   count then includes it; any other length converts exactly that many elements;
// - an output size of 0 only asks for the count needed;
// - an output that is too small fails with ERROR_INSUFFICIENT_BUFFER after the
//   characters that fit were written;
// - null source, zero source length, negative output size, null output with a size,
//   or another code page fail with ERROR_INVALID_PARAMETER; flags other than 0 fail
//   with ERROR_INVALID_FLAGS;
// - code page 932 reads 0x80, 0xA0 and 0xFD-0xFF as single characters, and a lead
//   byte without a trail byte, or a pair that the code page does not define, as U+30FB;
// - invalid UTF-8 becomes U+FFFD per broken sequence; a lone surrogate becomes U+FFFD in
//   UTF-8 and the default character in code page 932;
// - a character that code page 932 cannot hold takes its best-fit form (e -> "e" for
//   an accented e) where the code page has one, otherwise the default character "?"
//   (or defaultChar); usedDefault tells whether that happened. With CP_UTF8 both
//   default-character arguments must be null.
// A sequence cut off by the end of the input is replaced as one character, but never
// takes valid bytes or the terminating zero behind it with it.
#pragma once
#include "posixTypes.h"

#define CP_ACP 0
#define CP_UTF8 65001
#define ERROR_INVALID_FLAGS 1004

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR output, int outputSize);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength,
                        LPSTR output, int outputSize, LPCSTR defaultChar, BOOL* usedDefault);
