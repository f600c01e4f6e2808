// The variable functions bhsh serves itself, in one table that the check and the run both
// read: the shell's file functions, arithmetic, text and choice. The plug-in's functions
// are looked up apart, in the plug-in.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

enum FunctionOutcome {
    FUNCTION_DONE,    // *result holds the function's text
    FUNCTION_FAILED,  // reported on standard error, *result holds "-1"; the script may test %?
    FUNCTION_STOP,    // cannot be carried out: *result holds the message, and the run stops
};

// Runs the function on its arguments, already expanded.
typedef FunctionOutcome (*FunctionRun)(const std::u16string& args, std::u16string* result);
// Looks at the arguments as written, before expansion: a message when no run of the call
// can succeed (a construct bhsh does not take), otherwise empty.
typedef std::u16string (*FunctionCheck)(const std::u16string& written_args);

struct HostFunction {
    const char16_t* name;  // without the '@', in lower case
    FunctionRun run;
    FunctionCheck check;   // null when there is nothing to check before the run
    const char16_t* form;  // how help shows it: "@left[N,TEXT]"
    // Its result depends on its arguments alone and it changes nothing: a call written out
    // whole, with nothing to expand, is run by the check, and a stop refuses the script.
    bool pure;
};

// What one argument of a call takes.
enum ArgumentKind {
    ARGUMENT_TEXT,    // any text but an empty one
    ARGUMENT_NUMBER,  // a number in the host's syntax
    ARGUMENT_WORD,    // a word that `takes` takes
};

struct ArgumentForm {
    ArgumentKind kind;
    bool (*takes)(const std::u16string& word);  // ARGUMENT_WORD
};

// The forms of a call: its arguments parted by commas outside quotes, at least `least` and at
// most `most` of them, each of its kind.
struct CallForm {
    size_t least, most;
    ArgumentForm arguments[3];
    const char16_t* syntax;  // the message that refuses every other form
};

// The arguments parted at commas outside quotes (and, as written, outside the brackets of a
// reference), each trimmed and one pair of enclosing quotes taken off.
std::vector<std::u16string> call_arguments(const std::u16string& args, bool written);
// The form's syntax message when the arguments fit none of its forms, otherwise empty.
// written: as the file holds them, before expansion: an argument with something to expand
// in it fits any kind, and when it is the last it may stand for several.
std::u16string form_fault(const CallForm& form, const std::u16string& args, bool written);

// The function of that name (compared without regard to case), or null.
const HostFunction* host_function(const std::u16string& name);
// The whole table, in help's order.
const HostFunction* host_functions(size_t* count);
