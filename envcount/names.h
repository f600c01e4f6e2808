// The naming rule of the counters' environment variables.
#pragma once

// True when name is not empty, does not begin with a decimal digit, and holds only
// letters, digits, "$", "-", "." and "_". Beyond ASCII, letters and digits are those the
// platform's classification names (the C runtime's on Windows).
bool is_good_variable_name(const char16_t* name);
