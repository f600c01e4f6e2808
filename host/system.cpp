// The host's system helpers that are the same on every build.
#include "host/system.h"

#include "platform/platform.h"
#include "text/chars.h"
#include "text/utf.h"

std::u16string from_utf8(const std::string& s) {
    // Converted piece by piece around NULs, which would end the text early.
    std::u16string out;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find('\0', start);
        if (end == std::string::npos) end = s.size();
        std::string part = s.substr(start, end - start);
        std::u16string piece(utf8_to_utf16_length(part.c_str()) + 1, u'\0');
        piece.resize(utf8_to_utf16(part.c_str(), &piece[0], piece.size()));
        out += piece;
        if (end == s.size()) break;
        out += u'\uFFFD';
        start = end + 1;
    }
    return out;
}

std::u16string system_error_text(uint32_t code) {
    // Longer than any message text of the system.
    static char16_t text[4096];
    uint32_t n = sys_error_text(code, u"Error %u", text, uint32_t(sizeof text / sizeof text[0]));
    return std::u16string(text, n);
}

PathParts system_path_parts(const std::u16string& full) {
    PathParts parts;
    size_t drive = system_drive_length(full), name_at = full.size();
    while (name_at > drive && !system_is_separator(full[name_at - 1])) --name_at;
    parts.drive = full.substr(0, drive);
    parts.folder = full.substr(drive, name_at - drive);
    std::u16string name = full.substr(name_at);
    size_t dot = name.rfind(u'.');
    parts.name = name.substr(0, dot);
    parts.extension = dot == std::u16string::npos ? u"" : name.substr(dot);
    return parts;
}
