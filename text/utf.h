// UTF-8 <-> UTF-16 conversion for the places where text leaves or enters the process
// as bytes (terminal output on Linux, the process environment on Linux).
// Ill-formed input becomes U+FFFD; output is bounded by its capacity.
#pragma once
#include <stddef.h>

// Converts n UTF-16 units of s into at most cap bytes of out (no NUL added).
// Returns the number of bytes written; a character that does not fit whole is dropped.
size_t utf16_to_utf8(const char16_t* s, size_t n, char* out, size_t cap);
// Converts the NUL-terminated UTF-8 text s into out (cap units, NUL included).
// Returns the number of units written, NUL excluded.
size_t utf8_to_utf16(const char* s, char16_t* out, size_t cap);
// Number of UTF-16 units that utf8_to_utf16 would give for s, with unlimited room.
size_t utf8_to_utf16_length(const char* s);

// Lossless forms, for text that must come back unit for unit and bytes that must come back
// byte for byte (the Linux environment, file names, batch files): a lone surrogate is
// written in its three-byte form (WTF-8), except U+DC80..U+DCFF, which stand for the byte
// of their low half; on the way back each byte that starts no well-formed sequence reads
// as that escape. Only escapes that happen to spell well-formed UTF-8 come back otherwise.
// Converts n UTF-16 units of s into at most cap bytes of out (no NUL added); returns the
// bytes written; a character that does not fit whole is dropped.
size_t wtf8_from_utf16(const char16_t* s, size_t n, char* out, size_t cap);
// Decodes the character at s (NUL-terminated, *s not NUL) into one or two units of out;
// returns the bytes used (at least 1) and sets *units.
size_t wtf8_next(const char* s, char16_t out[2], size_t* units);
// Decodes the NUL-terminated s into out, which must hold what it gives (no NUL added);
// with a null out only counts. Returns the units.
size_t wtf8_decode(const char* s, char16_t* out);
