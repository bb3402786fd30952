// One line of a playlist and the entry that it gives: the source attribute of a media
// element, taken out of the UTF-8 line, its references decoded, converted to code page
// 932. The line is fed in the pieces that the line reader returns, so where the reader
// cuts a long line does not matter; the entry depends on the source value alone.
//
// The line rules: the line holds "<media" anywhere; the first "src=" counts; the value
// starts one byte after it (the opening quote, not itself tested) and ends before the
// next double quote; the decoded value ends in ".mp3" without regard to ASCII case.
// Example: <media src="..\Rock &amp; Roll.mp3" albumTitle="x"/>  gives  ..\Rock & Roll.mp3
#pragma once
#include <cstddef>

class mediaLine {
 public:
  enum result { noEntry, entry, tooLong, badName };
  // The path buffers: an entry holds at most 299 bytes of code page 932 text.
  static const int entryBytes = 300;
  // The raw value is kept up to the size of a line buffer.
  static const int valueBytes = 1000;

  mediaLine();
  void feed(const char* text, size_t length);
  // The entry into out (entryBytes). tooLong: the value names a ".mp3" file but does not
  // fit the buffers; out holds as much of it as fits, cut at a character boundary.
  // badName: the value names a ".mp3" file but holds characters below 0x20, which no
  // Windows name can, or characters that code page 932 cannot hold exactly (a look-alike
  // would name another file); out holds it with '?' in their place. Either way the log
  // shows out on one line.
  result take(char* out);

 private:
  enum phase { seekingSource, skippingQuote, inValue, valueClosed };
  static const int tailBytes = 32;  // enough for ".mp3" written with references

  void scan(char byte);
  void keep(char byte);
  result takeCut(char* out);

  int mediaMatched;
  int sourceMatched;
  bool hasMedia;
  phase state;
  char value[valueBytes];
  int valueLength;
  bool valueCut;  // longer than value: only its head and tail are kept
  char tail[tailBytes];
  int tailLength;
};
