// Which environment variable names INC and DEC accept: ASCII letters and digits and four
// signs, and beyond ASCII the letters and digits the platform's classification names.
#include "envcount/names.h"

#include "text/classify.h"
#include "text/chars.h"

namespace {

bool is_name_digit(char16_t c) { return c < 0x80 ? text_is_digit(c) : sys_is_name_digit(c); }

bool is_name_character(char16_t c) {
    if (c < 0x80) return text_is_alpha(c) || text_is_digit(c) || c == u'$' || c == u'-' || c == u'.' || c == u'_';
    return sys_is_name_letter_or_digit(c);
}

}  // namespace

bool is_good_variable_name(const char16_t* name) {
    if (!name || !name[0] || is_name_digit(name[0])) return false;
    for (const char16_t* p = name; *p; ++p)
        if (!is_name_character(*p)) return false;
    return true;
}
