// INC and DEC: read the number in an environment variable, step it by one, and store it
// back in the notation it was written in.
#include "envcount/incdec.h"

#include "args/number.h"
#include "args/split.h"
#include "envcount/names.h"
#include "help/help_table.h"
#include "platform/platform.h"
#include "plugin/errors.h"
#include "plugin/exports.h"
#include "plugin/identity.h"
#include "plugin/messages.h"
#include "text/chars.h"
#include "text/format.h"

namespace {

enum : uint32_t { VALUE_CAP = 1024, ERROR_TEXT_CAP = 1024 };

enum Notation { NOTATION_DECIMAL, NOTATION_HEX, NOTATION_OCTAL };

// How a new value is written, by the notation of the old one.
const char16_t* const VALUE_FORMATS[] = {u"%I64d", u"0x%02I64X", u"0o%03I64o"};

struct CommandLine {
    bool quiet, verbose, zero;
    char16_t* name;  // in the ArgumentTable; null until an argument is taken as the name
};

enum ScanResult { SCAN_GO_ON, SCAN_HELP_SHOWN, SCAN_FAULT };

enum ReadResult { READ_VALUE, READ_ABSENT, READ_UNUSABLE, READ_FAILED };

struct Counter {
    int64_t number;
    Notation notation;
    bool numeric;
};

void show_command_help(bool decrement, bool with_version) {
    QPuts(HelpTable[decrement ? HELP_DEC : HELP_INC].text);
    if (with_version)
        Printf(MSG_VERSION_LINE, BYTEHAUL_NAME, unsigned(BYTEHAUL_MAJOR), unsigned(BYTEHAUL_MINOR),
               unsigned(BYTEHAUL_BUILD), 0u, BYTEHAUL_PLATFORM);
}

// Applies one argument; reports and returns SCAN_FAULT for an unknown option or a second name.
ScanResult scan_argument(char16_t* arg, bool decrement, CommandLine* cl) {
    if (arg[0] == u'/' && arg[1] == u'?') {
        show_command_help(decrement, arg[2] == u'?');
        return SCAN_HELP_SHOWN;
    }
    if (text_equal_nocase(arg, u"/Q")) {
        cl->quiet = true;
    } else if (text_equal_nocase(arg, u"/V")) {
        cl->verbose = true;
    } else if (text_equal_nocase(arg, u"/Z")) {
        cl->zero = true;
    } else if (arg[0] == u'/') {
        sys_char_upper(arg);
        report_error(MSG_UNKNOWN_OPTIONS, arg);
        return SCAN_FAULT;
    } else if (cl->name) {
        sys_char_upper(arg);
        report_error(MSG_SYNTAX_ERROR, arg);
        return SCAN_FAULT;
    } else {
        cl->name = arg;
    }
    return SCAN_GO_ON;
}

// Reads the variable into value. A value the counter cannot use — empty, or too long for
// the buffer — is told apart by the count the system returns, never by what the buffer
// or the last-error code happen to hold from before.
ReadResult read_variable(const char16_t* name, char16_t* value, uint32_t* code) {
    sys_set_last_error(0);
    uint32_t n = sys_get_env(name, value, VALUE_CAP);
    if (n >= VALUE_CAP) {
        value[0] = 0;
        return READ_UNUSABLE;
    }
    if (n > 0) {
        value[n] = 0;
        return READ_VALUE;
    }
    value[0] = 0;
    *code = sys_last_error();
    if (*code == SYS_ERROR_ENVVAR_NOT_FOUND) return READ_ABSENT;
    return *code == 0 ? READ_UNUSABLE : READ_FAILED;
}

Notation notation_of(const char16_t* s) {
    uint32_t base = prefixed_number(s).base;
    return base == 16 ? NOTATION_HEX : base == 8 ? NOTATION_OCTAL : NOTATION_DECIMAL;
}

// The number at the start of value (after white space), its notation, and whether the value
// is that number and nothing else. A number too large for 64 bits reads as 0.
Counter read_counter(const char16_t* value) {
    Counter c = {0, NOTATION_DECIMAL, false};
    const char16_t* start = value;
    while (text_is_space(*start)) ++start;
    bool signed_digit = (start[0] == u'-' || start[0] == u'+') && text_is_digit(start[1]);
    if (!text_is_digit(start[0]) && !signed_digit) return c;
    c.notation = notation_of(start);
    int64_t number = 0;
    const char16_t* end = start;
    if (ParseInteger64(start, &number, &end) != PARSE_OK) return c;
    c.number = number;
    c.numeric = *end == 0;
    return c;
}

int64_t step_by_one(int64_t number, bool decrement) {
    // Unsigned arithmetic: the step wraps around at both ends of the 64-bit range.
    uint64_t u = uint64_t(number);
    return int64_t(decrement ? u - 1 : u + 1);
}

// Reports that the variable could not be read or stored: format (MSG_GET_ERROR or
// MSG_SET_ERROR) with the name in upper case, then the system's text for code on a line
// of its own. Quiet reports nothing. Returns INCDEC_VARIABLE_FAILED.
int report_variable_failure(const char16_t* format, char16_t* name, bool quiet, uint32_t code) {
    if (quiet) return INCDEC_VARIABLE_FAILED;
    char16_t error_text[ERROR_TEXT_CAP] = {};
    FormatSystemError(code, error_text);
    sys_char_upper(name);
    report_error(format, name);
    Qprintf(sys_stderr_handle(), MSG_SYSTEM_TEXT, error_text);
    return INCDEC_VARIABLE_FAILED;
}

int store_counter(char16_t* name, const Counter& c, const CommandLine& cl) {
    char16_t value[VALUE_CAP] = {};
    text_format(value, VALUE_CAP, VALUE_FORMATS[c.notation], c.number);
    if (!sys_set_env(name, value)) return report_variable_failure(MSG_SET_ERROR, name, cl.quiet, sys_last_error());
    if (cl.verbose) {
        sys_char_upper(name);
        Printf(MSG_VERBOSE, name, value);
    }
    return INCDEC_OK;
}

// Finds the counter's current number: the variable's, or 0 for one that is not set.
// Returns INCDEC_OK, or the exit code of a failure (reported unless quiet).
int load_counter(char16_t* name, const CommandLine& cl, Counter* c) {
    char16_t value[VALUE_CAP] = {};
    uint32_t code = 0;
    ReadResult r = read_variable(name, value, &code);
    *c = Counter{0, NOTATION_DECIMAL, true};
    if (r == READ_ABSENT) return INCDEC_OK;
    if (r == READ_FAILED) return report_variable_failure(MSG_GET_ERROR, name, cl.quiet, code);
    if (r == READ_VALUE) *c = read_counter(value);
    else c->numeric = false;
    if (c->numeric || cl.zero) return INCDEC_OK;
    if (!cl.quiet) {
        sys_char_upper(name);
        report_error(MSG_NOT_NUMERIC, name);
    }
    return INCDEC_VARIABLE_FAILED;
}

}  // namespace

