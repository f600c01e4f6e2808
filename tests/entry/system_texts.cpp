#include "tests/entry/system_texts.h"

#include <stdio.h>

#include "tests/support/support.h"

std::string system_text(uint32_t code) {
    if (code == 0xFFFFFFFFu) return "Unknown error";
    std::string text = system_message(code);
    if (!text.empty()) return text;
    char fallback[32];
    snprintf(fallback, sizeof fallback, "Error %d", int(code));
    return fallback;
}
