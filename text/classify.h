// Character classes the platform decides: white space above U+00FF, and the letters and
// digits of environment variable names beyond ASCII. The text layer asks; each platform
// answers: platform/win/ asks Windows and the C runtime, platform/posix/ holds fixed tables
// from Unicode 14 in their place.
#pragma once

// c is above U+00FF and the platform's Unicode character-type classification marks it as
// space (GetStringTypeW, C1_SPACE).
bool sys_is_wide_space(char16_t c);
// c is beyond ASCII and a letter or a decimal digit by the C runtime's wide-character
// classification (iswalpha, iswdigit).
bool sys_is_name_letter_or_digit(char16_t c);
// c is beyond ASCII and a decimal digit by the same classification (iswdigit).
bool sys_is_name_digit(char16_t c);
