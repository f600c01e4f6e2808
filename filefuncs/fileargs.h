// What the three file functions share: reading their arguments from the ArgumentTable
// and reporting what is wrong with them.
#pragma once
#include <stdint.h>

#include "platform/platform.h"

enum : uint32_t {
    MAX_READ_BYTES = 4096,   // the most one @BYTEHAUL call reads
    MAX_WRITE_BYTES = 4096,  // the most one @BYTESTOW call writes
};

// Whether offending arguments are upper-cased with the system's rules before they are
// quoted in a message. @BYTESTOW's arguments arrive upper-cased by the splitter already.
enum QuoteCase { QUOTE_AS_SPLIT, QUOTE_UPPER };

// Quotes argument i in message, after upper-casing it in place when asked.
void report_argument(const char16_t* message, int32_t i, QuoteCase quote);

// The handle in argument 0, widened to a system handle. Reports a missing or bad handle
// and returns false.
bool take_handle(QuoteCase quote, sys_handle* handle);

// Argument i as one number in the number syntax, nothing after it. Reports message
// (with the argument upper-cased) and returns false when it is not.
bool take_whole_number(int32_t i, const char16_t* message, uint32_t* value);

// One read from a handle. A pipe whose writers have all gone reports its end as a failure
// on Windows; that is the end of its data, as a file's end is, so it reads as no bytes.
bool read_once(sys_handle handle, void* bytes, uint32_t count, uint32_t* got);

// After a failed read: leaves the system's text for the error in result (at least 1024
// characters) and reports it.
void report_read_error(char16_t* result);
