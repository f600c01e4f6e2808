// The classes as Windows and the C runtime give them; the plug-in never changes its locale,
// so the runtime answers for the "C" locale.
#include <windows.h>
#include <wctype.h>

#include "text/classify.h"

bool sys_is_wide_space(char16_t c) {
    if (c <= 0xFF) return false;
    WCHAR w = WCHAR(c);
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &w, 1, &type) && (type & C1_SPACE);
}

bool sys_is_name_letter_or_digit(char16_t c) { return c >= 0x80 && (iswalpha(wint_t(c)) || iswdigit(wint_t(c))); }

bool sys_is_name_digit(char16_t c) { return c >= 0x80 && iswdigit(wint_t(c)); }
