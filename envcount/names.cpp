// Which environment variable names INC and DEC accept: ASCII letters and digits and four
// signs, and beyond ASCII the letters and digits the platform's classification names.
#include "envcount/names.h"

#include "platform/classify.h"
#include "text/chars.h"

namespace {

bool IsNameDigit(char16_t c) { return c < 0x80 ? text_is_digit(c) : sys_is_name_digit(c); }

bool IsNameCharacter(char16_t c) {
    if (c < 0x80) return text_is_alpha(c) || text_is_digit(c) || c == u'$' || c == u'-' || c == u'.' || c == u'_';
    return sys_is_name_letter_or_digit(c);
}

}  // namespace

bool IsGoodVariableName(const char16_t* name) {
    if (!name || !name[0] || IsNameDigit(name[0])) return false;
    for (const char16_t* p = name; *p; ++p)
        if (!IsNameCharacter(*p)) return false;
    return true;
}
