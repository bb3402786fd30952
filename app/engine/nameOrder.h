// nameOrder: the one definition of the order in which a sorted copy writes a folder's
// files, shared by the copy engine and the check of a volume's directory order.
// Names are code page 932 bytes ending in a zero.
#pragma once

// Byte order: bytes compared as unsigned values, no case folding, so "10.mp3" comes
// before "9.mp3" and every ASCII byte before a double-byte character. As strcmp.
int nameCompareBytes(const char* a, const char* b);

// Natural order: runs of ASCII digits compared by their value ("2" before "10",
// leading zeros ignored), everything else byte by byte; names that are equal this
// way ("01" and "1") fall back to byte order, so the order stays total.
int nameCompareNatural(const char* a, const char* b);

// One of the two, as chosen; negative, zero or positive like strcmp.
int nameCompare(const char* a, const char* b, bool natural);