int RunIncDec(const char16_t* text, int decrement_flag) {
    if (!text) return RESULT_NULL_ARGUMENT;
    const bool decrement = decrement_flag != 0;  // the shell-facing int, as a flag from here on
    SplitArguments(text, SPLIT_ON_WHITESPACE);
    CommandLine cl = {false, false, false, nullptr};
    for (int32_t i = 0; i < ArgumentTable.count; ++i) {
        ScanResult s = scan_argument(arg_text(i), decrement, &cl);
        if (s == SCAN_HELP_SHOWN) return INCDEC_OK;
        if (s == SCAN_FAULT) return INCDEC_BAD_COMMAND_LINE;
    }
    if (!cl.name) {
        report_error(MSG_MISSING_NAME);
        return INCDEC_BAD_COMMAND_LINE;
    }
    if (!is_good_variable_name(cl.name)) {
        report_error(MSG_BAD_NAME, cl.name);
        return INCDEC_BAD_COMMAND_LINE;
    }
    Counter c;
    int loaded = load_counter(cl.name, cl, &c);
    if (loaded != INCDEC_OK) return loaded;
    c.number = step_by_one(c.number, decrement);
    return store_counter(cl.name, c, cl);
}

int inc(char16_t* text) { return RunIncDec(text, 0); }
int dec(char16_t* text) { return RunIncDec(text, 1); }
