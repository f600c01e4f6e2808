// The syntax text and the help window the shell asks for, both from the HelpTable.
#include "help/help_table.h"
#include "plugin/exports.h"
#include "plugin/identity.h"
#include "plugin/messages.h"
#include "platform/platform.h"
#include "text/chars.h"
#include "text/format.h"

namespace {

// The syntax part of a help text: what follows the first line and the empty lines after it.
const char16_t* syntax_text(const char16_t* text) {
    while (*text && *text != u'\n') ++text;
    while (*text == u'\n') ++text;
    return text;
}

}  // namespace

int Usage(const char16_t* name, char16_t* buffer) {
    if (!name || !buffer) return 0;
    // Names of variable functions and internal names get no syntax text from here.
    if (name[0] == u'@' || name[0] == u'_') return 0;
    const HelpEntry* entry = find_help_entry(name);
    if (!entry) return 0;
    text_copy(buffer, RESULT_CAP, syntax_text(entry->text));
    return 1;
}

int Help(const char16_t* name) {
    if (!name) return 0;
    char16_t title[1024];
    text_format(title, sizeof title / sizeof title[0], MSG_HELP_TITLE, BYTEHAUL_NAME);
    const HelpEntry* entry = find_help_entry(name);
    if (!entry) return 0;
    sys_message_box(title, entry->text);
    return 1;
}
