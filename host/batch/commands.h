// bhsh's commands, in one table that the check, the run and help all read. IF, IFF, DO
// and their keywords are syntax, read by the check; everything else that starts a command
// is a row here or a command of the plug-in.
#pragma once
#include <string>

// The status a command returns when it leaves %? as it was.
const int KEEP_STATUS = -2147483647 - 1;

// How a command moves the run along, besides its status.
enum Jump {
    JUMP_NONE,
    JUMP_GOTO,   // to a label in the same or an enclosing block
    JUMP_GOSUB,  // to a label of the file's own level
    JUMP_LOOP,   // LEAVE and ITERATE: only within a DO
};

struct Command {
    const char16_t* name;  // in lower case
    // line: the command's whole text, expanded; rest: what follows the name and its blanks.
    // Returns the status.
    int (*run)(const std::u16string& line, const std::u16string& rest);
    // The text after the name, as written: a message when it fits no form, otherwise empty.
    std::u16string (*check)(const std::u16string& written_rest);
    Jump jump;
    const char16_t* form;  // how help shows it
};

// Whether the text is a variable's name alone, as SET /A and ENDLOCAL take it.
bool is_variable_name(const std::u16string& name);
// A message when CALL's file is one bhsh refuses whatever the files are (":label", the
// command interpreter's subroutine call), otherwise empty.
std::u16string call_target_refused(const std::u16string& target);

// The command of that name (compared without regard to case), or null.
const Command* find_command(const std::u16string& name);
const Command* commands_table(size_t* count);

// The words of the language that are syntax, not commands (IF, DO, ENDDO, ...), for help.
extern const char16_t* const LANGUAGE_KEYWORDS;
