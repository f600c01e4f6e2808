#include "host/batch/variables.h"

#include <stdlib.h>

#include <string>

#include "host/system.h"
#include "host/words.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

std::u16string two_digits(int v) { return std::u16string{char16_t(u'0' + v / 10 % 10), char16_t(u'0' + v % 10)}; }

// Where the shell follows the locale, bhsh writes the ISO forms, the same on every system.
std::u16string iso_date() {
    LocalTime t = system_local_time();
    return number_text(t.year) + u"-" + two_digits(t.month) + u"-" + two_digits(t.day);
}

std::u16string clock_text(const LocalTime& t) {
    return two_digits(t.hour) + u":" + two_digits(t.minute) + u":" + two_digits(t.second);
}

std::u16string clock_time() { return clock_text(system_local_time()); }

// The hundredths from the same reading as the rest, so the text never straddles a second.
std::u16string clock_time_hundredths() {
    LocalTime t = system_local_time();
    return clock_text(t) + u"." + two_digits(t.centisecond);
}

std::u16string weekday() {
    static const char16_t* const names[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    return names[system_local_time().weekday % 7];
}

std::u16string year() { return number_text(system_local_time().year); }
std::u16string month() { return number_text(system_local_time().month); }
std::u16string day() { return number_text(system_local_time().day); }
std::u16string hour() { return number_text(system_local_time().hour); }
std::u16string minute() { return number_text(system_local_time().minute); }
std::u16string second() { return number_text(system_local_time().second); }

std::u16string folder() { return system_current_folder(); }

std::u16string folder_with_separator() {
    std::u16string f = system_current_folder();
    return !f.empty() && system_is_separator(f.back()) ? f : f + system_separator();
}

// As the command interpreter gives it: 0 to 32767, another at each reading.
std::u16string random_number() {
    static bool seeded = false;
    if (!seeded) {
        LocalTime t = system_local_time();
        srand(unsigned(((t.hour * 60 + t.minute) * 60 + t.second) * 100 + t.centisecond));
        seeded = true;
    }
    return number_text(rand() % 32768);
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
    {u"_cwd", folder},
    {u"_cwds", folder_with_separator},
    {u"cd", folder},
    {u"_date", iso_date},
    {u"_isodate", iso_date},
    {u"date", iso_date},
    {u"_time", clock_time},
    {u"time", clock_time_hundredths},
    {u"_dow", weekday},
    {u"_year", year},
    {u"_month", month},
    {u"_day", day},
    {u"_hour", hour},
    {u"_minute", minute},
    {u"_second", second},
    {u"errorlevel", status},
    {u"random", random_number},
};

// The shell's other internal variables, from its documentation. Most tell of the console,
// the machine or the shell's own state, which bhsh has no counterpart for.
const char16_t* const unserved[] = {
    u"_4ver",        u"_acstatus",       u"_alias",     u"_alt",       u"_ansi",         u"_battery",
    u"_batterylife", u"_batterypercent", u"_batchtype", u"_bg",        u"_boot",         u"_build",
    u"_capslock",    u"_cdroms",         u"_ci",        u"_cmdline",   u"_cmdproc",      u"_cmdspec",
    u"_co",          u"_codepage",       u"_column",    u"_columns",   u"_country",      u"_cpu",
    u"_cpuusage",    u"_ctrl",           u"_cwp",       u"_cwps",      u"_datetime",     u"_detachpid",
    u"_disk",        u"_dname",          u"_dos",       u"_dosver",    u"_dowf",         u"_dowi",
    u"_doy",         u"_drive",          u"_drives",    u"_dst",       u"_dvds",         u"_echo",
    u"_editmode",    u"_execstr",        u"_expansion", u"_fg",        u"_ftperror",     u"_hdrives",
    u"_hlogfile",    u"_host",           u"_hwprofile", u"_idow",      u"_idowf",        u"_imonth",
    u"_imonthf",     u"_info",           u"_ip",        u"_iplist",    u"_kbhit",        u"_lalt",
    u"_lastdir",     u"_lastdisk",       u"_lctrl",     u"_logfile",   u"_lshift",       u"_monthf",
    u"_numlock",     u"_osbuild",        u"_parent",    u"_pid",       u"_ppid",         u"_programfiles",
    u"_ralt",        u"_rctrl",          u"_ready",     u"_row",       u"_rows",         u"_rshift",
    u"_selected",    u"_shell",          u"_shells",    u"_shift",     u"_startpath",    u"_startpid",
    u"_stdin",       u"_stdout",         u"_stderr",    u"_syserr",    u"_tzn",          u"_tzo",
    u"_unicode",     u"_uptime",         u"_user",      u"_utcdate",   u"_utchour",      u"_utcisodate",
    u"_utcminute",   u"_utcsecond",      u"_utctime",   u"_virtualpc", u"_vmware",       u"_windir",
    u"_winfgwindow", u"_winname",        u"_winsysdir", u"_wintitle",  u"_winuser",      u"_winver",
    u"_wow64",       u"_xpixels",        u"_ypixels",   u"cmdcmdline", u"cmdextversion",
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

bool variable_unserved(const std::u16string& name) {
    for (const char16_t* u : unserved)
        if (text_equal_nocase(name.c_str(), u)) return true;
    return false;
}

void variables_setup() {
    shell_set_variable_handler(served_value);
    shell_set_path_handler(path_part);
}
