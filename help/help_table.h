// The five names the plug-in serves and their help texts: the one source for Usage,
// Help, and the text that INC /? and DEC /? print.
#pragma once

struct HelpEntry {
    const char16_t* name;  // compared without regard to case
    const char16_t* text;
};

enum { HELP_ENTRIES = 5 };
enum { HELP_DEC = 3, HELP_INC = 4 };  // the rows INC /? and DEC /? print

extern const HelpEntry HelpTable[HELP_ENTRIES];

// The row whose name (not null) equals name without regard to case, or null.
const HelpEntry* find_help_entry(const char16_t* name);
