// Every text the host writes, in one place. "%s" takes the next argument in order.
#pragma once

#define MSG_HOST_PREFIX u"bhsh: "

// Starting up
#define MSG_USAGE                                                                       \
    u"Usage: bhsh [OPTIONS] SCRIPT [ARGS...]   run a batch file\r\n"                    \
    u"       bhsh [OPTIONS] -c LINE            run one line\r\n"                        \
    u"       bhsh [OPTIONS]                    read lines from standard input\r\n"      \
    u"                                         (a prompt on a terminal) until exit\r\n" \
    u"Options: --plugin PATH   the plug-in to load (default: the one beside bhsh)\r\n"  \
    u"         --lf            end output lines in LF instead of CR LF\r\n"
#define MSG_BAD_OPTION u"Unknown option: %s"
#define MSG_OPTION_NEEDS_VALUE u"%s needs a value"
#define MSG_EXTRA_ARGUMENTS u"-c takes one line; unexpected: %s"
#define MSG_CANNOT_LOAD u"Cannot load the plug-in %s: %s"
#define MSG_CANNOT_READ_BATCH u"Cannot read the batch file %s: %s"
#define MSG_NO_PLUGIN_INFO u"the library has no registration record (GetPluginInfo)"
#define MSG_NO_EXPORT u"The plug-in lists %s but exports no %s; it is left out"
#define MSG_PROMPT u"bhsh> "
#define MSG_OUTPUT_LOST u"bhsh: Cannot write to %s any more; the run stops\r\n"

// Calls into the plug-in
#define MSG_ARGS_TOO_LONG u"Arguments of @%s too long: %s characters, %s at most"
#define MSG_PAST_BUFFER u"The plug-in wrote past the end of the %s-character buffer of %s"
#define MSG_UNTERMINATED u"The plug-in left no terminated result in the buffer of %s"

// The batch language
#define MSG_UNKNOWN_COMMAND u"Unknown command: %s"
#define MSG_UNKNOWN_FUNCTION u"Unknown function: @%s"
#define MSG_UNCLOSED_BRACKET u"Unclosed bracket: %s"
#define MSG_TOO_DEEP u"Variable functions nested too deeply: %s"
#define MSG_LINE_TOO_LONG u"Line too long (%s characters at most)"
#define MSG_LABEL_NOT_FOUND u"Label not found: %s"
#define MSG_MISSING_LABEL u"Missing label after goto"
#define MSG_NOT_IN_BATCH u"goto works only in a batch file"
#define MSG_SET_SYNTAX u"Syntax: set NAME=VALUE"
#define MSG_SET_INTERNAL u"%s is a variable of the shell and cannot be set"
#define MSG_SET_FAILED u"Cannot set %s: %s"
#define MSG_IF_SYNTAX                                                                                             \
    u"Syntax: if [not] \"A\"==\"B\" COMMAND, if [not] N1 LT|LE|EQ|NE|GE|GT N2 COMMAND, or if [not] defined NAME " \
    u"COMMAND"
#define MSG_IF_TOO_DEEP u"if nested too deeply"
#define MSG_UNCLOSED_QUOTE u"Unclosed quote: %s"
#define MSG_BAD_EXIT_CODE u"Not an exit code (0 to 255): %s"
#define MSG_BAD_NUMBER u"Not a number: %s"
#define MSG_MISSING_NAME u"Missing name after %s"
#define MSG_NO_USAGE u"No syntax text for %s"
#define MSG_NO_HELP u"No help for %s"
#define MSG_HELP_LIST                                                                                   \
    u"Commands: echo, set NAME=VALUE, rem, :label, goto LABEL, if [not] \"A\"==\"B\" COMMAND,\r\n"      \
    u"          if [not] N1 LT|LE|EQ|NE|GE|GT N2 COMMAND, if [not] defined NAME COMMAND,\r\n"           \
    u"          quit [N], exit [N], help NAME, usage NAME, plugin\r\n"                                  \
    u"Functions: @fileopen[PATH,MODE], @fileclose[H], @fileseek[H,OFFSET,ORIGIN], @filesize[PATH],\r\n" \
    u"           @samefile[PATH1,PATH2], @words[TEXT], @eval[N + N - N]\r\n"
#define MSG_HELP_PLUGIN u"From the plug-in: %s"

// The registration record
#define MSG_RECORD                                                                  \
    u"Name:        %s\r\nVersion:     %s\r\nDescription: %s\r\nAuthor:      %s\r\n" \
    u"E-mail:      %s\r\nWeb page:    %s\r\nFunctions:   %s\r\n"
#define MSG_RECORD_NONE u"(none)"

// The shell's file functions
#define MSG_FILEOPEN_SYNTAX u"Syntax: @fileopen[PATH,MODE] with MODE r, w, a, r+ or w+"
#define MSG_FILEOPEN_FAILED u"Cannot open \"%s\": %s"
#define MSG_IS_FOLDER u"\"%s\" is a folder"
#define MSG_TOO_MANY_FILES u"Too many open files (%s at most)"
#define MSG_FILECLOSE_SYNTAX u"Syntax: @fileclose[HANDLE]"
#define MSG_BAD_HANDLE u"Bad handle: \"%s\""
#define MSG_NOT_OPENED u"Not a handle from @fileopen: %s"
#define MSG_FILECLOSE_FAILED u"Cannot close %s: %s"
#define MSG_FILESEEK_SYNTAX u"Syntax: @fileseek[HANDLE,OFFSET,ORIGIN] with ORIGIN 0 (start), 1 (here) or 2 (end)"
#define MSG_FILESEEK_FAILED u"Cannot move in %s: %s"
#define MSG_FILESIZE_SYNTAX u"Syntax: @filesize[PATH]"
#define MSG_FILESIZE_FAILED u"Cannot tell the size of \"%s\": %s"
#define MSG_SAMEFILE_SYNTAX u"Syntax: @samefile[PATH1,PATH2]"
#define MSG_SAMEFILE_FAILED u"Cannot compare \"%s\" with \"%s\": %s"
#define MSG_EVAL_SYNTAX u"Syntax: @eval[N + N - N ...] with whole numbers; not \"%s\""
#define MSG_EVAL_RANGE u"Out of range: %s"
