// The system's text for an error code as a report must quote it, found without the
// plug-in's help (tests/support's system_message: the system asked directly on Windows,
// the stand-in's texts written out on Linux), with the report's own fallbacks.
#pragma once
#include <stdint.h>

#include <string>

// The message text for code with its trailing white space gone; "Error N" (signed) for a
// code the system has no text for, and "Unknown error" for 0xFFFFFFFF.
std::string system_text(uint32_t code);
