#include "mediaLine.h"
#include <cstring>
#include "controlText.h"
#include "entryText.h"
#include "exactText.h"
#include "vlUtl2.h"
#include "xmlText.h"

namespace {
const char mediaTag[] = "<media";
const char sourceName[] = "src=";

// Advances a match of pattern by one byte. Neither pattern repeats its own start, so a
// mismatch only needs to test whether the byte starts a new match.
int advance(const char* pattern, int matched, char byte) {
  if (byte == pattern[matched]) return matched + 1;
  return byte == pattern[0] ? 1 : 0;
}

// The length of text without an incomplete UTF-8 sequence at its end.
size_t wholeUtf8(const char* text, size_t length) {
  size_t start = length;
  while (start > 0 && length - start < 3 && (text[start - 1] & 0xC0) == 0x80) --start;
  if (start == 0) return length;
  unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return length - (start - 1) < need ? start - 1 : length;
}

// Decoded UTF-8 text to code page 932 into out (mediaLine::entryBytes), "?" for each
// character that code page 932 cannot hold exactly (counted in inexact); false when it
// does not fit, out then holding as much as fits.
bool convertEntry(const char* text, char* out, int& inexact) {
  char converted[mediaLine::valueBytes];
  // Code page 932 never needs more bytes than UTF-8 for the same text.
  inexact = utf8ToCp932Exactly(text, converted, sizeof converted);
  copyWhole(out, converted, mediaLine::entryBytes);
  return inexact >= 0 && std::strlen(converted) < static_cast<size_t>(mediaLine::entryBytes);
}
}  // namespace

mediaLine::mediaLine()
    : mediaMatched(0),
      sourceMatched(0),
      hasMedia(false),
      state(seekingSource),
      valueLength(0),
      valueCut(false),
      tailLength(0) {}

void mediaLine::feed(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) scan(text[i]);
}

void mediaLine::scan(char byte) {
  if (!hasMedia) {
    mediaMatched = advance(mediaTag, mediaMatched, byte);
    hasMedia = mediaTag[mediaMatched] == 0;
  }
  switch (state) {
    case seekingSource:
      sourceMatched = advance(sourceName, sourceMatched, byte);
      if (sourceName[sourceMatched] == 0) state = skippingQuote;
      break;
    case skippingQuote:
      state = inValue;
      break;
    case inValue:
      if (byte == '"') state = valueClosed;
      else keep(byte);
      break;
    case valueClosed:
      break;
  }
}

void mediaLine::keep(char byte) {
  if (valueLength < valueBytes - 1) {
    value[valueLength++] = byte;
    return;
  }
  valueCut = true;
  if (tailLength == tailBytes - 1) std::memmove(tail, tail + 1, --tailLength);
  tail[tailLength++] = byte;
}

mediaLine::result mediaLine::take(char* out) {
  if (!hasMedia || state != valueClosed) return noEntry;
  if (valueCut) return takeCut(out);
  size_t length = decodeXmlText(value, static_cast<size_t>(valueLength));
  if (!endsWithMp3(value, length)) return noEntry;
  // Masked before the conversion, which a NUL would end early.
  bool controls = maskControls(value, length);
  int inexact = 0;
  if (!convertEntry(value, out, inexact)) return tooLong;
  return controls || inexact ? badName : entry;
}

// A value longer than the line buffer: its tail tells whether it names a ".mp3" file,
// its head is what the log can show.
mediaLine::result mediaLine::takeCut(char* out) {
  if (!endsWithMp3(tail, decodeXmlText(tail, static_cast<size_t>(tailLength)))) return noEntry;
  size_t length = wholeUtf8(value, static_cast<size_t>(valueLength));
  maskControls(value, decodeXmlText(value, length));
  int inexact = 0;
  convertEntry(value, out, inexact);
  return tooLong;
}
