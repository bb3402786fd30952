// The character references of XML attribute values, as media players write file names
// in a playlist ("Rock &amp; Roll.mp3", "Don&#39;t Stop.mp3").
#pragma once
#include <cstddef>

// Replaces, in place, the five predefined entities (&amp; &apos; &quot; &lt; &gt;) and
// the decimal and hexadecimal character references (&#39; &#x27;) of a UTF-8 text of
// length bytes by the characters they stand for, as UTF-8, and terminates the result.
// A reference that is unknown, malformed or names no XML character ("&nbsp;", "&#;",
// "&#0;", "& ") stays as written. Returns the new length, never more than the old.
size_t decodeXmlText(char* text, size_t length);
