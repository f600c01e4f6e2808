#include "host/batch/variables.h"

#include <string>

#include "host/system.h"
#include "host/words.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

std::u16string number(int v) { return number_text(v); }

std::u16string two_digits(int v) { return std::u16string{char16_t(u'0' + v / 10 % 10), char16_t(u'0' + v % 10)}; }

// Where the shell follows the locale, bhsh writes the ISO forms, the same on every system.
std::u16string iso_date() {
    LocalTime t = system_local_time();
    return number(t.year) + u"-" + two_digits(t.month) + u"-" + two_digits(t.day);
}

std::u16string clock_time() {
    LocalTime t = system_local_time();
    return two_digits(t.hour) + u":" + two_digits(t.minute) + u":" + two_digits(t.second);
}

std::u16string clock_time_hundredths() {
    LocalTime t = system_local_time();
    return two_digits(t.hour) + u":" + two_digits(t.minute) + u":" + two_digits(t.second) + u"." +
           two_digits(t.centisecond);
}

std::u16string weekday() {
    static const char16_t* const names[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    return names[system_local_time().weekday % 7];
}

std::u16string year() { return number(system_local_time().year); }
std::u16string month() { return number(system_local_time().month); }
std::u16string day() { return number(system_local_time().day); }
std::u16string hour() { return number(system_local_time().hour); }
std::u16string minute() { return number(system_local_time().minute); }
std::u16string second() { return number(system_local_time().second); }

std::u16string folder() { return system_current_folder(); }

std::u16string folder_with_separator() {
    std::u16string f = system_current_folder();
    return !f.empty() && system_is_separator(f.back()) ? f : f + system_separator();
}

std::u16string status() {
    const char16_t* v = shell_get_internal(u"?");
    return v ? v : u"0";
}

struct ServedVariable {
    const char16_t* name;
    std::u16string (*value)();
};

const ServedVariable served[] = {
    {u"_cwd", folder},       {u"_cwds", folder_with_separator},
    {u"cd", folder},         {u"_date", iso_date},
    {u"_isodate", iso_date}, {u"date", iso_date},
    {u"_time", clock_time},  {u"time", clock_time_hundredths},
    {u"_dow", weekday},      {u"_year", year},
    {u"_month", month},      {u"_day", day},
    {u"_hour", hour},        {u"_minute", minute},
    {u"_second", second},    {u"errorlevel", status},
};

void copy_out(const std::u16string& text, char16_t* out, size_t cap) {
    size_t n = text.size() < cap - 1 ? text.size() : cap - 1;
    text.copy(out, n);
    out[n] = 0;
}

bool served_value(const char16_t* name, char16_t* out, size_t cap) {
    for (const ServedVariable& v : served) {
        if (text_equal_nocase(name, v.name)) {
            copy_out(v.value(), out, cap);
            return true;
        }
    }
    return false;
}

bool has(const char16_t* modifiers, char16_t letter) {
    for (const char16_t* m = modifiers; *m; ++m)
        if (*m == letter) return true;
    return false;
}

// f names the whole path; the other letters their parts, always in the order d, p, n, x.
void path_part(const char16_t* modifiers, const char16_t* path, char16_t* out, size_t cap) {
    PathParts p = system_path_parts(system_full_path(path));
    bool whole = has(modifiers, u'f');
    std::u16string text;
    if (whole || has(modifiers, u'd')) text += p.drive;
    if (whole || has(modifiers, u'p')) text += p.folder;
    if (whole || has(modifiers, u'n')) text += p.name;
    if (whole || has(modifiers, u'x')) text += p.extension;
    copy_out(text, out, cap);
}

}  // namespace

void variables_setup() {
    shell_set_variable_handler(served_value);
    shell_set_path_handler(path_part);
}
