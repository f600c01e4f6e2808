// A small bounded printf for UTF-16 text.
//
// Conversions: %s (UTF-16 string), %c, %d %i %u %X %x %o, %%.
// Flags: '0' (zero padding), '+' (always a sign), '-' (left justify), ' ' (blank for plus).
// Width: digits or '*' (taken from the arguments, as int). Precision ".N" or ".*" caps %s.
// Size prefixes: I64, ll and l-l forms select 64-bit integers; h, l are accepted and ignored.
// Never writes past cap characters; the output is always NUL-terminated when cap > 0.
#pragma once
#include <stdarg.h>
#include <stddef.h>

// Returns the number of characters written, NUL excluded.
size_t text_vformat(char16_t* out, size_t cap, const char16_t* fmt, va_list ap);
size_t text_format(char16_t* out, size_t cap, const char16_t* fmt, ...);
