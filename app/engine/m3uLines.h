// m3uLines: the lines of an M3U playlist, read from a stream in whatever encoding the
// playlist uses. The encoding is taken from the whole file before the first line: a
// UTF-8 byte-order mark means UTF-8; a UTF-16 mark (either byte order) means UTF-16;
// otherwise a file that is valid UTF-8 throughout is UTF-8, and any other file is code
// page 932. UTF-16 text is handed out as UTF-8, so a line is either UTF-8 or code page
// 932 bytes. Lines end with LF, CR LF or a lone CR; a last line without an end counts.
// Example: "\xEF\xBB\xBF#EXTM3U\r\nMusic/a.mp3" gives "#EXTM3U" and "Music/a.mp3", UTF-8.
#pragma once
#include <cstddef>

class vlStream;

// One line without its end. A line longer than the head keeps its first headBytes - 1
// bytes and its last tailBytes - 1, enough to tell what the line ends with.
struct m3uLine {
  static const int headBytes = 1000;
  static const int tailBytes = 32;
  char head[headBytes];  // zero-terminated; may hold zero bytes of its own before length
  size_t length;
  bool cut;  // longer than the head: tail holds the line's last bytes
  char tail[tailBytes];
  size_t tailLength;
  bool utf8;  // else code page 932
};

class m3uLines {
 public:
  explicit m3uLines(vlStream& stream);
  // Finds the encoding and stands before the first line; false when the stream fails.
  bool start();
  // The next line into line; false at the end of the data or when the stream fails.
  bool next(m3uLine& line);
  bool failed() const { return readFault; }

 private:
  enum encoding { utf8Text, utf16Little, utf16Big, cp932Text };
  static const int blockBytes = 4096;

  bool findEncoding(int& markBytes);
  bool validUtf8();
  bool fill();
  bool nextByte(unsigned char& byte);
  bool nextUnit(unsigned& unit);
  bool nextCharacter(unsigned char* bytes, int& count);
  void keep(m3uLine& line, unsigned char byte);

  vlStream& stream;
  encoding code;
  unsigned char block[blockBytes];
  int blockAt;
  int blockEnd;
  bool readFault;
  bool afterCr;  // the last line ended with CR: an LF right after it belongs to it
  bool pendingUnit;  // a UTF-16 unit read ahead that was not part of a surrogate pair
  unsigned heldUnit;
};
