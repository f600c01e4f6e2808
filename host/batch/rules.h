// The rules that the check applies to a text written out and the run to the same text
// expanded, each in one function, so that what passes the check is what the run takes.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "host/batch/commands.h"
#include "host/batch/script.h"

// What a number argument takes: a number in the host's syntax from least to most.
struct NumberRule {
    int64_t least, most;
    const char16_t* refusal;  // the message when it is none of them: the text, or least, most and the text
    bool states_range;
};

extern const NumberRule EXIT_CODE;      // QUIT, CANCEL and EXIT: what every system passes on whole
extern const NumberRule SHIFT_COUNT;    // SHIFT: the arguments dropped
extern const NumberRule RETURN_STATUS;  // RETURN: a status, as %? holds one
extern const NumberRule LOOP_NUMBER;    // DO's count, start, end and step

// The refusal when text (trimmed) does not fit the rule, otherwise empty with *value set.
std::u16string number_fault(const NumberRule& rule, const std::u16string& text, int64_t* value);
// The same for a text as written: one with something to expand, or none, fits until the run.
std::u16string written_number_fault(const NumberRule& rule, const std::u16string& written);
// A DO's step: a number, and not 0, which would never end the loop.
std::u16string do_step_fault(const std::u16string& text, int64_t* step);

// The label a GOTO or GOSUB names, its ':' taken off; *after: the text after it.
std::u16string jump_label(const std::u16string& rest, std::u16string* after);
// The label a jump of that kind reaches from within the sequences open: GOTO to one that
// encloses it, so that it leaves blocks and never enters one, GOSUB to the file's own level.
// open: the sequences from the outermost the jump may leave, from `from` on. Null, with the
// message that refuses it, when there is none.
const Label* jump_target(const Script& script, Jump jump, const std::u16string& label, const std::vector<size_t>& open,
                         size_t from, std::u16string* fault);
